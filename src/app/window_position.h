#pragma once
// Where the main window opens: its saved "Top" and "Left", kept on the screen.
#include "core/canvas.h"

namespace sondaro {

struct WindowGeometry {
  int ScreenWidth = 0, ScreenHeight = 0;
  int WindowWidth = 0, WindowHeight = 0;
};

// A position less than 20 pixels from the right or bottom edge is moved so
// the window ends at that edge; a negative one stays as it is (a screen may
// lie to the left). Any stored value works, INT_MAX and INT_MIN included.
[[nodiscard]] PixelPoint KeepOnScreen(int left, int top, const WindowGeometry& g);

}  // namespace sondaro
