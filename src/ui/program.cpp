#include "ui/program.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "app/app.h"
#include "app/window_position.h"
#include "core/formats.h"
#include "platform/exit_watchdog.h"
#include "platform/instance_guard.h"
#include "platform/metrics_exporter.h"
#include "platform/qpainter_canvas.h"
#include "platform/module_ports.h"
#include "platform/qt_clipboard.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_locale_formats.h"
#include "platform/qt_shell.h"
#include "platform/qt_timer_host.h"
#include "ui/main_window.h"
#include "ui/metrics_start.h"
#include "ui/script_panel.h"
#include "ui/menu_style.h"
#include "ui/shell_front.h"
#include "ui/web_start.h"

#ifdef SONDARO_HAVE_SIM
#include "sim/sim_link.h"
#endif

namespace sondaro {

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args) {
  ProgramOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 < args.size()) into = args[++i];
      else o.Errors.push_back(a + " needs a value");
    };
    if (a == "--headless") o.Headless = true;
    else if (a == "--simulate") o.Simulate = true;
    else if (a == "--sim-world") value(o.SimWorld);
    else if (a == "--sim-model") value(o.SimModel);
    else if (a == "--socket-port") value(o.SocketPort);
    else if (a == "--socket-address") value(o.SocketAddress);
    else if (a == "--metrics-port") value(o.MetricsPort);
    else if (a == "--metrics-address") value(o.MetricsAddress);
    else if (a == "--web-port") value(o.WebPort);
    else if (a == "--web-address") value(o.WebAddress);
    else if (a.rfind("--", 0) == 0) o.Errors.push_back("unknown option " + a);
    else o.Plain.push_back(a);
  }
  // Only a start with exactly one plain parameter runs it as a script; a
  // second start hands all of them over.
  if (o.Plain.size() == 1) o.ScriptFile = o.Plain.front();
  return o;
}

std::string ResolvedStartName(const std::string& name) {
  const QFileInfo here(FromLatin1(name));
  return !name.empty() && here.exists() ? ToLatin1(here.absoluteFilePath()) : name;
}

namespace {

// Headless: messages go to the log, questions are answered No.
class LogDialogs final : public SilentDialogs {
 public:
  void ShowMessage(const std::string& text) override {
    std::fprintf(stderr, "sondaro: %s\n", text.c_str());
  }
  bool Confirm(const std::string& text) override {
    std::fprintf(stderr, "sondaro: %s [No]\n", text.c_str());
    return false;
  }
};

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM/SIGINT end the event loop through a self-pipe, so the close path
// runs on the main thread.
void InstallSignalHandlers(QCoreApplication& qapp) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &qapp);
  QObject::connect(notifier, &QSocketNotifier::activated, &qapp, [&qapp] {
    char c;
    [[maybe_unused]] auto n = ::read(signalPipe[0], &c, 1);
    qapp.quit();
  });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

// The main window at its saved "Top" and "Left", kept on the screen.
// Written back at close.
void BindWindowPosition(MainWindow& window, Settings& settings) {
  int top = settings.GetInt("General", "Top");
  int left = settings.GetInt("General", "Left");
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    const QSize size = window.frameSize();
    const PixelPoint kept =
        KeepOnScreen(left, top, {area.width(), area.height(), size.width(), size.height()});
    left = kept.X;
    top = kept.Y;
  }
  window.move(left, top);
  settings.Bind(SettingsStage::MainValues, {}, [w = QPointer<MainWindow>(&window)](Settings& s) {
    if (!w) return;
    s.SetInt("General", "Top", w->y());
    s.SetInt("General", "Left", w->x());
  });
}

}  // namespace

