#pragma once
// Text and number helpers shared by every subsystem. Protocol text and files
// are 8-bit, so std::string is used as bytes throughout.
#include <optional>
#include <string>
#include <string_view>

namespace sondaro {

inline constexpr std::string_view kCrLf = "\r\n";

// Decimal integer with an optional sign; leading blanks allowed, nothing after
// the last digit. Anything else (including overflow) fails.
[[nodiscard]] std::optional<long long> ReadInt(std::string_view text);
// As ReadInt but must fit 32 bits.
[[nodiscard]] std::optional<int> ReadInt32(std::string_view text);
// Decimal number with "." as the decimal point whatever the locale; leading
// blanks allowed, nothing after the last digit. The analyzer writes no
// exponents, so "9e99" is unreadable, as is a number too large to hold.
[[nodiscard]] std::optional<double> ReadDecimal(std::string_view text);
// A device reading as ReadDecimal takes it, stored as a 32-bit float: nullopt
// also when the value lies beyond what a float holds.
[[nodiscard]] std::optional<float> ReadReading(std::string_view text);
// Whole units plus hundredths, each read as an integer from its own piece of
// a fixed-layout reading ("101" and "30" -> 101.3); nullopt when either fails.
[[nodiscard]] std::optional<float> ReadWholeAndHundredths(std::string_view whole,
                                                          std::string_view hundredths);
// Hexadecimal digits only (no prefix, no blanks).
[[nodiscard]] std::optional<unsigned long> ReadHex(std::string_view text);

// While the first character is a blank, delete it.
[[nodiscard]] std::string RemoveLeadingBlanks(std::string_view text);
[[nodiscard]] std::string Trim(std::string_view text);
// The same, as a view into `text`.
[[nodiscard]] std::string_view TrimView(std::string_view text);
[[nodiscard]] std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
[[nodiscard]] std::string RemoveAll(std::string text, std::string_view what);
[[nodiscard]] std::string ToUpper(std::string_view text);
// The program's 8-bit (Latin-1) text as UTF-8, for the outside world.
[[nodiscard]] std::string Latin1ToUtf8(const std::string& text);
[[nodiscard]] bool EqualsNoCase(std::string_view a, std::string_view b);
// Hash and equality for unordered containers of names that compare as
// EqualsNoCase does; either takes any string type.
struct NoCaseHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};
// 1-based substring as the program's text rules count characters; clipped.
[[nodiscard]] std::string Copy(std::string_view text, std::size_t pos1, std::size_t count);

// Two-digit number text: "0" in front of a one-character result (7 -> "07";
// 12, -5 and 120 unchanged).
[[nodiscard]] std::string IntToDva(long long number);
// Numeric part of a reading for calculations: units removed, system decimal
// separator, blanks removed (" 54 dBuV" -> "54").
[[nodiscard]] std::string StrJenCislo(std::string_view text);

// Numbers the program shows or writes use the system decimal separator.
// FormatFixed(6.83, 1) -> "6.8" or "6,8".
[[nodiscard]] std::string FormatFixed(double value, int decimals);
// Shortest general form with up to `precision` significant digits, no
// trailing zeros ("0.5", "12", "1E20").
[[nodiscard]] std::string FloatToStr(double value, int precision = 15);

}  // namespace sondaro
