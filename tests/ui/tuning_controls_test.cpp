// The receiver controls, their menus and the Setup page's receiver options,
// driven through the widgets.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QAbstractItemView>
#include <QStyle>
#include <QStyleFactory>

#include "app/app.h"
#include "support/window_fixture.h"
#include "ui/main_window.h"
#include "ui/tuning_controls.h"

namespace sondaro {
namespace {

struct Window : test::WindowRig<> {
  std::vector<std::string> Queued() const {
    const auto& q = app.link.queue.Commands();
    return {q.begin(), q.end()};
  }
};

TEST(TuningControls, ListStepTuneModesAndOnline) {
  test::Gui();
  Window w;
  QComboBox* frequencies = nullptr;
  for (auto* c : w.window.findChildren<QComboBox*>())
    if (c->count() == 206) frequencies = c;
  ASSERT_TRUE(frequencies);
  EXPECT_EQ(frequencies->itemText(0), "87.50 MHz");
  EXPECT_EQ(frequencies->currentIndex(), 0);

  w.Find<QPushButton>("<")->click();
  EXPECT_EQ(frequencies->currentText(), "108.00 MHz");
  w.Find<QPushButton>(">")->click();
  w.Find<QPushButton>(">")->click();
  EXPECT_EQ(frequencies->currentText(), "87.60 MHz");
  frequencies->activated(125);
  EXPECT_EQ(w.app.tuning.FrequencyText(), "100.00 MHz");
  EXPECT_TRUE(w.Queued().empty());
  w.Find<QPushButton>("Tune")->click();
  EXPECT_EQ(w.Queued(), (std::vector<std::string>{"100000*F", "?F"}));

  auto* measuring = qobject_cast<ModeButton*>(w.Find<QPushButton>("Measuring"));
  auto* rds = qobject_cast<ModeButton*>(w.Find<QPushButton>("RDS"));
  ASSERT_TRUE(measuring && rds);
  EXPECT_TRUE(measuring->PressedLook());
  rds->click();
  EXPECT_EQ(w.app.link.state.CurrentMode, 1);
  EXPECT_TRUE(rds->PressedLook());
  EXPECT_FALSE(measuring->PressedLook());
  w.Find<QCheckBox>("Online Deviation and Signal")->click();
  EXPECT_TRUE(w.app.tuning.Online());
  bool caption = false;
  for (auto* box : w.window.findChildren<QGroupBox*>()) caption |= box->title() == "Deviation MAX";
  EXPECT_TRUE(caption);

  // Double-click on the frequency readout asks again.
  QLabel* readout = nullptr;
  for (auto* box : w.window.findChildren<QGroupBox*>())
    if (box->title() == "Frequency") readout = box->findChild<QLabel*>();
  ASSERT_TRUE(readout);
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  AdvanceVirtual(w.clock, w.app.timers, 5000);
  ASSERT_TRUE(w.Queued().empty());
  QApplication::sendEvent(readout, &dbl);
  EXPECT_EQ(w.Queued(), (std::vector<std::string>{"?F"}));
}

// Sixteen lines of the frequency list show in the popup whatever the style;
// Fusion shows the whole list unless the popup is made a scrolling one.
TEST(TuningControls, FrequencyListShowsSixteenLinesInEveryStyle) {
  test::Gui();
  const QString before = QApplication::style()->name();
  for (const char* style : {"Fusion", "Windows"}) {
    QApplication::setStyle(style);
    Window w;
    w.window.show();
    QComboBox* frequencies = nullptr;
    for (auto* c : w.window.findChildren<QComboBox*>())
      if (c->count() == 206) frequencies = c;
    ASSERT_TRUE(frequencies);
    frequencies->setCurrentIndex(100);
    frequencies->showPopup();
    QAbstractItemView* view = frequencies->view();
    ASSERT_TRUE(view->isVisible()) << style;
    const int first = view->indexAt(QPoint(2, 2)).row();
    const int last = view->indexAt(QPoint(2, view->viewport()->height() - 2)).row();
    EXPECT_EQ(last - first + 1, 16) << style;
    frequencies->hidePopup();
  }
  QApplication::setStyle(before);
}

TEST(TuningControls, MenusOfTheFileAndEditMenus) {
  test::Gui();
  Window w;
  QAction* load = w.MenuAction({"File", "Load Internal File"});
  ASSERT_TRUE(load && load->menu());
  const auto files = load->menu()->actions();
  ASSERT_EQ(files.size(), 30);
  EXPECT_EQ(test::MenuText(files.front()), "File 1");
  EXPECT_EQ(test::MenuText(files.back()), "File 30");
  files[6]->trigger();
  EXPECT_EQ(w.Queued(), (std::vector<std::string>{"*B", "07*L"}));
  EXPECT_TRUE(w.app.tuning.TimerAcquireAll().Enabled());
  ASSERT_TRUE(w.MenuAction({"File", "Acquire All"}));

  QAction* read = w.MenuAction({"Edit", "Carrier Offset", "Read"});
  ASSERT_TRUE(read && w.MenuAction({"Edit", "Carrier Offset", "Set as Normal"}));
  read->trigger();
  EXPECT_EQ(w.dialogs.Messages, (std::vector<std::string>{"No carrier normal set."}));
}

TEST(TuningControls, SetupPageReceiverOptions) {
  test::Gui();
  Window w;
  QComboBox* preferred = nullptr;
  for (auto* c : w.window.findChildren<QComboBox*>())
    if (c->count() == 2 && c->itemText(1) == "RDS") preferred = c;
  ASSERT_TRUE(preferred);
  EXPECT_EQ(preferred->itemText(0), "Measuring");
  preferred->activated(1);
  EXPECT_EQ(w.app.tuning.PreferredMode, 1);
  w.Find<QCheckBox>("Enable 50 kHz tuning step (requires restart)")->click();
  EXPECT_TRUE(w.app.tuning.FineTuningChecked);
  EXPECT_EQ(w.app.tuning.FrequencyList().size(), 206u);  // only at the next start
  QPushButton* save = w.Find<QPushButton>("Save Settings");
  ASSERT_TRUE(save);
  EXPECT_EQ(qobject_cast<QGroupBox*>(save->parentWidget())->title(), "EEPROM");
  save->click();
  EXPECT_EQ(w.Queued(), (std::vector<std::string>{"*S"}));
}

}  // namespace
}  // namespace sondaro
