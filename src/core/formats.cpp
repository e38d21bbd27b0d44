#include "core/formats.h"

#include <cctype>
#include <cstdio>

namespace sondaro {

FormatSettings& Formats() {
  static FormatSettings settings;
  return settings;
}

namespace {
void UseForms(const char* date, const char* time) {
  Formats().ShortDateFormat = date;
  Formats().LongTimeFormat = time;
}
}  // namespace

void UseStartFormats() { UseForms("yyyy-mm-dd", "hh:nn:ss"); }
void UsePlaceholderFormats() { UseForms("yyyy-mm-dd", "hh-nn-ss"); }
void UseScriptLineFormats() { UseForms("yyyy/mm/dd", "h:nn:ss"); }
void UseReportFormats() { UseForms("yyyy-mm-dd", "h:nn:ss"); }

namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

std::string Num(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

std::size_t Run(std::string_view f, std::size_t i) {
  const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
  std::size_t n = 0;
  while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
  return n;
}

}  // namespace

DateTimeParts SplitWall(Millis wall) {
  long long days = wall / 86400000;
  long long rest = wall % 86400000;
  if (rest < 0) rest += 86400000, --days;
  DateTimeParts p{};
  CivilFromDays(days, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(rest / 3600000);
  p.Minute = static_cast<int>(rest / 60000 % 60);
  p.Second = static_cast<int>(rest / 1000 % 60);
  p.Millisecond = static_cast<int>(rest % 1000);
  p.DayOfWeek = static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;  // 1970-01-01 was a Thursday
  return p;
}

Millis JoinWall(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  return DaysFromCivil(year, month, day) * 86400000 + hour * 3600000LL + minute * 60000LL +
         second * 1000LL + millisecond;
}

namespace {

// "am/pm" or "a/p" at f[i], in any case: its length, else 0.
std::size_t HalfDayToken(std::string_view f, std::size_t i) {
  for (std::string_view token : {"am/pm", "a/p"}) {
    if (i + token.size() > f.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < token.size(); ++k)
      same = same && std::tolower(static_cast<unsigned char>(f[i + k])) == token[k];
    if (same) return token.size();
  }
  return 0;
}

// "AM/pm" writes "AM" in the morning and "pm" after noon: each half keeps the
// case it is written in.
std::string HalfDay(std::string_view token, int hour) {
  const std::size_t slash = token.find('/');
  return std::string(hour < 12 ? token.substr(0, slash) : token.substr(slash + 1));
}

}  // namespace

std::string FormatDateTime(std::string_view f, Millis wall) {
  DateTimeParts p = SplitWall(wall);
  const int hour24 = p.Hour;
  for (std::size_t i = 0; i < f.size(); ++i)
    if (HalfDayToken(f, i) != 0) {
      p.Hour = (p.Hour + 11) % 12 + 1;
      break;
    }
  std::string out;
  bool afterHour = false;
  for (std::size_t i = 0; i < f.size();) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    if (f[i] == '"' || f[i] == '\'') {
      const std::size_t end = f.find(f[i], i + 1);
      const std::size_t stop = end == std::string_view::npos ? f.size() : end;
      out.append(f.substr(i + 1, stop - i - 1));
      i = stop + 1;
      continue;
    }
    if (const std::size_t t = HalfDayToken(f, i)) {
      out += HalfDay(f.substr(i, t), hour24);
      afterHour = false;
      i += t;
      continue;
    }
    const std::size_t n = Run(f, i);
    switch (c) {
      case 'y': out += n <= 2 ? Num(p.Year % 100, 2) : Num(p.Year, 4); break;
      case 'm':
        if (afterHour) out += Num(p.Minute, n >= 2 ? 2 : 1);
        else out += Num(p.Month, n >= 2 ? 2 : 1);
        break;
      case 'd': out += Num(p.Day, n >= 2 ? 2 : 1); break;
      case 'h': out += Num(p.Hour, n >= 2 ? 2 : 1); break;
      case 'n': out += Num(p.Minute, n >= 2 ? 2 : 1); break;
      case 's': out += Num(p.Second, n >= 2 ? 2 : 1); break;
      case 'z': out += n >= 3 ? Num(p.Millisecond, 3) : std::to_string(p.Millisecond); break;
      case '/': out += std::string(n, Formats().DateSeparator); break;
      case ':': out += std::string(n, Formats().TimeSeparator); break;
      default: out.append(f.substr(i, n)); break;
    }
    if (c == 'h') afterHour = true;
    else if (c != ':' && c != ' ' && c != 'm') afterHour = false;
    else if (c == 'm') afterHour = false;
    i += n;
  }
  return out;
}

std::string DateToStr(Millis wall) { return FormatDateTime(Formats().ShortDateFormat, wall); }
std::string TimeToStr(Millis wall) { return FormatDateTime(Formats().LongTimeFormat, wall); }
std::string DateTimeToStr(Millis wall) { return DateToStr(wall) + " " + TimeToStr(wall); }

}  // namespace sondaro
