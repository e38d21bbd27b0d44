#pragma once
// The read-only metrics endpoint: serves the latest MonitorSnapshot as
// "/metrics" in the Prometheus text format over HTTP (our own small server;
// prometheus-cpp writes the text). The engine publishes a snapshot after
// every parser tick; scrapes are answered from the server's thread out of
// the last published copy, so a scrape never touches the engine. Nothing but
// GET of "/metrics" is served: no files, no scripts.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "core/text.h"  // Latin1ToUtf8
#include "platform/metrics_http_server.h"

namespace prometheus {
struct MetricFamily;
}

namespace sondaro {

// The families of one scrape. Readings without a value are left out; the
// RDS texts are labels of "sondaro_rds_info" (UTF-8, escaped by the
// serialiser).
[[nodiscard]] std::vector<prometheus::MetricFamily> MetricFamilies(const MonitorSnapshot& s);
// The text a scrape of this snapshot returns.
[[nodiscard]] std::string MetricsText(const MonitorSnapshot& s);

class MetricsExporter final : public MonitorSink {
 public:
  MetricsExporter();
  ~MetricsExporter() override;
  MetricsExporter(const MetricsExporter&) = delete;
  MetricsExporter& operator=(const MetricsExporter&) = delete;

  // Listens on address:port (an IPv6 address without brackets is fine).
  // False, with the reason in `error`, when it cannot.
  bool Start(const std::string& address, int port, std::string& error);
  [[nodiscard]] bool Listening() const { return server_ != nullptr; }
  [[nodiscard]] int Port() const { return server_ ? server_->Port() : 0; }

  // Engine thread: swaps in a copy under a short lock.
  void Publish(const MonitorSnapshot& snapshot) override;
  // The last published copy (none before the first tick).
  [[nodiscard]] std::shared_ptr<const MonitorSnapshot> Latest() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const MonitorSnapshot> latest_;
  std::unique_ptr<MetricsHttpServer> server_;
};

}  // namespace sondaro
