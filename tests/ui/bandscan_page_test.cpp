// The page "Bandscan" and its windows under the offscreen platform: buttons
// that follow the scan, the slider and "Grid", the extended window's size as
// the "EBND" image size, "Lock", the calibration dialog and the log window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
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

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    Paints += e->type() == QEvent::Paint;
    return false;
  }
};

TEST(BandscanPage, StoppingAScanRedrawsBothChartsAtOnce) {
  Window w;
  BandscanPage* page = PageOf(w);
  w.window.show();
  w.window.Pages()->setCurrentWidget(page);
  page->Extended()->show();
  Child<QPushButton>(page, "Acquire")->click();
  w.app.bandscan.ScanChannel = 20;  // as far as the scan got
  QApplication::processEvents();
  PaintCounter band, extended;
  page->Chart()->installEventFilter(&band);
  page->Extended()->Chart()->installEventFilter(&extended);
  w.clock.Set(w.clock.Now() + 60000);
  Child<QPushButton>(page, "Stop")->click();
  QApplication::processEvents();
  EXPECT_EQ(w.app.bandscan.BandscanAcquiredText, "2024-01-15 12:01:00");
  EXPECT_GE(band.Paints, 1);
  EXPECT_GE(extended.Paints, 1);
}

// At its minimum size the window shows every control of its bottom panel
// whole: nothing overlaps, every text gets the width it asks for.
TEST(BandscanPage, ExtendedWindowWorksAtItsMinimumSize) {
  Window w;
  ExtendedBandscanWindow* ext = PageOf(w)->Extended();
  ext->show();
  ext->resize(ext->minimumSize());
  QApplication::processEvents();
  EXPECT_EQ(ext->size(), ext->minimumSize());
  EXPECT_LE(ext->minimumWidth(), 800);  // smaller than the default, or it would not help
  EXPECT_GE(ext->ChartSize().width(), Bandscan::kMinExtendedChartWidth);
  EXPECT_GE(ext->ChartSize().height(), Bandscan::kMinExtendedChartHeight);
  std::vector<QWidget*> controls;
  for (QWidget* c : ext->findChildren<QWidget*>()) {
    if (!qobject_cast<QLabel*>(c) && !qobject_cast<QAbstractButton*>(c)) continue;
    controls.push_back(c);
    EXPECT_GE(c->width(), c->sizeHint().width())
        << c->metaObject()->className() << " " << c->property("text").toString().toStdString();
  }
  EXPECT_GE(controls.size(), 11u);
  auto inWindow = [ext](QWidget* c) { return QRect(c->mapTo(ext, QPoint(0, 0)), c->size()); };
  for (std::size_t i = 0; i < controls.size(); ++i) {
    EXPECT_TRUE(ext->rect().contains(inWindow(controls[i])))
        << controls[i]->property("text").toString().toStdString();
    for (std::size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(inWindow(controls[i]).intersects(inWindow(controls[j])))
          << controls[i]->property("text").toString().toStdString() << " / "
          << controls[j]->property("text").toString().toStdString();
  }
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
