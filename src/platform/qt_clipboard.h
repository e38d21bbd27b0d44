#pragma once
// The system clipboard through Qt; needs a QGuiApplication.
#include "core/clipboard.h"

namespace sondaro {

class QtClipboard final : public Clipboard {
 public:
  bool SetImage(const RgbImage& image) override;
};

}  // namespace sondaro
