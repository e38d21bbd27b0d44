#include "core/text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/formats.h"

namespace sondaro {

namespace {

std::string_view SkipBlanks(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  return t;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Swaps "." for the system separator in a C-locale number text.
std::string Localise(std::string s) {
  const char sep = Formats().DecimalSeparator;
  if (sep != '.')
    for (char& c : s)
      if (c == '.') c = sep;
  return s;
}

}  // namespace

std::optional<long long> ReadInt(std::string_view text) {
  std::string_view t = SkipBlanks(text);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  unsigned long long value = 0;
  for (char c : t) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
      return std::nullopt;
  }
  const auto v = static_cast<long long>(value);
  return negative ? -v : v;
}

std::optional<int> ReadInt32(std::string_view text) {
  const auto v = ReadInt(text);
  if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
    return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<double> ReadDecimal(std::string_view text) {
  std::string_view t = SkipBlanks(text);
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0 || i != t.size()) return std::nullopt;
  // strtod is locale dependent; the program never changes the C locale.
  const std::string copy(t);
  const double v = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<float> ReadReading(std::string_view text) {
  const auto v = ReadDecimal(text);
  if (!v || std::abs(*v) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*v);
}

std::optional<float> ReadWholeAndHundredths(std::string_view whole,
                                            std::string_view hundredths) {
  const auto w = ReadInt(whole);
  const auto h = ReadInt(hundredths);
  if (!w || !h) return std::nullopt;
  return static_cast<float>(static_cast<double>(*w) + static_cast<double>(*h) * 0.01);
}

std::optional<unsigned long> ReadHex(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned long v = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 16 + static_cast<unsigned long>(IsDigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  return v;
}

std::string RemoveLeadingBlanks(std::string_view text) { return std::string(SkipBlanks(text)); }

std::string_view TrimView(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  std::size_t pos = text.find(from);
  if (pos == std::string::npos) return text;
  // Built afresh: replacing in place moves the tail once per match.
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (; pos != std::string::npos; pos = text.find(from, done)) {
    out.append(text, done, pos - done).append(to);
    done = pos + from.size();
  }
  out.append(text, done);
  return out;
}

std::string RemoveAll(std::string text, std::string_view what) {
  return ReplaceAll(std::move(text), what, "");
}

std::string ToUpper(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::size_t NoCaseHash::operator()(std::string_view s) const {
  // FNV-1a over the bytes upper-cased as EqualsNoCase compares them.
  std::size_t h = 14695981039346656037ull;
  for (const char c : s)
    h = (h ^ static_cast<std::size_t>(std::toupper(static_cast<unsigned char>(c)))) *
        1099511628211ull;
  return h;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Copy(std::string_view text, std::size_t pos1, std::size_t count) {
  if (pos1 < 1) pos1 = 1;
  if (pos1 > text.size()) return {};
  return std::string(text.substr(pos1 - 1, count));
}

std::string IntToDva(long long number) {
  std::string s = std::to_string(number);
  return s.size() == 1 ? "0" + s : s;
}

std::string StrJenCislo(std::string_view text) {
  std::string s(text);
  for (const char* unit : {"kHz", "MHz", "deg", "dBr", "dBuV", "dB"}) s = RemoveAll(s, unit);
  s = ReplaceAll(s, ".", std::string(1, Formats().DecimalSeparator));
  return RemoveAll(s, " ");
}

std::string FormatFixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s(buf);
  if (s == "-0" || s.rfind("-0.", 0) == 0) {
    // Negative zero after rounding shows without a sign.
    if (s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  }
  return Localise(s);
}

std::string FloatToStr(double value, int precision) {
  if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", precision, value);
  std::string s(buf);
  const auto e = s.find('E');
  if (e != std::string::npos) {
    // "1E+20" -> "1E20", "1.5E-07" -> "1.5E-7"
    std::string mant = s.substr(0, e);
    std::string exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    s = mant + "E" + (neg ? "-" : "") + exp;
  }
  return Localise(s);
}

std::string Latin1ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace sondaro
