// The page "Bandscan" and its windows under the offscreen platform: buttons
// that follow the scan, the slider and "Grid", the extended window's size as
// the "EBND" image size, "Lock", the calibration dialog and the log window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "support/window_fixture.h"
#include "ui/bandscan_dialogs.h"
#include "ui/extended_bandscan_window.h"
#include "ui/pages/bandscan_page.h"

namespace sondaro {
namespace {

using Window = test::WindowRig<>;

BandscanPage* PageOf(Window& w) { return w.window.findChild<BandscanPage*>(); }

// The child of `parent` of type W showing this text.
template <typename W>
W* Child(QWidget* parent, const QString& text) {
  for (auto* c : parent->findChildren<W*>())
    if (c->text() == text) return c;
  return nullptr;
}

TEST(BandscanPage, ButtonsSliderAndGridFollowTheEngine) {
  Window w;
  BandscanPage* page = PageOf(w);
  ASSERT_NE(page, nullptr);
  QPushButton* acquire = Child<QPushButton>(page, "Acquire");
  QPushButton* stop = Child<QPushButton>(page, "Stop");
  ASSERT_TRUE(acquire && stop);
  EXPECT_FALSE(stop->isEnabled());
  acquire->click();
  EXPECT_FALSE(acquire->isEnabled());
  EXPECT_TRUE(w.app.bandscan.Running());
  EXPECT_TRUE(stop->isEnabled());
  stop->click();
  EXPECT_FALSE(w.app.bandscan.Running());

  auto* slider = page->findChild<QSlider*>();
  ASSERT_NE(slider, nullptr);
  slider->setValue(1);
  EXPECT_EQ(w.app.bandscan.Style, 1);
  w.app.bandscan.TrackBar1Change(3);  // BANDSCAN.STYLE moves the slider
  EXPECT_EQ(slider->value(), 3);
  QCheckBox* grid = Child<QCheckBox>(page, "Grid");
  ASSERT_NE(grid, nullptr);
  grid->setChecked(true);
  EXPECT_TRUE(w.app.bandscan.Grid);
}

TEST(BandscanPage, ExtendedWindowSizeIsTheImageSizeAndLockHoldsIt) {
  Window w;
  ExtendedBandscanWindow* ext = PageOf(w)->Extended();
  ext->resize(900, 500);
  ext->show();
  QApplication::processEvents();
  EXPECT_TRUE(w.app.bandscan.ExtendedVisible);
  const QSize chart = ext->ChartSize();
  EXPECT_EQ(chart.width(), 900);
  EXPECT_LT(chart.height(), 500);
  EXPECT_EQ(w.app.images.SizeOf(ChartTag::EBND), (std::pair{chart.width(), chart.height()}));
  EXPECT_EQ(ext->Chart()->Picture().size(), chart);
  EXPECT_EQ(w.app.bandscan.Extended.Width, 900);

  QCheckBox* lock = Child<QCheckBox>(ext, "Lock");
  ASSERT_NE(lock, nullptr);
  lock->setChecked(true);
  EXPECT_TRUE(w.app.bandscan.Extended.Lock);
  EXPECT_EQ(ext->minimumSize(), ext->maximumSize());
  EXPECT_FALSE(ext->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  lock->setChecked(false);
  EXPECT_NE(ext->minimumSize(), ext->maximumSize());
  EXPECT_TRUE(ext->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

  QCheckBox* pi = Child<QCheckBox>(ext, "PI");
  ASSERT_NE(pi, nullptr);
  pi->setChecked(false);
  EXPECT_EQ(w.app.bandscan.LabelSpace(), 26 + 10 + 59);
  ext->hide();
  EXPECT_FALSE(w.app.bandscan.ExtendedVisible);
}

TEST(BandscanPage, CalibrationTakesTheSpinBoxHoweverItCloses) {
  Window w;
  BandscanCalibrationDialog dialog(w.app.bandscan);
  EXPECT_EQ(dialog.SpinBox()->value(), 70);
  dialog.SpinBox()->setValue(90);
  dialog.reject();  // closed with the title bar or Esc
  EXPECT_EQ(w.app.bandscan.MaxSignal, 90);
  BandscanCalibrationDialog again(w.app.bandscan);
  EXPECT_EQ(again.SpinBox()->value(), 90);
  Child<QPushButton>(&again, "Set Default")->click();
  again.accept();
  EXPECT_EQ(w.app.bandscan.MaxSignal, 70);
}

TEST(BandscanPage, TextResultFillsTheLogWindow) {
  Window w;
  w.app.bandscan.StationList = {{125, 61, 33, "D3C4", "JAZZ FM "}};
  w.app.bandscan.GradBtn23Click();
  LogWindow* log = PageOf(w)->Log();
  EXPECT_TRUE(log->isVisible());
  EXPECT_EQ(log->windowTitle(), "Log Window");
  EXPECT_EQ(log->TextArea()->toPlainText(),
            "Freq.\tLevel\tNoise\tRDS PI\tRDS PS\n100.0\t61\t33\tD3C4\tJAZZ FM \nTotal stations: 1");
  EXPECT_TRUE(log->TextArea()->isReadOnly());
  EXPECT_EQ(log->TextArea()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

}  // namespace
}  // namespace sondaro
