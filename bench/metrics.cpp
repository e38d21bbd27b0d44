// What the metrics endpoint costs the engine thread: after every parser tick
// it builds the snapshot and swaps it in; scrapes run on the web server's
// threads from that copy. Measured with a scraper thread fetching /metrics
// over HTTP the whole time, and the scrape itself on its own.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "app/app.h"
#include "platform/metrics_exporter.h"
#include "sim/sim_link.h"

using namespace sondaro;

namespace {

// The program on its simulated analyzer with every reading filled: RDS
// decoded, groups streamed, the histogram and modulation power in.
struct Rig {
  Rig() {
    ports.Attach(app.timers);
    app.link.connection.BitBtn2Click();
    Advance(1500);
    for (const char* q : {"?U", "?L", "?R", "?Q", "*M", "?H"}) app.link.Send(q);
    app.power.BitBtn14Click();
    Advance(5000);
    app.rds.raw.IAeverButton35Click();
    Advance(20000);
    app.rds.data.IAeverButton32Click();
    Advance(3000);
  }
  ~Rig() { ports.Detach(); }
  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }

  VirtualClock clock;
  SilentDialogs dialogs;
  sim::SimulatedAnalyzerPorts ports{clock};
  App app{AppPorts{.clock = clock, .serial = ports.Serial(), .tcp = ports.Tcp(), .dialogs = dialogs}};
};

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

// One HTTP GET of /metrics; the bytes of the answer.
std::size_t Scrape(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::size_t total = 0;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const char request[] = "GET /metrics HTTP/1.0\r\n\r\n";
    if (::send(fd, request, sizeof request - 1, 0) > 0) {
      char buf[4096];
      for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) total += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  return total;
}

// The engine thread's share: snapshot and swap, while another thread
// scrapes over HTTP without pause.
void BM_EngineTickWithScrapes(benchmark::State& state) {
  Rig r;
  MetricsExporter exporter;
  const int port = FreePort();
  std::string error;
  if (!exporter.Start("127.0.0.1", port, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  r.app.monitorSink = &exporter;
  std::atomic<bool> stop{false};
  std::atomic<long> scrapes{0};
  std::thread scraper([&] {
    while (!stop) {
      if (Scrape(port) > 0) ++scrapes;
    }
  });
  for (auto _ : state) r.app.monitorSink->Publish(r.app.BuildMonitorSnapshot());
  stop = true;
  scraper.join();
  state.counters["scrapes"] = static_cast<double>(scrapes);
}
BENCHMARK(BM_EngineTickWithScrapes)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// One whole scrape over HTTP (on the server's threads, not the engine's).
void BM_HttpScrape(benchmark::State& state) {
  Rig r;
  MetricsExporter exporter;
  const int port = FreePort();
  std::string error;
  if (!exporter.Start("127.0.0.1", port, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  exporter.Publish(r.app.BuildMonitorSnapshot());
  std::size_t bytes = 0;
  for (auto _ : state) bytes = Scrape(port);
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HttpScrape)->Unit(benchmark::kMicrosecond);

}  // namespace
