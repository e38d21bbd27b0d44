// The chart widget on screen: paints from white, the data cursor and zoom
// driven by real mouse events.
#include "ui/chart_widget.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "gui_app.h"
#include "measure/modulation_power.h"
#include "support/link_fixture.h"

namespace sondaro {
namespace {

using test::CountColor;
using test::InkIn;

// A base, so the application exists before the widget member is built.
struct GuiFirst {
  GuiFirst() { test::Gui(); }
};

class ChartWidgetTest : private GuiFirst, public test::LinkFixture {
 protected:
  ChartWidgetTest() {
    for (int i = 0; i < 600; ++i) pm.StorePmValue(i < 300 ? -2.0f : 2.0f);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), widget.mapToGlobal(QPointF(at)), Qt::LeftButton, held, mods);
    QCoreApplication::sendEvent(&widget, &e);
  }
  int Cursor() { return CountColor(widget.Picture(), chart::kCursorColor); }

  ModulationPower pm{clock, view, link};
  ChartWidget widget{QSize(ModulationPower::kChartWidth, ModulationPower::kChartHeight),
                     [this](int t, Canvas& c) {
                       targets.push_back(t);
                       pm.VymalujPM(t, c);
                     },
                     pm.Chart};
  std::vector<int> targets;
};

// Each paint draws from the data; a direct refresh is shown by the paint
// that follows it without drawing twice, and a hidden chart skips it.
TEST_F(ChartWidgetTest, EveryPaintDrawsTheDataADirectRefreshIsShownOnce) {
  widget.Picture();
  widget.Picture();
  widget.DirectRefresh();  // hidden: nothing to show it on
  EXPECT_EQ(targets, (std::vector<int>{0, 0}));
  widget.show();
  widget.DirectRefresh();
  widget.Picture();
  widget.Picture();
  EXPECT_EQ(targets, (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(ChartWidgetTest, CursorFollowsThePressAndLeavesOnRelease) {
  widget.Picture();
  // Plot 42..598 x 10..145 over 0..10 minutes: minute 7 lies at x = 431.
  Mouse(QEvent::MouseButtonPress, {431, 60});
  EXPECT_TRUE(pm.Chart.CursorShown());
  EXPECT_EQ(pm.Chart.Readout(), "N=421 X=7 Y=2");
  EXPECT_GT(Cursor(), 100);                                  // cross-hair
  EXPECT_GT(InkIn(widget.Picture(), 8, 164, 120, 175), 20);  // readout at (8, H - 37)
  Mouse(QEvent::MouseMove, {100, 60});
  EXPECT_EQ(pm.Chart.Nearest()->Y, -2);
  Mouse(QEvent::MouseButtonRelease, {100, 60});
  EXPECT_FALSE(pm.Chart.CursorShown());
  EXPECT_EQ(Cursor(), 0);
}

TEST_F(ChartWidgetTest, ShiftReleaseKeepsTheReadout) {
  widget.Picture();
  Mouse(QEvent::MouseButtonPress, {431, 60});
  Mouse(QEvent::MouseButtonRelease, {431, 60}, Qt::ShiftModifier);
  EXPECT_GT(Cursor(), 100);
  widget.RequestRepaint();  // new data keep it on screen too
  EXPECT_GT(Cursor(), 100);
  Mouse(QEvent::MouseButtonPress, {3, 3});  // outside every plot: removes it, starts nothing
  EXPECT_EQ(Cursor(), 0);
  EXPECT_FALSE(pm.Chart.Confinement());
}

TEST_F(ChartWidgetTest, CtrlDragZoomsCtrlClickUndoes) {
  widget.Picture();
  Mouse(QEvent::MouseButtonPress, {100, 20}, Qt::ControlModifier);
  Mouse(QEvent::MouseMove, {300, 120}, Qt::ControlModifier);
  EXPECT_GT(Cursor(), 200);  // the rectangle
  Mouse(QEvent::MouseButtonRelease, {300, 120}, Qt::ControlModifier);
  ASSERT_EQ(pm.Chart.Zooms().size(), 1u);
  widget.Picture();
  const chart::Range x = pm.Chart.Plots()[0].X;
  EXPECT_NEAR(x.Min, (100 - 42) / 556.0 * 10, 0.01);
  EXPECT_NEAR(x.Max, (300 - 42) / 556.0 * 10, 0.01);
  Mouse(QEvent::MouseButtonPress, {200, 50}, Qt::ControlModifier);
  Mouse(QEvent::MouseButtonRelease, {200, 50}, Qt::ControlModifier);
  EXPECT_TRUE(pm.Chart.Zooms().empty());
  widget.Picture();
  EXPECT_EQ(pm.Chart.Plots()[0].X, (chart::Range{0, 10}));
}

}  // namespace
}  // namespace sondaro
