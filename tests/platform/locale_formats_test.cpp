// The formats taken from the user's locale at start. Qt carries its own
// locale data, so these hold whatever locales the machine has installed.
#include "platform/qt_locale_formats.h"

#include <gtest/gtest.h>

#include "core/formats.h"

namespace sondaro {
namespace {

TEST(LocaleFormats, QtPatternsInTheProgramsTokens) {
  const struct {
    const char* qt;
    std::optional<std::string> ours;
  } cases[] = {
      {"M/d/yy", "m\"/\"d\"/\"yy"},              // separators stay literal
      {"dd.MM.yyyy", "dd\".\"mm\".\"yyyy"},
      {"HH:mm:ss t", "hh\":\"nn\":\"ss"},         // the time zone goes
      {"h:mm:ss AP t", "h\":\"nn\":\"ss\" \"AM/PM"},
      {"h:mm:ss ap", "h\":\"nn\":\"ss\" \"am/pm"},
      {"'kl'. HH.mm", "\"kl. \"hh\".\"nn"},
      {"d MMM yyyy", std::nullopt},                // month names: not ours to write
      {"dddd, d. MMMM yyyy", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFromQt(QString::fromUtf8(c.qt)), c.ours) << c.qt;
}

TEST(LocaleFormats, AppliedAtStart) {
  const FormatSettings saved = Formats();
  const Millis morning = JoinWall(2024, 1, 15, 9, 5, 3);
  ApplyLocaleFormats(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Formats().DecimalSeparator, ',');
  EXPECT_TRUE(DateTimeToStr(morning).starts_with("15.01.")) << DateTimeToStr(morning);
  EXPECT_TRUE(DateTimeToStr(morning).ends_with(" 09:05:03")) << DateTimeToStr(morning);
  ApplyLocaleFormats(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(Formats().DecimalSeparator, '.');
  EXPECT_TRUE(DateTimeToStr(morning).starts_with("1/15/")) << DateTimeToStr(morning);
  EXPECT_TRUE(DateTimeToStr(morning).ends_with(" 9:05:03 AM")) << DateTimeToStr(morning);
  // No language chosen: the program's own forms.
  Formats() = FormatSettings{};
  ApplyLocaleFormats(QLocale::c());
  EXPECT_EQ(DateTimeToStr(morning), "2024-01-15 09:05:03");
  Formats() = saved;
}

}  // namespace
}  // namespace sondaro
