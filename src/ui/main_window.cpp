#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <utility>

#include "app/app.h"
#include "platform/qt_dialogs.h"
#include "ui/about_box.h"
#include "ui/device_config_dialogs.h"
#include "ui/bandscan_dialogs.h"
#include "ui/keyboard.h"
#include "ui/output_controls.h"
#include "ui/page.h"
#include "ui/pages/bandscan_page.h"
#include "ui/pages/deviation_page.h"
#include "ui/pages/modulation_power_page.h"
#include "ui/pages/mpx_page.h"
#include "ui/pages/rds_page.h"
#include "ui/pages/rf_page.h"
#include "ui/pages/setup_page.h"
#include "ui/scheduler_dialogs.h"
#include "ui/script_panel.h"
#include "ui/shell_front.h"
#include "ui/top_bar.h"
#include "ui/tuning_controls.h"

namespace sondaro {

namespace {
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 420;
}  // namespace

MainWindow::MainWindow(App& app, QWidget* parent, bool deferPages)
    : QMainWindow(parent), app_(app), deferPages_(deferPages) {
  // "Sondaro", or "Sondaro (n)" for a copy with "multi.set": the window is
  // told apart from other copies as its task-bar entry is.
  setWindowTitle(FromLatin1(app_.shell.Title()));
  // Fixed size: minimize and close, no maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  topBar_ = new TopBar(app_);
  topBar_->setObjectName("topBar");
  new TuningControls(app_, topBar_->ControlsArea());
  column->addWidget(topBar_);
  pages_ = new QTabWidget;
  column->addWidget(pages_, 1);
  setCentralWidget(central);

  // One line per page, in the order of the page control.
  AddPage([this] { return new DeviationPage(app_); }, "Frequency Deviation");
  AddPage([this] { return new ModulationPowerPage(app_); }, "Modulation Power");
  AddPage([this] { return new MpxPage(app_); }, "MPX");
  AddPage([this] { return new RfPage(app_); }, "RF Carrier");
  AddPage([this] { return new RdsPage(app_); }, "RDS/RBDS");
  AddPage([this] { return new BandscanPage(app_); }, "Bandscan");
  AddPage([this] { return new SetupPage(app_); }, "Setup");
  BuildPage(pages_->currentIndex());
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    BuildPage(index);
    app_.PageControl1Change();
  });

  status_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  modeStatus_ = new QLabel;
  modeStatus_->setContentsMargins(4, 0, 6, 0);
  statusBar()->addPermanentWidget(modeStatus_);
  statusBar()->setSizeGripEnabled(false);

  fileMenu_ = menuBar()->addMenu("File");
  editMenu_ = menuBar()->addMenu("Edit");
  optionsMenu_ = menuBar()->addMenu("Options");
  helpMenu_ = menuBar()->addMenu("Help");
  InstallMenus();
  fileMenu_->addSeparator();
  // Ctrl+Q: the platform's Quit key is not defined everywhere.
  fileMenu_->addAction("Exit", this, &MainWindow::Exit1Click)->setShortcut(Qt::CTRL | Qt::Key_Q);

  app_.view.Add(this);
  shellFront_ = new ShellFront(app_, *this, [this] { Exit1Click(); });
  AssignMnemonics(menuBar());
  InstallMenuBarKey(this);
  Changed(Area::Mode);
  // The client area (everything below the menu bar) is fixed.
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() { app_.view.Remove(this); }

