#pragma once
// Owns every store and subsystem of the program and wires them together.
// The GUI, the headless program and the end-to-end tests all build one App.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_shell.h"
#include "app/settings.h"
#include "core/audio_input.h"
#include "core/clock.h"
#include "core/ftp_client.h"
#include "core/monitor.h"
#include "core/ports.h"
#include "core/shell.h"
#include "core/timer.h"
#include "core/view.h"
#include "link/device_link.h"
#include "automation/automation.h"
#include "devconfig/alarm_outputs.h"
#include "devconfig/dip_switches.h"
#include "automation/scheduler.h"
#include "measure/bandscan.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "measure/mpx/mpx.h"
#include "output/chart_images.h"
#include "output/data_files.h"
#include "output/report.h"
#include "output/ftp_session.h"
#include "output/mp3_recorder.h"
#include "link/mode_tuning.h"
#include "rds/rds.h"

namespace sondaro {

// What the outside world lends the engine.
struct AppPorts {
  Clock& clock;
  SerialPort& serial;
  TcpClient& tcp;
  Dialogs& dialogs;
  NetworkFactory* network = nullptr;
  // The executable's folder with a trailing "/": holds the settings file.
  std::string appFolder = "./";
  // Starts programs and opens documents; null where nothing may be launched.
  Shell* shell = nullptr;
  // The Quillet relay listens here; fixed in the program, free ones in tests.
  int quilletPort = kQuilletPort;
  // Per-user folder for the settings when appFolder is not writable; empty:
  // $XDG_CONFIG_HOME/sondaro/ (or ~/.config/sondaro/).
  std::string userConfigFolder{};
  // The off-screen bitmap chart images are drawn into, and the clipboard;
  // without them saving an image fails and copying does nothing.
  BitmapCanvas* bitmap = nullptr;
  Clipboard* clipboard = nullptr;
  // The FTP client of the script's FTP session and the sound card input of
  // the MP3 recorder; without them FTPCONNECT fails and nothing is recorded.
  FtpClient* ftp = nullptr;
  AudioInputFactory* audio = nullptr;
  // The log of a program without windows (--headless): failed saves are
  // written there as well as to the status bar. Null with windows.
  std::function<void(const std::string&)> log{};
};

class App {
 public:
  explicit App(AppPorts ports);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Script-reachable error report; the script interpreter shows it while a
  // script runs in debug mode.
  void DebugError(const std::string& message);
  // Every failed save of a file the user asked for (chart image, data file,
  // RDS text, raw groups, the settings file) is told here: the status bar,
  // and the log without windows. Never a box: one could hold up the close.
  void ReportFailedSave(const std::string& message);
  // Another page of the main window was chosen: no chart is active any more,
  // so a cursor or zoom gesture does not carry over.
  void PageControl1Change();
  // The close path: everything that must happen before the program ends.
  void Close();
  // Start-up read of the settings file: main window, scheduler, dialogs
  // (a saved "Connect" reconnects on the way).
  void LoadSettings();
  // A second start of the program handed its parameters over: the text is
  // run as a script file, after stopping a script that runs.
  void ReceiveHandOff(const std::string& text);

  // What the program around the engine adds to the close path.
  struct CloseHooks {
    std::function<void()> StartExitWatchdog;  // step 2: ends a close that hangs
    // Without a window (headless): ends the event loop once a script or a
    // scheduled task has closed the program.
    std::function<void()> QuitEventLoop;
  } closeHooks;
  // Close steps that failed ("name: reason"), for the log.
  [[nodiscard]] const std::vector<std::string>& CloseFailures() const { return closeFailures_; }

  [[nodiscard]] Clock& GetClock() { return ports_.clock; }
  [[nodiscard]] Dialogs& GetDialogs() { return ports_.dialogs; }
  [[nodiscard]] const std::string& AppFolder() const { return ports_.appFolder; }

  // Members are built in this order and torn down in reverse: lower
  // subsystems first. Each subsystem is connected to the others in its own
  // Wire* function (app/wire_*.cpp), so adding one touches little here.
  AppPorts ports_;
  TimerSet timers;
  ViewHub view;
  StatusBar status;
  DeviceLink link;
  DeviationHistogram deviation{ports_.clock, view, link};
  ModulationPower power{ports_.clock, view, link};
  Mpx mpx{timers, view, link};  // MPX capture stream, MPX and RF carrier pages
  ChartImages images{ports_.bitmap, ports_.clipboard, ports_.dialogs, ports_.appFolder};
  DataFiles dataFiles{ports_.dialogs, ports_.appFolder, link.state, deviation, power};
  FtpSession ftp{ports_.ftp, view};
  Mp3Recorder recorder{ports_.audio, ports_.clock, view};
  ModeTuning tuning;  // mode, frequency list, carrier offset, one-shot acquisitions
  RdsSubsystem rds;
  Report report{ports_.clock, ports_.appFolder, link.state, deviation, power, rds.data.Data(),
                rds.textDialog};
  Bandscan bandscan{timers, view, status, link, tuning};  // the band scan and its two charts
  Automation automation{timers, view, MakeScriptHost(), ports_.network};  // scripts, socket control
  AppShell shell;  // title, tray, window visibility, theme
  DipSwitches dip{link.queue};
  AlarmOutputs alarms{timers, link.queue, link.state, status};
  Scheduler scheduler{timers, automation.script, automation.Host()};
  Settings settings;  // kaveli.ini; owners bind their values in their Wire*
  // Unattended monitoring: the [Metrics] keys, and the endpoint that gets a
  // snapshot after every parser tick (null: none).
  MetricsSettings metrics;
  MonitorSink* monitorSink = nullptr;
  [[nodiscard]] MonitorSnapshot BuildMonitorSnapshot() const;

 private:
  void WireLink();
  void WireMeasure();
  void WireMpx();
  void WireModeTuning();
  void WireRds();
  void WireBandscan();
  void WireSettings();
  void WireAutomation();
  void WireShell();
  void WireReport();
  void WireScheduler();
  void WireFtp();
  void WireRecorder();
  void WireMetrics();
  std::unique_ptr<ScriptHost> MakeScriptHost();
  void SaveSettingsOnClose();
  void RunCloseStep(const char* name, const std::function<void()>& step);
  std::vector<std::string> closeFailures_;
  bool closed_ = false;
  long long rdsGroups_ = 0;  // raw groups received since start
  bool linkUpAtClose_ = false;  // "Connect" is saved as the link was before closing
};

}  // namespace sondaro
