// The main window under the offscreen platform: its pages, its fixed client
// area, and readouts that follow the engine.
#include <gtest/gtest.h>

#include <fstream>

#include "support/gui_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>

#include "app/app.h"
#include "support/temp_dir.h"
#include "support/window_fixture.h"
#include "ui/chart_widget.h"
#include "ui/main_window.h"

namespace sondaro {
namespace {

using Window = test::WindowRig<>;

TEST(MainWindow, TitlePagesAndFixedClientArea) {
  test::Gui();
  Window w;
  EXPECT_EQ(w.window.windowTitle(), "Sondaro");
  QStringList captions;
  for (int i = 0; i < w.window.Pages()->count(); ++i) captions << w.window.Pages()->tabText(i);
  EXPECT_EQ(captions, (QStringList{"Frequency Deviation", "Modulation Power", "MPX", "RF Carrier",
                                   "RDS/RBDS", "Bandscan", "Setup"}));
  EXPECT_EQ(w.window.width(), 632);
  EXPECT_EQ(w.window.height() - w.window.menuBar()->sizeHint().height(), 420);
}

TEST(MainWindow, MultiSetTitleNamesTheWindow) {
  test::Gui();
  test::TempDir dir;
  std::ofstream(dir / "multi.set") << "";
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  AppPorts ports{clock, serial, tcp, dialogs};
  ports.appFolder = dir.Path();
  App app(ports);
  MainWindow window(app);
  const std::string title = ApplicationTitle(dir.Path(), true);
  EXPECT_NE(title, "Sondaro");
  EXPECT_EQ(window.windowTitle().toStdString(), title);
  EXPECT_EQ(app.shell.Title(), title);
}

// A program started on a settings folder, as the program starts: settings
// first, then the window.
struct StartedIn {
  explicit StartedIn(const std::string& folder) {
    AppPorts ports{clock, serial, tcp, dialogs};
    ports.appFolder = folder;
    ports.userConfigFolder = folder + "user/";
    app = std::make_unique<App>(ports);
    app->LoadSettings();
    window = std::make_unique<MainWindow>(*app);
    window->ShowFirstStartHint();
  }
  bool ShowsHint() const {
    for (auto* l : window->statusBar()->findChildren<QLabel*>())
      if (l->text() == MainWindow::kFirstStartHint) return true;
    return false;
  }
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  std::unique_ptr<App> app;
  std::unique_ptr<MainWindow> window;
};

// Only the very first start (no settings file yet) tells how to see live
// values, and the hint goes once the box it names is ticked.
TEST(MainWindow, FirstStartHintShowsOnce) {
  test::Gui();
  test::TempDir dir;
  {
    StartedIn first(dir.Path());
    EXPECT_TRUE(first.ShowsHint());
    ASSERT_TRUE(first.app->settings.SaveSettings().Written);
  }
  StartedIn second(dir.Path());
  EXPECT_FALSE(second.app->tuning.Online());
  EXPECT_FALSE(second.ShowsHint());

  test::TempDir elsewhere;
  StartedIn newcomer(elsewhere.Path());
  ASSERT_TRUE(newcomer.ShowsHint());
  auto* online = test::Find<QCheckBox>(*newcomer.window, "Online Deviation and Signal");
  ASSERT_TRUE(online);
  online->click();
  EXPECT_FALSE(newcomer.ShowsHint());
  EXPECT_EQ(newcomer.app->status.Text(), "");
}

TEST(MainWindow, ButtonsAndReadoutsFollowTheEngine) {
  test::Gui();
  Window w;
  QPushButton* connect = w.Find<QPushButton>("Connect");
  QPushButton* disconnect = w.Find<QPushButton>("Disconnect");
  ASSERT_TRUE(connect && disconnect);
  EXPECT_TRUE(connect->isEnabled());
  EXPECT_FALSE(disconnect->isEnabled());
  connect->click();
  EXPECT_FALSE(connect->isEnabled());
  EXPECT_TRUE(disconnect->isEnabled());

  w.serial.Arrive("Frequency:\r\n101.30 MHz\r\n\r\n");
  w.Advance(200);
  bool shown = false;
  for (auto* label : w.window.findChildren<QLabel*>()) shown |= label->text() == "101.30 MHz";
  EXPECT_TRUE(shown);

  w.serial.OpenSucceeds = false;
  disconnect->click();
  connect->click();
  EXPECT_EQ(w.app.status.Text(), "Unable to connect");
}

TEST(MainWindow, ChangingThePageEndsAChartGesture) {
  test::Gui();
  Window w;
  ChartWidget* chart = w.window.Pages()->widget(0)->findChild<ChartWidget*>();  // deviation
  ASSERT_TRUE(chart);
  chart->Picture();  // drawn, so the plot areas are known
  const QPoint inPlot(274, 100);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(inPlot), chart->mapToGlobal(QPointF(inPlot)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(chart, &press);
  ASSERT_TRUE(w.app.deviation.Chart.Confinement());
  w.window.Pages()->setCurrentIndex(1);
  EXPECT_FALSE(w.app.deviation.Chart.Confinement());
  EXPECT_FALSE(w.app.deviation.Chart.CursorShown());
}

}  // namespace
}  // namespace sondaro

namespace sondaro {
namespace {

TEST(MainWindow, UsPtyCodeCheckBoxSetsTheRdsNameTable) {
  test::WindowRig<> w;
  QCheckBox* box = w.Find<QCheckBox>("US PTY Code");
  ASSERT_TRUE(box);
  EXPECT_FALSE(box->isChecked());
  box->click();
  EXPECT_TRUE(w.app.rds.data.UsPtyCode);
}

}  // namespace
}  // namespace sondaro

namespace sondaro {
namespace {

// The readout labels and the signal bar, each in its captioned frame.
struct ReadoutRig : test::WindowRig<> {
  QWidget* Value(const QString& frame) {
    for (auto* box : window.findChildren<QGroupBox*>())
      if (box->title() == frame)
        for (auto* w : box->findChildren<QWidget*>()) return w;
    return nullptr;
  }
  // Which of Frequency, Signal, Pilot, RDS and the third frame read as current.
  std::vector<bool> Current(const QString& third) {
    std::vector<bool> on;
    for (const QString& f : {QString("Frequency"), QString("Signal"), QString("Pilot"),
                             QString("RDS"), third})
      on.push_back(Value(f) && Value(f)->isEnabled());
    return on;
  }
  QString ModeText() {
    for (auto* l : window.statusBar()->findChildren<QLabel*>())
      if (l->text().endsWith(" mode")) return l->text();
    return {};
  }
};

// Readings keep their last values but grey out while no link is up and
// where the mode does not measure them; the mode is named on the status bar.
TEST(MainWindow, ReadoutsGreyWhenNotCurrent) {
  ReadoutRig w;
  const std::vector<bool> all(5, true), none(5, false);
  const std::vector<bool> allButThird{true, true, true, true, false};
  EXPECT_EQ(w.Current("Phase Diff."), none);  // not connected yet
  EXPECT_EQ(w.ModeText(), "Measuring mode");

  w.app.link.connection.BitBtn2Click();
  w.serial.Arrive("Frequency:\r\n101.30 MHz\r\n\r\n");
  w.Advance(200);
  EXPECT_EQ(w.Current("Phase Diff."), all);

  w.app.tuning.SetOnline(true);
  EXPECT_EQ(w.Current("Deviation MAX"), all);
  w.app.tuning.IAeverButton33Click();  // RDS mode: "MAX" is not measured
  EXPECT_EQ(w.Current("Deviation MAX"), allButThird);
  EXPECT_EQ(w.ModeText(), "RDS mode");
  w.app.tuning.SetOnline(false);  // the phase is
  EXPECT_EQ(w.Current("Phase Diff."), all);
  w.app.tuning.MLIFClick(3);  // an internal file: neither mode button pressed
  EXPECT_EQ(w.ModeText(), "Stereo mode");

  w.app.link.connection.BitBtn3Click();  // "Disconnect"
  EXPECT_EQ(w.Current("Phase Diff."), none);
  auto* frequency = qobject_cast<QLabel*>(w.Value("Frequency"));
  ASSERT_TRUE(frequency);
  EXPECT_EQ(frequency->text(), "101.30 MHz");  // kept, but grey

  // TCP: grey while the attempt runs and while it is retried.
  w.app.link.connection.Settings.RGCON = 1;
  w.app.link.connection.BitBtn2Click();
  EXPECT_EQ(w.Current("Phase Diff."), none);
  w.tcp.Fail();
  ASSERT_TRUE(w.app.link.connection.TcpRetryPending());
  EXPECT_EQ(w.Current("Phase Diff."), none);
  w.Advance(20000);
  w.tcp.Establish();
  EXPECT_EQ(w.Current("Phase Diff."), all);
}

TEST(MainWindow, MinimizeAndCloseButtonsOnly) {
  test::WindowRig<> w;
  const Qt::WindowFlags flags = w.window.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

}  // namespace
}  // namespace sondaro
