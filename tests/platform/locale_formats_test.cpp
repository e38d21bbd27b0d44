// What the user's locale decides at start: the decimal separator, and
// nothing of the date and time forms. Qt carries its own locale data, so
// these hold whatever locales the machine has generated.
#include "platform/qt_locale_formats.h"

#include <gtest/gtest.h>

#include "core/formats.h"

namespace sondaro {
namespace {

TEST(LocaleFormats, OnlyTheDecimalSeparatorFollowsTheLocale) {
  const FormatSettings saved = Formats();
  const Millis evening = JoinWall(2026, 12, 10, 18, 45, 33);
  const struct {
    QLocale Locale;
    char Decimal;
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), '.'},
      {QLocale(QLocale::German, QLocale::Germany), ','},
      {QLocale::c(), '.'},
  };
  for (const auto& c : cases) {
    Formats() = FormatSettings{};
    UseScriptLineFormats();  // a run that had switched them is reset by a start
    ApplyLocaleFormats(c.Locale);
    EXPECT_EQ(Formats().DecimalSeparator, c.Decimal) << c.Locale.name().toStdString();
    EXPECT_EQ(DateTimeToStr(evening), "2026-12-10 18:45:33") << c.Locale.name().toStdString();
    // A script line switches the forms the same way under every locale.
    UseScriptLineFormats();
    EXPECT_EQ(DateTimeToStr(evening), "2026/12/10 18:45:33");
    EXPECT_EQ(DateTimeToStr(JoinWall(2026, 1, 2, 6, 5, 4)), "2026/01/02 6:05:04");
  }
  Formats() = saved;
}

}  // namespace
}  // namespace sondaro
