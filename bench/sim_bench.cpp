// Cost of the simulated analyzer's heavy replies against the time they
// stand for: a capture covers 1.6 ms (3.2 ms doubled) of signal and is asked
// for a few times a second; a second of RDS is 11.4 groups.
#include <benchmark/benchmark.h>

#include "sim/model.h"

namespace {

using namespace sondaro::sim;

void BM_Capture(benchmark::State& state) {
  const bool dbl = state.range(0) != 0;
  const World world = DefaultWorld();
  const Station& s = world.Stations.front();  // programme noise, stereo, RDS
  const Modulation m = ModulationOf(s, 0);
  CaptureInput in;
  in.Mpx = &m;
  in.IfKHz = 323.25;
  in.SnrDb = 50;
  in.Double = dbl;
  for (std::size_t i = 0; i < in.RdsSymbols.size(); ++i) in.RdsSymbols[i] = (i % 3) ? 1 : -1;
  std::uint64_t seed = 0;
  for (auto _ : state) {
    in.Seed = ++seed;
    benchmark::DoNotOptimize(SynthesiseCapture(in));
  }
  state.SetLabel(dbl ? "2?W, 3.2 ms of signal" : "1?W, 1.6 ms of signal");
}
BENCHMARK(BM_Capture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CaptureReply(benchmark::State& state) {
  // The whole "?I1?W" exchange through the model, line time included.
  Model model(DefaultWorld(), SimOptions{});
  sondaro::Millis t = 0;
  for (auto _ : state) {
    model.Receive(t, "?I1?W");
    t += 500;
    benchmark::DoNotOptimize(model.TakeOutput(t));
  }
}
BENCHMARK(BM_CaptureReply)->Unit(benchmark::kMicrosecond);

void BM_OneSecondOfGroups(benchmark::State& state) {
  Model model(DefaultWorld(), SimOptions{});
  model.Receive(0, "*R");
  sondaro::Millis t = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    t += 1000;
    bytes += model.TakeOutput(t).size();
  }
  state.counters["bytes_per_s"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OneSecondOfGroups)->Unit(benchmark::kMicrosecond);

}  // namespace
