#pragma once
// The system clipboard, as far as the charts need it.
#include "core/canvas.h"

namespace sondaro {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard contents with the picture; false when the
  // clipboard could not be opened or filled.
  virtual bool SetImage(const RgbImage& image) = 0;
};

}  // namespace sondaro
