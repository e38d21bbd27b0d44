#pragma once
// The one format taken from the user's locale at start: the decimal
// separator of the numbers the program shows and writes. Dates and times
// keep the program's own forms (core/formats.h) whatever the locale.
#include <QLocale>

namespace sondaro {

void ApplyLocaleFormats(const QLocale& locale);

}  // namespace sondaro
