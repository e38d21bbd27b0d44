#pragma once
// Switches the metrics endpoint on when the program comes up.
#include <memory>

namespace sondaro {

class App;
class MetricsExporter;
struct ProgramOptions;

// After the settings are read: --metrics-port / --metrics-address (this run
// only) or the [Metrics] keys. Without a port the endpoint stays off. A port
// that is not valid or cannot be opened is reported and the program goes on
// without it. The exporter is made only when the endpoint is on; `exporter`
// must outlive `app`.
void StartMetrics(App& app, const ProgramOptions& options,
                  std::unique_ptr<MetricsExporter>& exporter);

}  // namespace sondaro
