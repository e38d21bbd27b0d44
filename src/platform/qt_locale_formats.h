#pragma once
// The process-wide formats (core/formats.h) from the user's locale, once at
// start: the decimal separator, the short date and the long time format.
#include <QLocale>
#include <QString>
#include <optional>
#include <string>

namespace sondaro {

// A Qt date/time format ("M/d/yy", "HH:mm:ss t") in the program's own
// tokens, literal text quoted. The time zone ("t") is left out; nullopt for
// forms the program cannot write (month and day names).
[[nodiscard]] std::optional<std::string> FormatFromQt(const QString& qtFormat);

// Sets the formats from `locale`. The C locale (no language chosen) keeps
// the program's own "yyyy-mm-dd" and "hh:nn:ss".
void ApplyLocaleFormats(const QLocale& locale);

}  // namespace sondaro
