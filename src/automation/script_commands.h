#pragma once
// The keyword table of the script language. A keyword is one entry: its
// name, the form of argument it takes and the handler, which acts through the
// ScriptHost (the same operations as the buttons) or the interpreter itself.
//
//   {"GETFREQUENCY", ArgForm::None, [](ScriptCall& c) { c.Host.Send("?F"); }},
//
// A part that lands later adds one entry per keyword to AddBuiltinCommands,
// acting through the host (for a button: a ScriptButton value and its case
// in the program's host), or, for an operation of its own, one
// Commands().Add() in its App wiring.
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace sondaro {

class ScriptInterpreter;
class ScriptHost;

enum class ArgForm {
  None,           // the argument is ignored
  Text,           // the argument as it stands, possibly empty
  NonEmpty,       // runs only with a non-empty argument
  Flag,           // runs only for exactly "0" or "1"; Flag holds it
  Integer,        // runs only when the argument is an integer
  IntegerOrZero,  // the argument as an integer, 0 when it is not one
};

struct ScriptArg {
  std::string Text;
  int Number = 0;
  bool Flag = false;
};

struct ScriptCall {
  ScriptInterpreter& Script;
  ScriptHost& Host;
  const ScriptArg& Arg;
};

struct ScriptCommand {
  std::string Name;  // upper case
  ArgForm Form;
  std::function<void(ScriptCall&)> Run;
};

class CommandTable {
 public:
  void Add(ScriptCommand command);
  // Takes every entry of that name out (a program that must not write files
  // or start programs).
  void Remove(const std::string& keyword);
  // Runs every entry named `keyword`, in table order. False when none is.
  bool Run(const std::string& keyword, const std::string& argument, ScriptInterpreter& script,
           ScriptHost& host) const;
  [[nodiscard]] bool Has(const std::string& keyword) const { return index_.count(keyword) != 0; }
  [[nodiscard]] std::vector<std::string> Names() const;

 private:
  std::vector<ScriptCommand> commands_;
  std::unordered_map<std::string, std::vector<std::size_t>> index_;
};

// The control keywords and every keyword of the parts built into the
// interpreter's host.
void AddBuiltinCommands(CommandTable& table);

}  // namespace sondaro
