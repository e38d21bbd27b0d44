#include "measure/chart/color.h"

#include <algorithm>
#include <cmath>

namespace sondaro::chart {

namespace {

double Channel(double p, double q, double t) {
  if (std::isfinite(t)) {
    while (t < 0) t += 1;
    while (t > 1) t -= 1;
  }
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 1.0 / 2) return q;
  if (t < 2.0 / 3) return p + (q - p) * 6 * (2.0 / 3 - t);
  return p;
}

int Byte(double v) {
  const double b = std::trunc(v * 255);
  if (!(b >= 0)) return 0;  // also NaN
  return static_cast<int>(std::min(b, 255.0));
}

}  // namespace

Color ToRGB(double hue, double saturation, double lightness) {
  const double l = lightness, s = saturation;
  const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  return MakeColor(Byte(Channel(p, q, hue + 0.3333)), Byte(Channel(p, q, hue)),
                   Byte(Channel(p, q, hue - 0.3333)));
}

}  // namespace sondaro::chart
