// The main window under the offscreen platform: its pages, its fixed client
// area, and readouts that follow the engine.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include "app/app.h"
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
