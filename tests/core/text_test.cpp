#include "core/text.h"

#include <gtest/gtest.h>

#include "core/formats.h"

namespace sondaro {
namespace {

struct SeparatorGuard {
  explicit SeparatorGuard(char sep) : old(Formats().DecimalSeparator) {
    Formats().DecimalSeparator = sep;
  }
  ~SeparatorGuard() { Formats().DecimalSeparator = old; }
  char old;
};

TEST(Text, ReadIntAcceptsOnlyBlanksSignAndDigits) {
  struct Case {
    const char* text;
    std::optional<long long> value;
  } cases[] = {{"42", 42},   {"  -7", -7}, {"+3", 3},      {"", std::nullopt},
               {" ", std::nullopt}, {"12 ", std::nullopt}, {"1a", std::nullopt},
               {"0x10", std::nullopt}, {"99999999999999999999", std::nullopt}, {"-", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ReadInt(c.text), c.value) << '"' << c.text << '"';
  EXPECT_FALSE(ReadInt32("4294967296").has_value());
}

TEST(Text, ReadDecimalUsesPointWhateverTheSeparator) {
  SeparatorGuard comma(',');
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {{"   6.8", 6.8}, {"-1.2", -1.2}, {"999.0", 999.0}, {"6,8", std::nullopt},
               {"6.8 kHz", std::nullopt}, {".5", 0.5}, {"5.", 5.0}, {".", std::nullopt},
               {"1e3", std::nullopt}, {"1E-2", std::nullopt}, {"inf", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ReadDecimal(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(ReadReading("-1.5"), -1.5f);
  EXPECT_FALSE(ReadReading("1" + std::string(40, '0')).has_value());  // beyond a float
}

TEST(Text, IntToDvaAndStrJenCislo) {
  EXPECT_EQ(IntToDva(7), "07");
  EXPECT_EQ(IntToDva(12), "12");
  EXPECT_EQ(IntToDva(-5), "-5");
  EXPECT_EQ(IntToDva(120), "120");
  EXPECT_EQ(StrJenCislo(" 54 dBuV"), "54");
  EXPECT_EQ(StrJenCislo("  4.5 dBr"), "4.5");
  SeparatorGuard comma(',');
  EXPECT_EQ(StrJenCislo("   6.8 kHz"), "6,8");
  EXPECT_EQ(StrJenCislo("  4.5 dBr"), "4,5");
}

TEST(Text, ReplaceAllGoesLeftToRightAndNeverSearchesWhatItPutIn) {
  struct Case {
    const char* text;
    const char* from;
    const char* to;
    const char* result;
  } cases[] = {{"a b  c ", " ", "", "abc"},       {"aaaa", "aa", "a", "aa"},
               {"%a%a", "%a", "%a%a", "%a%a%a%a"}, {"x\r\ny\r\n", "\r\n", "\n", "x\ny\n"},
               {"abc", "z", "q", "abc"},          {"abc", "", "q", "abc"},
               {"", "a", "b", ""},                {"ab", "ab", "", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.result) << c.text << " / " << c.from;
  // A long run of matches costs one pass.
  EXPECT_EQ(RemoveAll(std::string(100000, ' ') + "x", " "), "x");
}

TEST(Text, FixedAndGeneralFormattingFollowTheSeparator) {
  EXPECT_EQ(FormatFixed(2.9729, 2), "2.97");
  EXPECT_EQ(FormatFixed(-0.04, 1), "0.0");
  EXPECT_EQ(FloatToStr(0.5), "0.5");
  EXPECT_EQ(FloatToStr(12), "12");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  SeparatorGuard comma(',');
  EXPECT_EQ(FormatFixed(302.97, 1), "303,0");
  EXPECT_EQ(FloatToStr(98.5), "98,5");
}

TEST(Formats, DateTimeTokensAndSeparators) {
  const Millis t = JoinWall(2024, 3, 5, 7, 8, 9, 45);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", t), "2024-03-05 07:08:09");
  EXPECT_EQ(FormatDateTime("d/m/yy h:mm", t), "5/3/24 7:08");  // the program's own "/"
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", t), "07:08:09.045");
  EXPECT_EQ(FormatDateTime("\"at\" hh", t), "at 07");
  const DateTimeParts p = SplitWall(t);
  EXPECT_EQ(p.DayOfWeek, 3);  // a Tuesday
  FormatSettings saved = Formats();
  Formats().DateSeparator = '/';
  Formats().ShortDateFormat = "yyyy/mm/dd";
  EXPECT_EQ(DateToStr(t), "2024/03/05");
  Formats() = saved;
}

}  // namespace
}  // namespace sondaro
