#pragma once
// Switches the metrics endpoint on when the program comes up.
namespace sondaro {

class App;
class MetricsExporter;
struct ProgramOptions;

// After the settings are read: --metrics-port / --metrics-address (this run
// only) or the [Metrics] keys. Without a port the endpoint stays off. A port
// that is not valid or cannot be opened is reported and the program goes on
// without it. `exporter` must outlive `app`.
void StartMetrics(App& app, const ProgramOptions& options, MetricsExporter& exporter);

}  // namespace sondaro
