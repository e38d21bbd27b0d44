#pragma once
// Process-wide number and date/time formats. The decimal separator comes
// from the user's locale at start; the date and time forms are the
// program's own, whatever the locale, and switch as the program works:
//   at start                        "yyyy-mm-dd"  "hh:nn:ss"
//   while placeholders are replaced "yyyy-mm-dd"  "hh-nn-ss"
//   from the first script line on   "yyyy/mm/dd"  "h:nn:ss"
//   from the first report on        "yyyy-mm-dd"  "h:nn:ss"
// The forms stay switched for the rest of the run. Every date and time the
// program shows or writes goes through DateToStr / TimeToStr in the forms in
// force.
#include <string>
#include <string_view>

#include "core/clock.h"

namespace sondaro {

struct FormatSettings {
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongTimeFormat = "hh:nn:ss";
};

FormatSettings& Formats();

// The switches of the date and time forms (see above).
void UseStartFormats();
void UsePlaceholderFormats();
void UseScriptLineFormats();
void UseReportFormats();

// Broken-down local time of a wall-clock millisecond value.
struct DateTimeParts {
  int Year, Month, Day, Hour, Minute, Second, Millisecond, DayOfWeek;  // DayOfWeek 1 = Sunday
};
[[nodiscard]] DateTimeParts SplitWall(Millis wall);
[[nodiscard]] Millis JoinWall(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0, int millisecond = 0);

// Format tokens: yyyy yy mm m dd d hh h nn n ss s zzz, "/" for the date
// separator and ":" for the time separator; "mm" right after an hour token is
// minutes. "am/pm" (or "a/p") writes the half of the day in the case given
// and makes the hours count 1 to 12. Text in double or single quotes is
// copied as it stands.
[[nodiscard]] std::string FormatDateTime(std::string_view format, Millis wall);
[[nodiscard]] std::string DateToStr(Millis wall);  // short date format
[[nodiscard]] std::string TimeToStr(Millis wall);  // long time format
// The one display form of a moment: short date, a blank, long time.
[[nodiscard]] std::string DateTimeToStr(Millis wall);

}  // namespace sondaro
