#include "app/window_position.h"

#include <algorithm>

namespace sondaro {

namespace {

// Window positions on X11 are 16-bit: nothing lies further left or up.
constexpr int kFarthestOff = -32768;

int KeepOnAxis(int pos, int screen, int window) {
  // "screen < pos + 20", written so that a huge pos cannot overflow.
  if (pos > screen - 20) return screen - window;
  return std::max(pos, kFarthestOff);
}

}  // namespace

PixelPoint KeepOnScreen(int left, int top, const WindowGeometry& g) {
  return {KeepOnAxis(left, g.ScreenWidth, g.WindowWidth),
          KeepOnAxis(top, g.ScreenHeight, g.WindowHeight)};
}

}  // namespace sondaro
