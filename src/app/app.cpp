#include "app/app.h"

#include <exception>
#include <filesystem>

#include "measure/chart/chart.h"

namespace sondaro {

namespace {

bool MultiSetPresent(const std::string& appFolder) {
  std::error_code ec;
  return std::filesystem::exists(appFolder + kMultiSetFile, ec);
}

}  // namespace

App::App(AppPorts ports)
    : ports_(ports),
      timers(ports.clock),
      status(view),
      link(timers, view, status, ports.serial, ports.tcp),
      tuning(timers, view, link.state, link.readouts, link.queue, ports.dialogs),
      rds(view, link, ports.dialogs, ports.network, ports.shell, ports.appFolder,
          ports.quilletPort),
      shell(view, ApplicationTitle(ports.appFolder, MultiSetPresent(ports.appFolder))),
      settings(ports.appFolder, ports.userConfigFolder) {
  WireLink();
  WireMeasure();
  WireMpx();
  WireModeTuning();
  WireRds();
  WireBandscan();
  WireSettings();
  WireAutomation();
  WireShell();
  WireReport();
  WireScheduler();
  WireFtp();
  WireRecorder();
  WireMetrics();
}

App::~App() { Close(); }

void App::WireLink() {
  link.connection.hooks.DebugError = [this](const std::string& m) { DebugError(m); };
}

void App::DebugError(const std::string& message) { automation.script.DebugError(message); }

void App::ReportFailedSave(const std::string& message) {
  status.SetText(message);
  if (ports_.log) ports_.log(message);
}

void App::PageControl1Change() { chart::NoActiveChart(); }

void App::ReceiveHandOff(const std::string& text) {
  const std::string file = ReceivedHandOff(text);
  if (file.empty()) return;
  if (automation.script.Running()) automation.script.StopScript();
  automation.script.ExeScript(file);
}

void App::RunCloseStep(const char* name, const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    closeFailures_.push_back(std::string(name) + ": " + e.what());
  } catch (...) {
    closeFailures_.push_back(std::string(name) + ": failed");
  }
}

// The close path, in this order; a step that fails never stops the next, so
// the settings are still written and the program still ends.
void App::Close() {
  if (closed_) return;
  closed_ = true;
  linkUpAtClose_ = link.connection.DisconnectEnabled();
  RunCloseStep("recorder", [this] { recorder.EncodeStop(); });  // finished and playable
  RunCloseStep("exit watchdog", [this] {
    if (closeHooks.StartExitWatchdog) closeHooks.StartExitWatchdog();
  });
  // Stops the scan, the capture stream and the recorder with the script.
  RunCloseStep("script", [this] { automation.script.StopScript(); });
  RunCloseStep("serial port", [this] {
    if (link.connection.ConnectionType() == "COM") link.connection.BitBtn3Click();
  });
  RunCloseStep("RDS decoder", [this] { rds.relay.SendToQuillet(kQuilletExit); });
  RunCloseStep("socket control", [this] { automation.socket.Stop(); });
  RunCloseStep("settings", [this] { SaveSettingsOnClose(); });
  RunCloseStep("FTP", [this] { ftp.CloseAtExit(); });  // no QUIT, failures ignored
}

}  // namespace sondaro
