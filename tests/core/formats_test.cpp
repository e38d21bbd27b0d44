// The one date/time formatter: tokens, separators and the half-day forms
// that locales use, independent of the machine's locale and time zone.
#include "core/formats.h"

#include <gtest/gtest.h>

namespace sondaro {
namespace {

TEST(Formats, TokensSeparatorsAndHalfDay) {
  const Millis morning = JoinWall(2024, 3, 5, 9, 7, 3, 45);
  const Millis evening = JoinWall(2024, 3, 5, 21, 7, 3);
  const Millis midnight = JoinWall(2024, 3, 5, 0, 30, 0);
  const Millis noon = JoinWall(2024, 3, 5, 12, 30, 0);
  const struct {
    const char* format;
    Millis wall;
    const char* text;
  } cases[] = {
      {"yyyy-mm-dd hh:nn:ss", morning, "2024-03-05 09:07:03"},
      {"yyyy/mm/dd h:nn:ss", morning, "2024-03-05 9:07:03"},  // "/" and ":" are the separators
      {"d.m.yy hh:mm", morning, "5.3.24 09:07"},               // "mm" after an hour is minutes
      {"hh:nn:ss.zzz", morning, "09:07:03.045"},
      {"h:nn:ss am/pm", morning, "9:07:03 am"},
      {"h:nn:ss AM/PM", evening, "9:07:03 PM"},
      {"hh:nn a/p", evening, "09:07 p"},
      {"h:nn am/pm", midnight, "12:30 am"},
      {"h:nn am/pm", noon, "12:30 pm"},
      {"hh:nn", evening, "21:07"},
      {"d'.'m'.'yyyy", morning, "5.3.2024"},
      {"\"at\" hh", morning, "at 09"},
  };
  const FormatSettings saved = Formats();
  Formats().DateSeparator = '-';
  Formats().TimeSeparator = ':';
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.wall), c.text) << c.format;
  Formats().ShortDateFormat = "dd/mm/yyyy";
  Formats().LongTimeFormat = "hh:nn:ss";
  Formats().DateSeparator = '.';
  EXPECT_EQ(DateTimeToStr(morning), "05.03.2024 09:07:03");
  Formats() = saved;
}

}  // namespace
}  // namespace sondaro
