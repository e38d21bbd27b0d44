#include "platform/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

namespace sondaro {

bool QtClipboard::SetImage(const RgbImage& image) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || image.Width <= 0 || image.Height <= 0) return false;
  const QImage view(image.Pixels.data(), image.Width, image.Height, image.Width * 3,
                    QImage::Format_RGB888);
  clipboard->setImage(view.copy());  // the copy owns its pixels
  return true;
}

}  // namespace sondaro