int RunProgram(int argc, char** argv, const ProgramOptions& options) {
  std::unique_ptr<QCoreApplication> qapp;
  if (options.Headless) {
    // No windows, but scripts still draw chart images, which needs fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qapp = std::make_unique<QGuiApplication>(argc, argv);
  } else {
    qapp = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(new MenuStyle);
    // The window may live in the tray; the close path ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // The window has a fixed 632 x 420 client area laid out for a small font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
  }
  const std::string appFolder = ToLatin1(QCoreApplication::applicationDirPath()) + "/";
  // A second start of the windowed program hands its script to the first and
  // ends. Headless monitors run side by side, one per analyzer.
  std::unique_ptr<InstanceGuard> guard;
  if (!options.Headless) {
    guard = std::make_unique<InstanceGuard>(
        ApplicationTitle(appFolder, QFile::exists(FromLatin1(appFolder + kMultiSetFile))));
    // The first instance runs in another folder: names relative to this
    // start's folder are made absolute before they go over.
    std::vector<std::string> plain;
    for (const std::string& p : options.Plain) plain.push_back(ResolvedStartName(p));
    if (!guard->Claim(HandOffText(plain))) return 0;
  }
  InstallSignalHandlers(*qapp);
  // The decimal separator follows the user's locale; dates and times keep
  // the program's own forms; device numbers are always read with ".".
  ApplyLocaleFormats(QLocale());

  // A module missing at run time is named where its feature is used.
  App* appForReports = nullptr;
  const ModuleReport moduleReport = [&appForReports](const std::string& m) {
    std::fprintf(stderr, "sondaro: %s\n", m.c_str());
    if (appForReports) appForReports->status.SetText(m);
  };
  RealClock clock;
  ModuleSerialPort serial(moduleReport);
  ModuleTcpClient tcp(moduleReport);
  ModuleNetworkFactory network(moduleReport);
  QtShell shell;
  QtDialogs guiDialogs;
  LogDialogs logDialogs;
  Dialogs& dialogs = options.Headless ? static_cast<Dialogs&>(logDialogs) : guiDialogs;

  SerialPort* serialPort = &serial;
  TcpClient* tcpClient = &tcp;
#ifdef SONDARO_HAVE_SIM
  std::unique_ptr<sim::SimulatedAnalyzerPorts> simulated;
  if (options.Simulate) {
    sim::SimOptions simOptions;
    simOptions.WorldFile = options.SimWorld;
    if (options.SimModel == "M40") simOptions.Device = sim::DeviceModel::M40;
    simulated = std::make_unique<sim::SimulatedAnalyzerPorts>(clock, simOptions);
    serialPort = &simulated->Serial();
    tcpClient = &simulated->Tcp();
  }
#else
  if (options.Simulate) {
    std::fprintf(stderr, "sondaro: this build has no simulated analyzer\n");
    return 2;
  }
#endif

  QImageCanvas chartBitmap;  // the one off-screen bitmap of chart images
  QtClipboard clipboard;
  std::unique_ptr<MetricsExporter> metrics;  // made when switched on; outlives the App
  AppPorts ports{clock, *serialPort, *tcpClient, dialogs, &network, appFolder, &shell};
  ports.bitmap = &chartBitmap;
  ports.clipboard = &clipboard;
  // Ends a close that hangs: the event loop is asked to quit, then the process ends.
  ExitWatchdog watchdog(
      [&qapp] { QMetaObject::invokeMethod(qapp.get(), &QCoreApplication::quit, Qt::QueuedConnection); },
      [] {
        std::fprintf(stderr, "sondaro: the close did not finish; ending\n");
        std::_Exit(3);
      });
  ModuleFtpClient ftpClient(moduleReport);
  ModuleAudioInputFactory audio(moduleReport);
  ports.ftp = &ftpClient;
  ports.audio = &audio;
  if (options.Headless)
    ports.log = [](const std::string& m) { std::fprintf(stderr, "sondaro: %s\n", m.c_str()); };
  App app(ports);
  appForReports = &app;
  app.closeHooks.StartExitWatchdog = [&watchdog] { watchdog.Start(); };
#ifdef SONDARO_HAVE_SIM
  if (simulated) simulated->Attach(app.timers);
#endif
  QtTimerHost host(app.timers, clock);
  // kaveli.ini before any window shows; a saved "Connect" reconnects here.
  app.LoadSettings();
  if (options.Headless)
    std::fprintf(stderr, "sondaro: settings file %s\n", app.settings.ActiveFilePath().c_str());

  std::unique_ptr<MainWindow> window;
  if (!options.Headless) {
    window = std::make_unique<MainWindow>(app, nullptr, /*deferPages=*/true);
    ShellFront::ApplyFontChoice(*window, app.shell.UseSystemFont);
    guiDialogs.SetParent(window.get());
    BindWindowPosition(*window, app.settings);
    window->Shell()->Start();  // shown, or kept in the tray by "Visible"
    // The other pages, and the icon with its SVG engine, once the window is
    // up (a page shown before is built then).
    QTimer::singleShot(50, window.get(), [&window] {
      QApplication::setWindowIcon(QIcon(":/sondaro.svg"));
      window->BuildRemainingPages();
    });
    guard->OnHandOff = [&app, &window](const std::string& text) {
      app.shell.SetShowFlag(true);
      window->raise();
      window->activateWindow();
      app.ReceiveHandOff(text);
    };
  }
  if (options.Simulate && app.link.connection.ConnectEnabled()) app.link.connection.BitBtn2Click();
  if (window) window->ShowFirstStartHint();

  StartAutomation(app, options, *qapp);  // socket control options, the script parameter
  if (options.Headless)  // no status bar to read: a task that could not start goes to the log
    app.scheduler.ReportFailure = [&app](const std::string& m) {
      app.status.SetText(m);
      std::fprintf(stderr, "sondaro: %s\n", m.c_str());
    };
  StartMetrics(app, options, metrics);
  const std::unique_ptr<WebPublisher> web = StartWeb(app, options, chartBitmap);
  const int code = qapp->exec();
  app.Close();
  for (const std::string& f : app.CloseFailures()) std::fprintf(stderr, "sondaro: close: %s\n", f.c_str());
  return code;
}

}  // namespace sondaro
