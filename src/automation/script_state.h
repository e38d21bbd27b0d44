#pragma once
// What the script interpreter keeps: the loaded lines, the position, the call
// stack, the sleep and the user variables, with the pure operations on them
// (numbers, conditions, variables, label and ENDIF search). Variables live for
// the whole run of the program: a later script or socket line sees the ones
// set by earlier ones.
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"

namespace sondaro {

struct ScVar {
  std::string Name;  // upper case
  std::string Value;
};

class ScriptState {
 public:
  static constexpr std::size_t kMaxFileLines = 1023;
  static constexpr std::size_t kMaxLineLength = 1024;
  static constexpr std::size_t kMaxCallDepth = 63;
  // All variables together, names and values: a loop that keeps growing
  // them stops here instead of eating the computer's memory.
  static constexpr std::size_t kMaxVariablesSize = 16u << 20;

  std::vector<std::string> ScriptLines;  // line n is ScriptLines[n - 1]
  int CurrentLine = 1;
  std::vector<int> CallStack;
  std::string ProcedureName;
  int ProcedureLine = -1;
  int ProcedureReturnLine = -1;
  Millis SleepUntil = 0;  // monotonic clock
  bool ScriptBusy = false;
  std::vector<ScVar> Variables;  // in order of creation
  int LastDecimals = 0;

  // Number in a text: sign only in front, digits, "." and "," kept, the rest
  // dropped; -1 when nothing numeric is left or it does not convert
  // ("1.2.3"). Sets LastDecimals to the digits after the separator.
  double StrToNumber(std::string_view text);
  // Condition "a<b", "a>=b", "a!=b" ...: both sides as numbers. Empty is
  // true; shorter than three characters or without an operator is false.
  bool Valid(std::string_view condition);
  // "name,value" (value "0" without a comma); the name is stored upper case.
  // These three return false, and change nothing, when the variables would
  // outgrow kMaxVariablesSize.
  bool SetVariable(std::string_view text);
  // "name,increment" (increment "1" without a comma) on an existing variable;
  // 7 significant digits, as many decimals as the operands have, at most 2.
  bool IncVariable(std::string_view text);
  bool SetVariableValue(std::string_view name, std::string value);
  [[nodiscard]] const ScVar* FindVariable(std::string_view name) const;

  // First line from `firstLine` on, longer than one character, that begins
  // with `text` (any case); 0 if none, or if text is empty or ":".
  [[nodiscard]] int FindLine(std::string_view text, int firstLine) const;
  // The ENDIF that closes the IF before `firstLine`, nested IFs counted; 0
  // if there is none.
  [[nodiscard]] int FindEndIf(int firstLine) const;
  [[nodiscard]] int LineCount() const { return static_cast<int>(ScriptLines.size()); }
};

// Nearest single-precision value, as the interpreter compares and adds
// numbers; out-of-range values become infinities instead of overflowing.
[[nodiscard]] double RoundToSingle(double v);

// Value text of INC: 7 significant digits with `decimals` decimals, the
// system decimal separator, exponent notation past 7 integer digits.
[[nodiscard]] std::string FormatIncrement(double value, int decimals);

}  // namespace sondaro
