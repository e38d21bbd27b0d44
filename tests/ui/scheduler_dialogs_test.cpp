// The "Task Scheduler" and "Times" dialogs and the report and scheduler menu
// entries, under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "support/window_fixture.h"
#include "ui/scheduler_dialogs.h"

namespace sondaro::test {
namespace {

// Key presses as the keyboard sends them; Qt's key codes of ASCII keys are
// the upper-case characters.
void Press(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &event);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Press(w, c.toUpper().unicode(), QString(c));
}

TEST(SchedulerDialogs, TimesTypingAddDeleteAndOk) {
  GuiFirst gui;
  ScheduledTask task;
  task.Times[0] = {12, 0};
  task.Days = 1;
  TimesDialog dialog(7, task);
  EXPECT_NE(Find<QLabel>(dialog, "Item Number: 7"), nullptr);
  EXPECT_TRUE(Find<QCheckBox>(dialog, "Monday")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(dialog, "Sunday")->isChecked());

  // Letters are refused, the colon comes by itself, Enter adds in order.
  Type(dialog.EntryField(), "0a7x30");
  EXPECT_EQ(dialog.EntryField()->text(), "07:30");
  Press(dialog.EntryField(), Qt::Key_Return);
  EXPECT_EQ(dialog.List()->item(0)->text(), "07:30");
  EXPECT_EQ(dialog.List()->item(1)->text(), "12:00");
  EXPECT_EQ(dialog.EntryField()->text(), "");
  Type(dialog.EntryField(), "2500");
  Find<QPushButton>(dialog, "Add")->click();
  EXPECT_EQ(dialog.EntryField()->text(), "25:00");  // kept to be corrected
  EXPECT_EQ(dialog.List()->item(2)->text(), "");

  // Del in the list takes the selected row out.
  dialog.List()->setCurrentRow(1);
  Press(dialog.List(), Qt::Key_Delete);
  EXPECT_EQ(dialog.List()->item(1)->text(), "");

  Find<QCheckBox>(dialog, "Sunday")->setChecked(true);
  // Nothing reaches the task before OK.
  EXPECT_EQ(task.Times[0], (TimeSlot{12, 0}));
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  EXPECT_EQ(task.Days, 1 | 64);
  EXPECT_EQ(task.Times[0], (TimeSlot{7, 30}));
  EXPECT_FALSE(task.Times[1].IsSet());
}

TEST(SchedulerDialogs, EnterInTheShownTimesDialogAddsAndKeepsItOpen) {
  // Shown, the dialog has a default button (OK): Enter must not reach it.
  GuiFirst gui;
  ScheduledTask task;
  TimesDialog dialog(1, task);
  dialog.show();
  Type(dialog.EntryField(), "2500");
  Press(dialog.EntryField(), Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.EntryField()->text(), "25:00");  // invalid: kept to be corrected
  dialog.EntryField()->clear();
  Type(dialog.EntryField(), "0730");
  Press(dialog.EntryField(), Qt::Key_Enter);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.List()->item(0)->text(), "07:30");
  EXPECT_FALSE(task.Times[0].IsSet());  // nothing reaches the task before OK
  dialog.close();
}

TEST(SchedulerDialogs, GridEditsTasksAndTheTickWaits) {
  WindowRig<SilentDialogs> rig;
  Scheduler& s = rig.app.scheduler;
  s.Task(2).Text = "job.fms";
  {
    TaskSchedulerDialog dialog(s, rig.dialogs);
    EXPECT_FALSE(s.Timer8().Enabled());
    QTableWidget* grid = dialog.Grid();
    EXPECT_EQ(grid->rowCount(), 48);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Open/Execute");
    EXPECT_EQ(grid->item(1, 0)->text(), "job.fms");
    grid->item(4, 0)->setText("send:*R");  // typed into the cell
    EXPECT_EQ(s.Task(5).Text, "send:*R");
    Find<QCheckBox>(dialog, "Enabled")->setChecked(true);
    EXPECT_TRUE(s.SchedulerEnabled);
    grid->setCurrentCell(1, 0);
    rig.dialogs.ConfirmAnswer = false;
    Find<QPushButton>(dialog, "Delete")->click();
    EXPECT_EQ(rig.dialogs.Messages.back(), "Delete the item?");
    EXPECT_EQ(s.Task(2).Text, "job.fms");
    rig.dialogs.ConfirmAnswer = true;
    Find<QPushButton>(dialog, "Delete")->click();
    EXPECT_EQ(grid->item(1, 0)->text(), "");
    EXPECT_TRUE(s.Task(2).Text.empty());
  }
  EXPECT_TRUE(s.Timer8().Enabled());
  EXPECT_NE(rig.MenuAction({"Options", "Task Scheduler..."}), nullptr);
  EXPECT_NE(rig.MenuAction({"File", "Save Data", "Complete Report"}), nullptr);
  EXPECT_NE(rig.Find<QPushButton>("Create Report"), nullptr);
}

}  // namespace
}  // namespace sondaro::test