// Menu entries of the features, each in its own block.
void MainWindow::InstallMenus() {
  // Scripts: the panel in the top bar, "Run Script...", "Script Editor...",
  // "Socket Control...".
  auto* scriptPanel = new ScriptPanelWidget(app_, this, [this](int page) {
    if (page >= 0 && page < pages_->count()) pages_->setCurrentIndex(page);
  });
  topBar_->ScriptArea()->layout()->addWidget(scriptPanel);
  KeepTabStopsTogether(topBar_);  // Tab: the whole top bar, then the pages
  scriptPanel->InstallMenus(fileMenu_, editMenu_, optionsMenu_);
  // Mode and tuning: "Load Internal File", "Acquire All", "Carrier Offset".
  InstallTuningMenus(app_, fileMenu_, editMenu_);
  // Charts: their data files, and the chart of the active page as an image.
  SaveDataMenu()->addAction("Histogram", this, [this] { app_.dataFiles.Histogram2Click(); });
  SaveDataMenu()->addAction("Modulation Power", this,
                            [this] { app_.dataFiles.ModulationPower2Click(); });
  SaveDataMenu()->addAction("FFT", this, [this] { app_.dataFiles.Spectrum1Click(); });
  fileMenu_->addAction("Save Bitmap", this,
                       [this] { app_.images.SaveBitmap1Click(pages_->currentIndex()); });
  editMenu_
      ->addAction("Copy Bitmap", this,
                  [this] { app_.images.CopyBitmaptoClipboard1Click(pages_->currentIndex()); })
      ->setShortcuts(QKeySequence::Copy);
  // Device configuration: DIP switches and the M140's alarm outputs.
  app_.dip.ShowDialog = [this](DipSwitches& d) { return ShowDipSwitchesDialog(this, d); };
  app_.alarms.ShowDialog = [this](AlarmOutputs& a) { return ShowAlarmOutputsDialog(this, a); };
  optionsMenu_->addAction("DIP Switches...", this, [this] { app_.dip.DIPSwitches1Click(); });
  optionsMenu_->addAction("Alarm Outputs...", this, [this] { app_.alarms.AlarmOutputs1Click(); });
  helpMenu_->addAction("About...", this, [this] {
    AboutBox(this, QString::fromLocal8Bit(app_.settings.ActiveFilePath().c_str())).exec();
  });
  // Bandscan: the level calibration of analyzers that do not report dBuV.
  optionsMenu_->addAction("Bandscan calibration...", this,
                          [this] { Bandscancalibration1Click(app_.bandscan, this); });
  // RDS: the page text (or the raw lines after "View") to a text file.
  SaveDataMenu()->addAction("RDS/RBDS", this, [this] { app_.rds.data.IAeverButton31Click(); });
  // Report: "Create Report" at the right of the status bar, where it takes
  // no room from the tuning controls, and File > Save Data.
  auto* createReport = new QPushButton("Create Report");
  createReport->setFixedHeight(18);
  connect(createReport, &QPushButton::clicked, this, [this] { app_.report.CompleteReport1Click(); });
  statusBar()->addPermanentWidget(createReport);
  SaveDataMenu()->addAction("Complete Report", this, [this] { app_.report.CompleteReport1Click(); });
  // Scheduler: Options > "Task Scheduler...".
  optionsMenu_->addAction("Task Scheduler...", this, [this] {
    TaskSchedulerDialog dialog(app_.scheduler, app_.GetDialogs(), this);
    dialog.exec();
  });
  // FTP upload and MP3 recorder: their lamps and dialogs.
  statusBar()->addPermanentWidget(new OutputLamps(app_));
  InstallOutputMenus(app_, optionsMenu_, this);
}

QMenu* MainWindow::SaveDataMenu() {
  if (!saveDataMenu_) saveDataMenu_ = fileMenu_->addMenu("Save Data");
  return saveDataMenu_;
}

void MainWindow::AddPage(PageMaker make, const QString& caption) {
  if (!deferPages_) {
    Page* page = make();
    pageList_.push_back(page);
    pages_->addTab(page, caption);
    unbuilt_.emplace_back();
    return;
  }
  // The tab holds an empty frame until its page is built into it.
  auto* holder = new QWidget;
  auto* fill = new QVBoxLayout(holder);
  fill->setContentsMargins(0, 0, 0, 0);
  pages_->addTab(holder, caption);
  unbuilt_.push_back(std::move(make));
}

void MainWindow::BuildPage(int index) {
  if (index < 0 || index >= static_cast<int>(unbuilt_.size()) || !unbuilt_[index]) return;
  Page* page = std::exchange(unbuilt_[index], nullptr)();
  pages_->widget(index)->layout()->addWidget(page);
  pageList_.push_back(page);
  // Whatever changed before the page existed is shown now.
  for (int a = 0; a <= static_cast<int>(Area::Recorder); ++a) page->Refresh(static_cast<Area>(a));
}

void MainWindow::BuildRemainingPages() {
  for (int i = 0; i < static_cast<int>(unbuilt_.size()); ++i) BuildPage(i);
}

void MainWindow::ShowFirstStartHint() {
  if (app_.settings.FirstStart() && !app_.tuning.Online()) app_.status.SetText(kFirstStartHint);
}

void MainWindow::Changed(Area area) {
  // The hint has done its work once the live values are on.
  if (area == Area::Online && app_.tuning.Online() && app_.status.Text() == kFirstStartHint)
    app_.status.SetText({});
  if (area == Area::StatusBar) status_->setText(FromLatin1(app_.status.Text()));
  if (area == Area::Mode) modeStatus_->setText(FromLatin1(app_.tuning.ModeCaption()));
  topBar_->Refresh(area);
  for (Page* p : pageList_) p->Refresh(area);
}

void MainWindow::Repaint(ChartTag tag) {
  for (Page* p : pageList_) p->RepaintChart(tag);
}

// File > "Exit" and tray "Exit": the watchdog first, then the close path.
void MainWindow::Exit1Click() {
  if (app_.closeHooks.StartExitWatchdog) app_.closeHooks.StartExitWatchdog();
  close();
}

// The window's close button ends the program too; hiding to the tray is
// what minimizing does. The window may be hidden, so the event loop is told.
void MainWindow::closeEvent(QCloseEvent* event) {
  app_.Close();
  event->accept();
  QCoreApplication::quit();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized())
    QTimer::singleShot(0, shellFront_, &ShellFront::WindowMinimized);
}

}  // namespace sondaro
