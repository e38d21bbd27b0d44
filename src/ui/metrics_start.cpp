#include "ui/metrics_start.h"

#include <cstdio>

#include "app/app.h"
#include "core/text.h"
#include "platform/metrics_exporter.h"
#include "ui/program.h"

namespace sondaro {

void StartMetrics(App& app, const ProgramOptions& options,
                  std::unique_ptr<MetricsExporter>& exporter) {
  const std::string portText = options.MetricsPort.empty() ? app.metrics.Port : options.MetricsPort;
  const std::string address =
      options.MetricsAddress.empty() ? app.metrics.Address : options.MetricsAddress;
  if (portText.empty()) return;
  const auto port = ReadInt(portText);
  std::string error = "not a port number";
  if (port && *port >= 1 && *port <= 65535) exporter = std::make_unique<MetricsExporter>();
  if (exporter && exporter->Start(address, static_cast<int>(*port), error)) {
    app.monitorSink = exporter.get();
    app.monitorSink->Publish(app.BuildMonitorSnapshot());
    std::fprintf(stderr, "sondaro: metrics on http://%s:%d/metrics\n", address.c_str(),
                 static_cast<int>(*port));
    return;
  }
  exporter.reset();
  app.GetDialogs().ShowMessage("The metrics endpoint cannot listen on " + address + ":" +
                               portText + " (" + error + ")");
}

}  // namespace sondaro
