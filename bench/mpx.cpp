// One capture through the whole processing (carrier analysis included),
// beside the three transforms of a capture alone, in the same run; and the
// MPX and RF charts drawn with the QPainter canvas. Demodulate must stay
// under 0.3 ms and within 20 times the transforms; each chart under 2 ms.
#include <benchmark/benchmark.h>


#include "link/device_link.h"
#include "measure/mpx/mpx.h"
#include "platform/qpainter_canvas.h"
#include "sim/mpx.h"
#include "drawing_bench.h"
#include "support/fakes.h"

namespace sondaro {
namespace {

using bench::NoView;

// A stereo station with tones, pilot and RDS, demodulated a few times so
// that every history is full.
struct Station {
  Station() {
    bench::EnsureOffscreenApp();
    sim::Modulation m;
    m.PilotKHz = 6.8;
    m.RdsKHz = 3.5;
    m.AudioKHz = 60;
    m.Audio = sim::AudioKind::Tones;
    m.ToneLeftHz = 1000;
    m.ToneRightHz = 3000;
    m.ToneAmp = 0.8;
    sim::CaptureInput in;
    in.Mpx = &m;
    in.RdsSymbols = {1, -1, 1, 1, -1, 1, -1, -1};
    const auto counts = sim::SynthesiseCapture(in);
    for (int k = 0; k < kMpxSampleCount; ++k) link.state.MpxSamples[k] = counts[k];
    link.state.PilotKHz = 6.8f;
    link.state.RdsDeviationKHz = 3.5f;
    link.state.PhaseDeg = 4;
    for (int i = 0; i < 10; ++i) Demodulate();
    mpx.rf.Histogram = mpx.rf.Mask = true;
  }
  void Demodulate() {
    link.state.MpxDataReady = true;
    mpx.Demodulate();
  }
  VirtualClock clock;
  TimerSet timers{clock};
  NoView view;
  StatusBar status{view};
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  DeviceLink link{timers, view, status, serial, tcp};
  Mpx mpx{timers, view, link};
};

Station& Shared() {
  static Station s;
  return s;
}

void BM_ThreeTransforms(benchmark::State& state) {
  Station& s = Shared();
  const std::vector<float>& baseband = s.mpx.capture.Baseband;
  mpx::Fft fft;
  std::vector<float> mags;
  float phase = 0;
  for (auto _ : state) {
    fft.MakeFFT(baseband, -1, 12, 0, mags, phase);
    fft.MakeFFT(baseband, -1, 12, static_cast<long>(baseband.size()) - 4096, mags, phase);
    fft.MakeFFT(baseband, 13, 11, 500, mags, phase);
    benchmark::DoNotOptimize(mags.data());
  }
}
BENCHMARK(BM_ThreeTransforms)->Unit(benchmark::kMicrosecond);

void BM_Demodulate(benchmark::State& state) {
  Station& s = Shared();
  for (auto _ : state) {
    s.Demodulate();
    benchmark::DoNotOptimize(s.mpx.capture.PeakLevelLeft);
  }
}
BENCHMARK(BM_Demodulate)->Unit(benchmark::kMicrosecond);

void BM_DrawMpxChart(benchmark::State& state) {
  Station& s = Shared();
  QImageCanvas canvas(Mpx::kChartWidth, Mpx::kChartHeight);
  const int target = static_cast<int>(state.range(0));
  for (auto _ : state) {
    s.mpx.VymalujMPX(target, canvas);
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
}
BENCHMARK(BM_DrawMpxChart)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DrawRfChart(benchmark::State& state) {
  Station& s = Shared();
  QImageCanvas canvas(RfCarrier::kChartWidth, RfCarrier::kChartHeight);
  for (auto _ : state) {
    s.mpx.VymalujRF(0, canvas);
    benchmark::DoNotOptimize(canvas.Image().constBits());
  }
}
BENCHMARK(BM_DrawRfChart)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace sondaro
