#pragma once
// Splits the analyzer's input into commands. Commands arrive without any
// terminator, back to back and cut anywhere ("?F?H" in one read, "0985" then
// "00*F" in two), so the stream is cut at the command letters: a query ends
// in "?" and a letter, an order in "*" and a letter. What stands before that
// mark and fits the command ("1" in "1?W", "098500" in "098500*F", "DIP2:1"
// in "DIP2:1*X") is its argument; anything else is line noise and dropped.
#include <string>
#include <string_view>
#include <vector>

namespace sondaro::sim {

struct Command {
  char Kind = '?';       // '?' query, '*' order
  char Letter = 0;       // the command letter, case-sensitive
  std::string Argument;  // "", "1", "098500", "DIP2:1", "4CE,00E" ...
  [[nodiscard]] std::string Text() const { return Argument + Kind + Letter; }
};

class CommandStream {
 public:
  // Feeds received bytes; returns the commands they complete, in order.
  std::vector<Command> Feed(std::string_view bytes);

 private:
  std::string pending_;  // text since the last command, at most a few bytes
  bool mark_ = false;    // the last byte was "?" or "*" waiting for its letter
  char markKind_ = 0;
};

}  // namespace sondaro::sim
