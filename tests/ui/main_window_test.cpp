// The main window under the offscreen platform: its pages, its fixed client
// area, and readouts that follow the engine.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "app/app.h"
#include "support/fakes.h"
#include "ui/main_window.h"

namespace sondaro {
namespace {

struct Window {
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
  MainWindow window{app};
};

QPushButton* Button(QWidget& root, const QString& text) {
  for (auto* b : root.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

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
  QPushButton* connect = Button(w.window, "Connect");
  QPushButton* disconnect = Button(w.window, "Disconnect");
  ASSERT_TRUE(connect && disconnect);
  EXPECT_TRUE(connect->isEnabled());
  EXPECT_FALSE(disconnect->isEnabled());
  connect->click();
  EXPECT_FALSE(connect->isEnabled());
  EXPECT_TRUE(disconnect->isEnabled());

  w.serial.Arrive("Frequency:\r\n101.30 MHz\r\n\r\n");
  AdvanceVirtual(w.clock, w.app.timers, 200);
  bool shown = false;
  for (auto* label : w.window.findChildren<QLabel*>()) shown |= label->text() == "101.30 MHz";
  EXPECT_TRUE(shown);

  w.serial.OpenSucceeds = false;
  disconnect->click();
  connect->click();
  EXPECT_EQ(w.app.status.Text(), "Unable to connect");
}

}  // namespace
}  // namespace sondaro
