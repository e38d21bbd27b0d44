#include "app/app.h"

namespace sondaro {

App::App(AppPorts ports)
    : ports_(ports),
      timers(ports.clock),
      status(view),
      link(timers, view, status, ports.serial, ports.tcp),
      tuning(timers, view, link.state, link.readouts, link.queue, ports.dialogs),
      rds(view, link, ports.dialogs, ports.network, ports.shell, ports.appFolder,
          ports.quilletPort),
      settings(ports.appFolder, ports.userConfigFolder) {
  WireLink();
  WireMeasure();
  WireModeTuning();
  WireRds();
  WireSettings();
  WireAutomation();
  WireReport();
  WireScheduler();
}

App::~App() { Close(); }

void App::WireLink() {
  link.connection.hooks.DebugError = [this](const std::string& m) { DebugError(m); };
}

void App::DebugError(const std::string& message) { automation.script.DebugError(message); }

void App::Close() {
  if (closed_) return;
  closed_ = true;
  linkUpAtClose_ = link.connection.DisconnectEnabled();
  CloseAutomation();  // the script stops, the socket control server closes
  if (link.connection.ConnectionType() == "COM") link.connection.BitBtn3Click();
  rds.relay.SendToQuillet(kQuilletExit);  // the decoder closes too
  SaveSettingsOnClose();  // last but the FTP close
}

}  // namespace sondaro
