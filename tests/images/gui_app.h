#pragma once
// Pixel helpers for the image tests.
#include <QApplication>

#include "support/gui_app.h"
#include <QImage>

#include "core/canvas.h"

namespace sondaro::test {

inline Color PixelOf(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return MakeColor(qRed(p), qGreen(p), qBlue(p));
}

// Pixels in the rectangle that are not white.
inline int InkIn(const QImage& image, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += image.pixel(x, y) != qRgb(255, 255, 255);
  return n;
}

inline int CountColor(const QImage& image, Color c) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += PixelOf(image, x, y) == c;
  return n;
}

}  // namespace sondaro::test
