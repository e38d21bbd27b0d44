#include "platform/qt_locale_formats.h"

#include "core/formats.h"

namespace sondaro {

namespace {

// A run of one pattern letter in the program's tokens; nullopt when the
// program has none for it, "" for what is dropped.
std::optional<std::string> Token(char letter, qsizetype n) {
  const auto runOf = [](char c, qsizetype k) { return std::string(static_cast<std::size_t>(k), c); };
  switch (letter) {
    case 'd': return n <= 2 ? std::optional(runOf('d', n)) : std::nullopt;
    case 'M': return n <= 2 ? std::optional(runOf('m', n)) : std::nullopt;
    case 'y': return n == 2 ? "yy" : "yyyy";
    case 'h':
    case 'H': return runOf('h', std::min<qsizetype>(n, 2));
    case 'm': return runOf('n', std::min<qsizetype>(n, 2));
    case 's': return runOf('s', std::min<qsizetype>(n, 2));
    case 'z': return n >= 3 ? "zzz" : "z";
    case 'A': return "AM/PM";
    case 'a': return "am/pm";
    case 't': return "";
    default: return std::nullopt;
  }
}

bool IsPatternLetter(QChar c) { return QStringLiteral("dMyhHmszAapt").contains(c); }

}  // namespace

std::optional<std::string> FormatFromQt(const QString& f) {
  std::string out, literal;
  const auto flushLiteral = [&] {
    if (!literal.empty()) out += "\"" + literal + "\"";
    literal.clear();
  };
  for (qsizetype i = 0; i < f.size();) {
    const QChar c = f[i];
    if (c.unicode() > 0xFF) return std::nullopt;  // texts are 8-bit
    if (c == '\'') {  // quoted text; '' is one quote
      qsizetype j = i + 1;
      while (j < f.size() && f[j] != '\'') {
        if (f[j].unicode() > 0xFF) return std::nullopt;
        literal += f[j++].toLatin1();
      }
      if (j == i + 1 && j < f.size()) literal += '\'';
      i = j + 1;
      continue;
    }
    if (!IsPatternLetter(c)) {
      literal += c.toLatin1();
      ++i;
      continue;
    }
    qsizetype n = 1;
    while (i + n < f.size() && f[i + n] == c) ++n;
    // "AP" and "ap" are one token, as "A" and "a" are.
    if ((c == 'A' || c == 'a') && i + n < f.size() && f[i + n].toLower() == 'p') ++n;
    const auto token = Token(c.toLatin1(), n);
    if (!token) return std::nullopt;
    if (token->empty()) {
      // The time zone goes, with the blank before it.
      while (!literal.empty() && literal.back() == ' ') literal.pop_back();
    } else {
      flushLiteral();
      out += *token;
    }
    i += n;
  }
  flushLiteral();
  return out;
}

void ApplyLocaleFormats(const QLocale& locale) {
  FormatSettings& f = Formats();
  const QString point = locale.decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 128)
    f.DecimalSeparator = static_cast<char>(point[0].unicode());
  if (locale.language() == QLocale::C) return;
  const auto date = FormatFromQt(locale.dateFormat(QLocale::ShortFormat));
  const auto time = FormatFromQt(locale.timeFormat(QLocale::LongFormat));
  if (date) f.ShortDateFormat = *date;
  if (time) f.LongTimeFormat = *time;
}

}  // namespace sondaro
