// The script panel, the "Socket Control" dialog and the script box of the
// Setup page, under the offscreen platform.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "automation/automation_fixture.h"
#include "ui/script_panel.h"
#include "ui/script_setup_box.h"
#include "ui/socket_control_dialog.h"

namespace sondaro::test {
namespace {

class ScriptUi : public AutomationFixture {
 protected:
  ScriptUi() { test::Gui(); }
};

TEST_F(ScriptUi, PanelFollowsTheRunAndStopsIt) {
  QWidget window;
  int shown = -1;
  auto* panel = new ScriptPanelWidget(app, &window, [&](int page) { shown = page; });
  ASSERT_NE(Find<QPushButton>(*panel, "Run"), nullptr);
  QPushButton* run = Find<QPushButton>(*panel, "Run");
  QPushButton* stop = Find<QPushButton>(*panel, "Stop");
  EXPECT_TRUE(run->isEnabled());
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_NE(Find<QLabel>(*panel, "Script"), nullptr);

  Run("measure.fms", "SET(a,1)\r\nPAGE.SHOW(3)\r\nSLEEP(60)\r\n");
  Advance(300);
  EXPECT_FALSE(run->isEnabled());
  EXPECT_EQ(run->text(), "3");  // the line being executed
  EXPECT_TRUE(stop->isEnabled());
  bool captioned = false;  // elided when long; the tool tip holds it whole
  for (QLabel* l : panel->findChildren<QLabel*>()) captioned |= l->toolTip() == "measure.fms";
  EXPECT_TRUE(captioned);
  EXPECT_EQ(shown, 3);
  stop->click();
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(run->text(), "Run");
  EXPECT_TRUE(run->isEnabled());
}

TEST_F(ScriptUi, SocketDialogAppliesItsSettingsWhenClosed) {
  SocketControl& socket = app.automation.socket;
  SocketControlDialog dialog(socket);
  EXPECT_EQ(dialog.windowTitle(), "Socket Control");
  QCheckBox* enabled = Find<QCheckBox>(dialog, "Enabled");
  ASSERT_NE(enabled, nullptr);
  ASSERT_NE(Find<QCheckBox>(dialog, "Terminal Echo"), nullptr);
  auto* port = dialog.findChild<QLineEdit*>();
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->text(), "23");
  EXPECT_EQ(port->maxLength(), 5);
  bool warned = false;
  for (QLabel* l : dialog.findChildren<QLabel*>()) warned |= l->text().contains("EXECUTE");
  EXPECT_TRUE(warned);

  enabled->setChecked(true);
  port->setText("2424");
  dialog.reject();  // closing by any means applies
  EXPECT_TRUE(socket.Settings.Enabled);
  EXPECT_EQ(socket.Settings.Port, "2424");
  EXPECT_EQ(socket.Settings.Address, "127.0.0.1");
  EXPECT_TRUE(socket.Listening());
  EXPECT_EQ(network.Servers.at(0)->Port, 2424);

  SocketControlDialog again(socket);
  again.findChild<QComboBox*>()->setCurrentIndex(1);
  again.accept();
  EXPECT_EQ(socket.Settings.Address, "0.0.0.0");
  EXPECT_EQ(network.Servers.at(0)->Address, "0.0.0.0");
}

TEST_F(ScriptUi, SetupBoxHoldsDebugModeAndTheRegisterButton) {
  QWidget page;
  auto* box = new ScriptSetupBox(app, &page);
  QCheckBox* debug = Find<QCheckBox>(*box, "Debug mode (stop on errors)");
  QPushButton* reg = Find<QPushButton>(*box, "Register Script Files (*.fms)");
  ASSERT_NE(debug, nullptr);
  ASSERT_NE(reg, nullptr);
  EXPECT_TRUE(debug->isChecked());
  debug->setChecked(false);
  EXPECT_FALSE(script.Settings.DebugMode);
  script.Settings.RegisterEnabled = false;
  app.view.Changed(Area::Script);
  EXPECT_FALSE(reg->isEnabled());
}

}  // namespace
}  // namespace sondaro::test
