#include "platform/qt_locale_formats.h"

#include "core/formats.h"

namespace sondaro {

void ApplyLocaleFormats(const QLocale& locale) {
  FormatSettings& f = Formats();
  const QString point = locale.decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 128)
    f.DecimalSeparator = static_cast<char>(point[0].unicode());
  UseStartFormats();
}

}  // namespace sondaro
