// The bandscan: processing a whole scanned band (206 channels, drawn as 411
// curve points) and drawing both of its charts in every style with the
// QPainter canvas. Targets: processing well under 1 ms, a drawing under 5 ms.
#include <benchmark/benchmark.h>


#include "link/device_link.h"
#include "link/mode_tuning.h"
#include "measure/bandscan.h"
#include "platform/qpainter_canvas.h"
#include "drawing_bench.h"
#include "support/fakes.h"

namespace sondaro {
namespace {

using bench::NoView;

// A band with carriers every 1.3 MHz, their neighbours' spill and noise
// between them, as a dBuV analyzer reports it.
ChannelReadings Band() {
  ChannelReadings r;
  for (int i = 0; i < kScanChannels; ++i) {
    const int d = i % 13;
    if (d == 0)
      r[i] = {40 + i % 37, 35 + i % 20, 324 + i % 3};
    else if (d == 1 || d == 12)
      r[i] = {25, 150, d == 1 ? 220 : 430};
    else
      r[i] = {-3 + i % 5, 430 + i % 60, 150 + (i * 37) % 300};
  }
  return r;
}

struct Scan {
  Scan() {
    bench::EnsureOffscreenApp();
    link.state.LevelInDbuv = true;
    b.BandscanReadings = Band();
    b.RandomBit = [] { return 1; };
    b.ProcessBandscan();
    for (std::size_t k = 0; k < b.StationList.size(); ++k) {
      b.StationList[k].PI = "D3" + std::to_string(10 + k);
      b.StationList[k].PS = "STATION" + std::to_string(k % 10);
    }
    b.BandscanAcquiredText = "2024-01-15 12:00:00";
  }
  VirtualClock clock;
  TimerSet timers{clock};
  NoView view;
  StatusBar status{view};
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  DeviceLink link{timers, view, status, serial, tcp};
  ModeTuning tuning{timers, view, link.state, link.readouts, link.queue, dialogs};
  Bandscan b{timers, view, status, link, tuning};
};

Scan& Shared() {
  static Scan scan;
  return scan;
}

void BM_ProcessBandscanDbuv(benchmark::State& state) {
  const ChannelReadings band = Band();
  auto bit = [] { return 0; };
  for (auto _ : state) benchmark::DoNotOptimize(ProcessReadings(band, true, 70, bit));
}
BENCHMARK(BM_ProcessBandscanDbuv)->Unit(benchmark::kMicrosecond);

void BM_ProcessBandscanCalibrated(benchmark::State& state) {
  ChannelReadings band = Band();
  for (auto& r : band) r.Level = r.Level > 30 ? 60 + r.Level % 10 : r.Level * 20;
  auto bit = [] { return 0; };
  for (auto _ : state) benchmark::DoNotOptimize(ProcessReadings(band, false, 70, bit));
}
BENCHMARK(BM_ProcessBandscanCalibrated)->Unit(benchmark::kMicrosecond);

void BM_DrawBandscan(benchmark::State& state) {
  Scan& s = Shared();
  s.b.Style = static_cast<int>(state.range(0));
  s.b.Grid = true;
  QImageCanvas canvas(Bandscan::kChartWidth, Bandscan::kChartHeight);
  for (auto _ : state) {
    s.b.VymalujBAND(2, canvas);
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
}
BENCHMARK(BM_DrawBandscan)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_DrawExtendedBandscan(benchmark::State& state) {
  Scan& s = Shared();
  s.b.Style = static_cast<int>(state.range(0));
  s.b.Grid = true;
  QImageCanvas canvas(1000, 400);
  for (auto _ : state) {
    s.b.VymalujEBND(2, canvas);
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
}
BENCHMARK(BM_DrawExtendedBandscan)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sondaro
