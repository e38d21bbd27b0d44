#pragma once
// What the chart-drawing benchmarks share: a view nobody watches and the
// off-screen Qt application the QPainter canvas needs.
#include <QGuiApplication>

#include "core/view.h"

namespace sondaro::bench {

class NoView final : public View {
 public:
  void Changed(Area) override {}
  void Repaint(ChartTag) override {}
};

// Made once per benchmark program, before the first canvas.
inline void EnsureOffscreenApp() {
  static int argc = 1;
  static char name[] = "sondaro_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
}

}  // namespace sondaro::bench
