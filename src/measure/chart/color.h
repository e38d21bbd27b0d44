#pragma once
// Colours given as hue, saturation and lightness.
#include "core/canvas.h"

namespace sondaro::chart {

// HSL (each 0..1, hue wraps) to RGB. The channel offsets are exactly 0.3333
// and every byte is truncated, so ToRGB(h, 0, 0.86) is the grey 219.
[[nodiscard]] Color ToRGB(double hue, double saturation, double lightness);

}  // namespace sondaro::chart
