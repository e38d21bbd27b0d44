#include "app/app.h"

namespace sondaro {

App::App(AppPorts ports)
    : ports_(ports),
      timers(ports.clock),
      status(view),
      link(timers, view, status, ports.serial, ports.tcp),
      settings(ports.appFolder, ports.userConfigFolder) {
  WireLink();
  WireSettings();
}

App::~App() { Close(); }

void App::WireLink() {
  link.connection.hooks.DebugError = [this](const std::string& m) { DebugError(m); };
  // Until mode handling is wired, a link that comes up only asks for the
  // tuned frequency.
  link.connection.hooks.LinkUp = [this] { link.Send("?F"); };
}

void App::DebugError(const std::string&) {
  // Reported through the script interpreter once it exists.
}

void App::Close() {
  if (closed_) return;
  closed_ = true;
  linkUpAtClose_ = link.connection.DisconnectEnabled();
  if (link.connection.ConnectionType() == "COM") link.connection.BitBtn3Click();
  SaveSettingsOnClose();  // last but the FTP close
}

}  // namespace sondaro
