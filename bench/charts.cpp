// Drawing each chart into its image with the QPainter canvas, as a paint
// event or a saved image does; and the two image encodings. A chart must draw
// well within one frame (16 ms).
#include <benchmark/benchmark.h>


#include "core/formats.h"
#include "link/device_link.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "output/chart_images.h"
#include "platform/qpainter_canvas.h"
#include "drawing_bench.h"
#include "support/fakes.h"

namespace sondaro {
namespace {

using bench::NoView;

// One engine with a full histogram and a full 30-minute power window.
struct Charts {
  Charts() {
    bench::EnsureOffscreenApp();
    HistogramCounts bins{};
    for (int i = 0; i < kHistogramBins; ++i) bins[i] = 30000 / (1 + std::abs(i - 55));
    dev.StoreHistogram(bins);
    for (int i = 0; i < 1800; ++i) pm.StorePmValue(static_cast<float>((i * 37) % 90) / 10 - 5);
  }
  VirtualClock clock;
  TimerSet timers{clock};
  NoView view;
  StatusBar status{view};
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  DeviceLink link{timers, view, status, serial, tcp};
  DeviationHistogram dev{clock, view, link};
  ModulationPower pm{clock, view, link};
};

Charts& Shared() {
  static Charts charts;
  return charts;
}

template <typename Draw>
void DrawInto(benchmark::State& state, int w, int h, Draw draw) {
  QImageCanvas canvas(w, h);
  for (auto _ : state) {
    draw(canvas);
    benchmark::DoNotOptimize(canvas.Image().constBits());  // painting finished
  }
}

void BM_DrawDeviationHistogram(benchmark::State& state) {
  Charts& c = Shared();
  c.dev.ShowHistogram = true;
  DrawInto(state, 521, 233, [&](Canvas& canvas) { c.dev.VymalujDEV(2, canvas); });
}
BENCHMARK(BM_DrawDeviationHistogram)->Unit(benchmark::kMillisecond);

void BM_DrawDeviationAccumulated(benchmark::State& state) {
  Charts& c = Shared();
  c.dev.ShowHistogram = false;
  DrawInto(state, 521, 233, [&](Canvas& canvas) { c.dev.VymalujDEV(2, canvas); });
  c.dev.ShowHistogram = true;
}
BENCHMARK(BM_DrawDeviationAccumulated)->Unit(benchmark::kMillisecond);

void BM_DrawModulationPower(benchmark::State& state) {
  Charts& c = Shared();
  DrawInto(state, 609, 201, [&](Canvas& canvas) { c.pm.VymalujPM(2, canvas); });
}
BENCHMARK(BM_DrawModulationPower)->Unit(benchmark::kMillisecond);

// A mouse move with the cursor held redraws the whole chart with its readout.
void BM_DrawModulationPowerWithCursor(benchmark::State& state) {
  Charts& c = Shared();
  QImageCanvas canvas(609, 201);
  c.pm.VymalujPM(0, canvas);
  c.pm.Chart.MouseDown(300, 80, {});
  DrawInto(state, 609, 201, [&](Canvas& canvas) { c.pm.VymalujPM(0, canvas); });
  c.pm.Chart.MouseUp(300, 80, {});
}
BENCHMARK(BM_DrawModulationPowerWithCursor)->Unit(benchmark::kMillisecond);

// One value of the power stream: window, statistics and texts.
void BM_StorePmValueFullWindow(benchmark::State& state) {
  Charts& c = Shared();
  for (auto _ : state) {
    c.pm.StorePmValue(1.5f);
    if (c.pm.PmHistory.size() > 100000) c.pm.PmHistory.resize(1800);
  }
}
BENCHMARK(BM_StorePmValueFullWindow)->Unit(benchmark::kMicrosecond);

void BM_EncodeBmp(benchmark::State& state) {
  QImageCanvas canvas(521, 233);
  Shared().dev.VymalujDEV(2, canvas);
  const RgbImage image = canvas.Pixels();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeBmp(image));
}
BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg95(benchmark::State& state) {
  QImageCanvas canvas(521, 233);
  Shared().dev.VymalujDEV(2, canvas);
  const RgbImage image = canvas.Pixels();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeJpeg(image, 95));
}
BENCHMARK(BM_EncodeJpeg95)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sondaro
