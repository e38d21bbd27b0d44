// Cost of the device link's hot paths: one parser tick over a buffer near its
// 5000-character limit, and queueing with the awaited-reply check.
#include <benchmark/benchmark.h>

#include "app/app.h"
#include "core/ports.h"
#include "support/fakes.h"

using namespace sondaro;

namespace {

struct Rig {
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
};

// A buffer of ~4990 characters: many small sections, the worst case for the
// search being a long incomplete tail after them.
std::string NearFullBuffer(bool completeFront) {
  std::string s;
  if (completeFront) s = "Pilot:\r\n   6.8 kHz\r\n\r\n";
  s += "W:\r\n";
  while (s.size() < 4990) s += static_cast<char>('A' + s.size() % 26);
  return s;
}

void BM_ParserTickCompleteSection(benchmark::State& state) {
  Rig r;
  const std::string buffer = NearFullBuffer(true);
  for (auto _ : state) {
    state.PauseTiming();
    r.app.link.connection.ReceiveBuffer() = buffer;
    state.ResumeTiming();
    r.app.link.parser.Timer12Timer();
  }
}
BENCHMARK(BM_ParserTickCompleteSection);

void BM_ParserTickIncompleteSection(benchmark::State& state) {
  Rig r;
  r.app.link.connection.ReceiveBuffer() = NearFullBuffer(false).substr(0, 4900);
  for (auto _ : state) r.app.link.parser.Timer12Timer();
}
BENCHMARK(BM_ParserTickIncompleteSection);

void BM_SendAndMaSeCekat(benchmark::State& state) {
  Rig r;
  const char* queries[] = {"?F", "?Q", "?L", "?R", "?E", "?I", "?U", "?G", "?H", "?D", "?T"};
  for (auto _ : state) {
    for (const char* q : queries) r.app.link.Send(q);
    benchmark::DoNotOptimize(r.app.link.queue.MaSeCekat());
    while (!r.app.link.queue.Empty()) r.app.link.queue.Timer10Timer();
  }
  state.SetItemsProcessed(state.iterations() * 11);
}
BENCHMARK(BM_SendAndMaSeCekat);

}  // namespace
