#include "automation/script_state.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Splits "name,rest" at the first comma.
struct NameAndRest {
  std::string_view Name;
  std::string_view Rest;
  bool HasComma;
};

NameAndRest SplitFirstComma(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return {text, {}, false};
  return {text.substr(0, comma), text.substr(comma + 1), true};
}

}  // namespace

double RoundToSingle(double v) {
  if (v > FLT_MAX) return HUGE_VAL;
  if (v < -FLT_MAX) return -HUGE_VAL;
  return static_cast<double>(static_cast<float>(v));
}

std::string FormatIncrement(double value, int decimals) {
  if (!std::isfinite(value)) return FloatToStr(value, 7);
  // The decimal exponent after rounding to 7 significant digits decides
  // between fixed and exponent notation: 9999999.6 rounds to 1.000000e+07.
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.6e", value);
  const char* e = std::strchr(buf, 'e');
  const int exponent = e ? std::atoi(e + 1) : 0;
  if (exponent >= 7) return FloatToStr(value, 7);
  // 123456.78 keeps 7 digits: 123456.8, shown with two decimals as 123456.80.
  const int significantDecimals = exponent >= 0 ? std::min(decimals, 6 - exponent) : decimals;
  std::string s = FormatFixed(value, significantDecimals);
  if (significantDecimals < decimals) {
    if (significantDecimals == 0) s += Formats().DecimalSeparator;
    s.append(static_cast<std::size_t>(decimals - significantDecimals), '0');
  }
  return s;
}

double ScriptState::StrToNumber(std::string_view text) {
  LastDecimals = 0;
  std::string kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '+' || c == '-') && i == 0) kept += c;
    else if ((c >= '0' && c <= '9') || c == '.' || c == ',') kept += c;
  }
  if (kept.empty() || kept == "+" || kept == "-" || kept == "." || kept == ",") return -1;
  const char sep = Formats().DecimalSeparator;
  for (char& c : kept)
    if (c == '.' || c == ',') c = sep;
  const auto first = kept.find(sep);
  if (first != std::string::npos) LastDecimals = static_cast<int>(kept.size() - first - 1);
  // Convert as the system would with its own separator: one separator at
  // most, at least one digit.
  if (first != std::string::npos && kept.find(sep, first + 1) != std::string::npos) return -1;
  if (kept.find_first_of("0123456789") == std::string::npos) return -1;
  if (first != std::string::npos) kept[first] = '.';
  const double v = std::strtod(kept.c_str(), nullptr);
  return std::isfinite(v) ? v : -1;
}

bool ScriptState::Valid(std::string_view condition) {
  std::string c;
  for (char ch : condition)
    if (ch != ' ') c += ch;
  if (c.empty()) return true;
  if (c.size() < 3) return false;
  // Later tests override earlier ones, so "a<=b" ends with "<=" and "a!=b"
  // with "!=".
  std::string_view op;
  std::size_t at = 0;
  for (std::string_view candidate : {"<", ">", "=", "<=", ">=", "!="}) {
    const auto pos = c.find(candidate);
    if (pos != std::string::npos && pos >= 1) {
      op = candidate;
      at = pos;
    }
  }
  if (op.empty()) return false;
  const double left = RoundToSingle(StrToNumber(std::string_view(c).substr(0, at)));
  const double right = RoundToSingle(StrToNumber(std::string_view(c).substr(at + op.size())));
  if (op == "<") return left < right;
  if (op == ">") return left > right;
  if (op == "=") return left == right;
  if (op == "<=") return left <= right;
  if (op == ">=") return left >= right;
  return left != right;
}

const ScVar* ScriptState::FindVariable(std::string_view name) const {
  const std::string upper = ToUpper(name);
  for (const ScVar& v : Variables)
    if (v.Name == upper) return &v;
  return nullptr;
}

bool ScriptState::SetVariableValue(std::string_view name, std::string value) {
  if (name.empty()) return true;
  std::string upper = ToUpper(name);
  std::size_t others = 0;
  ScVar* existing = nullptr;
  for (ScVar& v : Variables) {
    if (v.Name == upper) existing = &v;
    else others += v.Name.size() + v.Value.size();
  }
  if (others + upper.size() + value.size() > kMaxVariablesSize) return false;
  if (existing) existing->Value = std::move(value);
  else Variables.push_back({std::move(upper), std::move(value)});
  return true;
}

bool ScriptState::SetVariable(std::string_view text) {
  const NameAndRest p = SplitFirstComma(text);
  return SetVariableValue(p.Name, p.HasComma ? std::string(p.Rest) : std::string("0"));
}

bool ScriptState::IncVariable(std::string_view text) {
  const NameAndRest p = SplitFirstComma(text);
  if (p.Name.empty()) return true;
  const ScVar* existing = FindVariable(p.Name);
  if (!existing) return true;
  const std::string current = existing->Value;
  const double v = RoundToSingle(StrToNumber(current));
  const int d1 = LastDecimals;
  const double i = RoundToSingle(StrToNumber(p.HasComma ? p.Rest : std::string_view("1")));
  const int d2 = LastDecimals;
  const int decimals = std::min(std::max(d1, d2), 2);
  return SetVariableValue(p.Name, FormatIncrement(v + i, decimals));
}

int ScriptState::FindLine(std::string_view text, int firstLine) const {
  if (text.empty() || text == ":") return 0;
  for (int n = std::max(firstLine, 1); n <= LineCount(); ++n) {
    const std::string& line = ScriptLines[static_cast<std::size_t>(n - 1)];
    if (line.size() > 1 && StartsWithNoCase(line, text)) return n;
  }
  return 0;
}

int ScriptState::FindEndIf(int firstLine) const {
  int depth = 1;
  for (int n = std::max(firstLine, 1); n <= LineCount(); ++n) {
    const std::string& line = ScriptLines[static_cast<std::size_t>(n - 1)];
    if (line.size() <= 1) continue;
    if (StartsWithNoCase(line, "IF(") || StartsWithNoCase(line, "IF ")) ++depth;
    if (StartsWithNoCase(line, "ENDIF") || StartsWithNoCase(line, "END IF")) {
      if (depth == 1) return n;
      --depth;
    }
  }
  return 0;
}

}  // namespace sondaro
