#pragma once
// Process-wide number and date/time formats. The decimal separator is read
// from the locale at start and can be set by tests; scripts and the report
// switch the date and time formats. Every date text goes through
// FormatDateTime.
#include <string>
#include <string_view>

#include "core/clock.h"

namespace sondaro {

struct FormatSettings {
  char DecimalSeparator = '.';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "yyyy-mm-dd";
  std::string LongTimeFormat = "hh:nn:ss";
};

FormatSettings& Formats();

// Broken-down local time of a wall-clock millisecond value.
struct DateTimeParts {
  int Year, Month, Day, Hour, Minute, Second, Millisecond, DayOfWeek;  // DayOfWeek 1 = Sunday
};
[[nodiscard]] DateTimeParts SplitWall(Millis wall);
[[nodiscard]] Millis JoinWall(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0, int millisecond = 0);

// Format tokens: yyyy yy mm m dd d hh h nn n ss s zzz, "/" for the date
// separator and ":" for the time separator; "mm" right after an hour token is
// minutes. Text in double quotes is copied as it stands.
[[nodiscard]] std::string FormatDateTime(std::string_view format, Millis wall);
[[nodiscard]] std::string DateToStr(Millis wall);  // short date format
[[nodiscard]] std::string TimeToStr(Millis wall);  // long time format

}  // namespace sondaro
