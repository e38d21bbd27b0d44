#include "sim/command_stream.h"

#include <cctype>

namespace sondaro::sim {

namespace {

// The longest argument a command takes ("4CE,00E", "098500", "DIP2:1").
constexpr std::size_t kKeep = 16;

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

bool Digits(std::string_view s) {
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

std::string_view Tail(std::string_view s, std::size_t n) {
  return s.size() < n ? std::string_view{} : s.substr(s.size() - n);
}

// The argument this command takes from the end of the pending text.
std::string ArgumentFor(char kind, char letter, std::string_view before) {
  if (kind == '?') {
    if (letter == 'W' && !before.empty() && IsDigit(before.back()))
      return std::string(1, before.back());
    // Memory read: three hex digits of address, a comma, three of count.
    const auto mem = Tail(before, 7);
    if (letter == 'h' && mem.size() == 7 && mem[3] == ',' && IsHex(mem[0]) && IsHex(mem[1]) &&
        IsHex(mem[2]) && IsHex(mem[4]) && IsHex(mem[5]) && IsHex(mem[6]))
      return std::string(mem);
    return "";
  }
  if (letter == 'F' && Digits(Tail(before, 6)) && !Tail(before, 6).empty())
    return std::string(Tail(before, 6));
  if (letter == 'L' && Digits(Tail(before, 2)) && !Tail(before, 2).empty())
    return std::string(Tail(before, 2));
  if (letter == 'X') {
    const auto dip = Tail(before, 6);  // DIPn:v
    if (dip.size() == 6 && dip.substr(0, 3) == "DIP" && IsDigit(dip[3]) && dip[4] == ':' &&
        IsDigit(dip[5]))
      return std::string(dip);
    const auto ar = Tail(before, 6);  // ARx:vv
    if (ar.size() == 6 && ar.substr(0, 2) == "AR" && IsLetter(ar[2]) && ar[3] == ':' &&
        IsDigit(ar[4]) && IsDigit(ar[5]))
      return std::string(ar);
  }
  return "";
}

}  // namespace

std::vector<Command> CommandStream::Feed(std::string_view bytes) {
  std::vector<Command> out;
  for (char c : bytes) {
    if (mark_) {
      mark_ = false;
      if (IsLetter(c)) {
        out.push_back({markKind_, c, ArgumentFor(markKind_, c, pending_)});
        pending_.clear();
        continue;
      }
      // "?" or "*" not followed by a letter: noise; this byte starts afresh.
      pending_.clear();
    }
    if (c == '?' || c == '*') {
      mark_ = true;
      markKind_ = c;
      continue;
    }
    pending_ += c;
    if (pending_.size() > kKeep) pending_.erase(0, pending_.size() - kKeep);
  }
  return out;
}

}  // namespace sondaro::sim
