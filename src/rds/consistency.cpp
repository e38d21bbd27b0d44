#include "rds/consistency.h"

#include <string_view>
#include <vector>

#include "core/text.h"

namespace sondaro {

namespace {

struct Rule {
  bool (*Fires)(const RdsData&);
  std::string (*Message)(const RdsData&);
};

// Character n (counted from 1), or 0 past the end.
char At(const std::string& s, std::size_t n) { return n >= 1 && n <= s.size() ? s[n - 1] : 0; }

// Leading digits of the PTY text ("31 (Alarm!)" -> 31); -1 without any.
int PtyCode(const std::string& pty) {
  int code = -1;
  for (char c : pty) {
    if (c < '0' || c > '9' || code > 99) break;
    code = (code < 0 ? 0 : code * 10) + (c - '0');
  }
  return code;
}

const std::vector<Rule>& Errors() {
  static const std::vector<Rule> rules = {
      // Area coverage "local" (second PI digit 0) with more than one AF:
      // one frequency is at most "107.9 MHz", 9 characters.
      {[](const RdsData& d) { return At(d.PI, 2) == '0' && d.AF.size() >= 10; },
       [](const RdsData&) {
         return std::string(
             "PI indicates local station but more than one frequency was found in AF list.");
       }},
      {[](const RdsData& d) { return At(d.PI, 1) == '0' && d.PI != "0000"; },
       [](const RdsData&) { return std::string("PI can't begin with 0."); }},
      {[](const RdsData& d) { return d.EON.size() < 4 && d.TP == "0" && d.TA == "1"; },
       [](const RdsData&) {
         return std::string(
             "TP and TA flags indicate EON presence but no EON information was found.");
       }},
      {[](const RdsData& d) {
         return d.ECC.size() == 2 && d.ECC.front() == '0' && d.ECC.back() != '0';
       },
       [](const RdsData&) { return std::string("Invalid ECC."); }},
  };
  return rules;
}

const std::vector<Rule>& Warnings() {
  static const std::vector<Rule> rules = {
      {[](const RdsData& d) { return d.PI == "FFFF"; },
       [](const RdsData&) {
         return std::string(
             "Factory default PI was detected (FFFF). Set right PI as soon as possible.");
       }},
      {[](const RdsData& d) {
         const int code = PtyCode(d.PTY);
         return code == 30 || code == 31;
       },
       [](const RdsData& d) { return "PTY " + d.PTY + " reserved for special purposes."; }},
  };
  return rules;
}

// Messages of the rules that fire, each followed by CR LF, and their count.
std::pair<std::string, int> Collect(const std::vector<Rule>& rules, const RdsData& data) {
  std::string block;
  int count = 0;
  for (const Rule& r : rules)
    if (r.Fires(data)) {
      block += r.Message(data);
      block += kCrLf;
      ++count;
    }
  return {block, count};
}

}  // namespace

std::string ErrorsAndWarnings(const RdsData& data) {
  const auto [errors, errorCount] = Collect(Errors(), data);
  const auto [warnings, warningCount] = Collect(Warnings(), data);
  std::string result;
  if (errorCount > 0) {
    result += "Errors: " + std::to_string(errorCount);
    result += kCrLf;
    result += errors;
    result += kCrLf;
  }
  if (warningCount > 0) {
    result += "Warnings: " + std::to_string(warningCount);
    result += kCrLf;
    result += warnings;
  }
  if (!result.empty()) result.insert(0, kCrLf);
  if (result.ends_with(kCrLf)) result.resize(result.size() - 2);
  return result;
}

}  // namespace sondaro
