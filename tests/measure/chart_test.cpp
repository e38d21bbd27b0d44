// The chart layer: colours, ticks, plot geometry, the data cursor and zoom.
#include "measure/chart/chart.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/formats.h"
#include "measure/chart/color.h"
#include "support/recording_canvas.h"

namespace sondaro::chart {
namespace {

using test::RecordingCanvas;

TEST(ToRGB, MatchesTheFixedConversion) {
  struct Case {
    double h, s, l;
    int r, g, b;
  } cases[] = {
      {0, 0, 0.86, 219, 219, 219},       // the theme's grey at hue 0, saturation 0
      {0.33, 1.0, 0.91, 210, 255, 209},  // palest bandscan band
      {0.33, 1.0, 1.0, 255, 255, 255},   // top band
      {0, 1, 0.5, 255, 0, 0},
      {1, 0, 0.5, 127, 127, 127},  // hue wraps; grey truncates 127.5
      {0.6667, 0.4, 0.6, 112, 112, 193},
      {1, 0, 1 - 0.5455, 115, 115, 115},  // a fading history trace
  };
  for (const Case& c : cases) {
    const Color rgb = ToRGB(c.h, c.s, c.l);
    EXPECT_EQ(RedOf(rgb), c.r) << c.h << " " << c.s << " " << c.l;
    EXPECT_EQ(GreenOf(rgb), c.g) << c.h << " " << c.s << " " << c.l;
    EXPECT_EQ(BlueOf(rgb), c.b) << c.h << " " << c.s << " " << c.l;
  }
  // Red sits in the low byte.
  EXPECT_EQ(ToRGB(0, 1, 0.5), 0x0000FFu);
}

TEST(ChooseTicks, PicksOneTwoFiveSteps) {
  struct Case {
    Range r;
    int max;
    double step;
    int decimals;
    double first, last;
  } cases[] = {
      {{0, 120}, 12, 10, 0, 0, 120},    {{0, 120}, 7, 20, 0, 0, 120},
      {{0, 1}, 5, 0.2, 1, 0, 1},        {{-4, 3}, 7, 1, 0, -4, 3},
      {{-4, 3}, 3, 5, 0, 0, 0},         {{87.5, 108}, 10, 5, 0, 90, 105},
      {{0, 0.05}, 5, 0.01, 2, 0, 0.05},
  };
  for (const Case& c : cases) {
    const Ticks t = ChooseTicks(c.r, c.max);
    EXPECT_DOUBLE_EQ(t.Step, c.step) << c.r.Min << ".." << c.r.Max;
    EXPECT_EQ(t.Decimals, c.decimals);
    ASSERT_FALSE(t.Values.empty());
    EXPECT_NEAR(t.Values.front(), c.first, 1e-12);
    EXPECT_NEAR(t.Values.back(), c.last, 1e-12);
    EXPECT_LE(static_cast<int>(t.Values.size()), c.max + 1);
  }
  // A range of no width still gets its one value, and never loops.
  EXPECT_EQ(ChooseTicks({5, 5}, 4).Values.size(), 1u);
  EXPECT_TRUE(ChooseTicks({std::nan(""), 1}, 4).Values.empty());
  EXPECT_LE(ChooseTicks({0, INFINITY}, 4).Values.size(), 1u);
}

TEST(Readouts, SixSignificantDigits) {
  EXPECT_EQ(PointReadout({3, 2, 3.14159265}), "N=3 X=2 Y=3.14159");
  EXPECT_EQ(PointReadout({1800, 29.983333, -12.5}), "N=1800 X=29.9833 Y=-12.5");
  Formats().DecimalSeparator = ',';
  EXPECT_EQ(PositionReadout(0.25, 1234567), "X=0,25 Y=1,23457E6");
  Formats().DecimalSeparator = '.';
}

// A 401 x 201 chart with one plot area inset 40/10/10/30, so the plot is
// 40..390 x 10..170: 35 pixels per x unit, 8 per y unit. A line of points
// y = 2x at x = 0..10.
class CursorTest : public ::testing::Test {
 protected:
  void Draw(int target = kTargetPaint, bool cursorData = true) {
    canvas.Clear();
    Chart c(canvas, memory, target);
    c.Start();
    c.PlotArea({40, 10, 10, 30});
    c.XAxis("x", 0, 10);
    c.YAxis("y", 0, 20);
    c.Line(points, cursorData);
    c.CursorReadout(8, 180, 0);
    c.Finish();
  }
  static int PixelX(double x) { return static_cast<int>(40 + x * 35); }

  RecordingCanvas canvas{401, 201};
  ChartMemory memory;
  std::vector<PointD> points = [] {
    std::vector<PointD> p;
    for (int x = 0; x <= 10; ++x) p.push_back({double(x), 2.0 * x});
    return p;
  }();
};

TEST_F(CursorTest, PlotRectangleFollowsInsetsAndRangesAreRecorded) {
  Draw();
  ASSERT_EQ(memory.Plots().size(), 1u);
  const auto& plot = memory.Plots()[0];
  EXPECT_EQ(plot.Plot, (PixelRect{40, 10, 390, 170}));
  EXPECT_EQ(plot.X, (Range{0, 10}));
  EXPECT_EQ(plot.Y, (Range{0, 20}));
  EXPECT_EQ(plot.ReadoutAt, (PixelPoint{8, 180}));
}

TEST_F(CursorTest, PressMarksTheNearestPointAndReleaseRemovesIt) {
  Draw();
  EXPECT_TRUE(memory.MouseDown(PixelX(3.4), 100, {}));
  ASSERT_TRUE(memory.Nearest());
  EXPECT_EQ(memory.Nearest()->Index, 4);  // counting from 1: x = 3
  EXPECT_EQ(memory.Readout(), "N=4 X=3 Y=6");
  EXPECT_EQ(memory.Confinement(), memory.Plots()[0].Plot);
  // The pointer is held inside the plot: far right reads the last point.
  memory.MouseMove(1000, 100);
  EXPECT_EQ(memory.Readout(), "N=11 X=10 Y=20");
  Draw();
  const auto* readout = canvas.FindText("N=");
  ASSERT_NE(readout, nullptr);
  EXPECT_EQ(readout->X, 8);
  EXPECT_EQ(readout->Y, 180);
  EXPECT_EQ(readout->Options.Background, kWhite);

  memory.MouseUp(1000, 100, {});
  EXPECT_FALSE(memory.CursorShown());
  EXPECT_FALSE(memory.Confinement());
  Draw();
  EXPECT_EQ(canvas.FindText("N="), nullptr);
}

TEST_F(CursorTest, ShiftKeepsTheCursorUntilTheNextPress) {
  Draw();
  memory.MouseDown(PixelX(5), 100, {});
  memory.MouseUp(PixelX(5), 100, {.Shift = true});
  EXPECT_TRUE(memory.CursorShown());
  EXPECT_FALSE(memory.Confinement());  // the pointer is free again
  Draw();
  EXPECT_NE(canvas.FindText("N=6 "), nullptr);
  // A press outside every plot area starts nothing but removes the kept cursor.
  EXPECT_TRUE(memory.MouseDown(5, 5, {}));
  EXPECT_FALSE(memory.CursorShown());
  EXPECT_FALSE(memory.MouseMove(PixelX(2), 100));
  EXPECT_FALSE(memory.MouseUp(PixelX(2), 100, {.Ctrl = true}));
  EXPECT_TRUE(memory.Zooms().empty());
}

TEST_F(CursorTest, PressOutsideEveryPlotAreaStartsNothing) {
  Draw();
  EXPECT_FALSE(memory.MouseDown(20, 100, {}));               // in the axis margin
  EXPECT_FALSE(memory.MouseDown(200, 190, {.Ctrl = true}));  // under the plot
  EXPECT_FALSE(memory.CursorShown());
  EXPECT_FALSE(memory.Zooming());
  EXPECT_FALSE(memory.Confinement());
}

TEST_F(CursorTest, SavedImageShowsNoCursor) {
  Draw();
  memory.MouseDown(PixelX(5), 100, {});
  Draw(kTargetBitmap);
  EXPECT_EQ(canvas.FindText("N="), nullptr);
  for (const auto& l : canvas.Lines) EXPECT_NE(l.Pen, kCursorColor);
  // ... and leaves the screen's memory alone.
  EXPECT_EQ(memory.Readout(), "N=6 X=5 Y=10");
}

TEST_F(CursorTest, SeriesWithoutCursorDataShowsThePointerPosition) {
  Draw(kTargetPaint, false);
  memory.MouseDown(PixelX(2), 170 - 80, {});
  EXPECT_FALSE(memory.Nearest());
  EXPECT_EQ(memory.Readout(), "X=2 Y=10");
}

TEST_F(CursorTest, CtrlDragZoomsAndCtrlClickUndoes) {
  Draw();
  memory.MouseDown(PixelX(2), 30, {.Ctrl = true});
  EXPECT_TRUE(memory.Zooming());
  memory.MouseMove(PixelX(6), 170);
  Draw();  // the rectangle follows the pointer
  ASSERT_FALSE(canvas.Lines.empty());
  EXPECT_EQ(canvas.Lines.back().Pen, kCursorColor);
  memory.MouseUp(PixelX(6), 170, {.Ctrl = true});
  Draw();
  const auto& zoomed = memory.Plots()[0];
  EXPECT_NEAR(zoomed.X.Min, 2, 0.01);
  EXPECT_NEAR(zoomed.X.Max, 6, 0.01);
  EXPECT_NEAR(zoomed.Y.Min, 0, 0.01);
  EXPECT_NEAR(zoomed.Y.Max, 17.5, 0.01);  // pixel 30

  // The cursor reads the zoomed plot.
  memory.MouseDown(40, 100, {});
  EXPECT_EQ(memory.Nearest()->Index, 3);
  memory.MouseUp(40, 100, {});

  // Releasing without Ctrl leaves the zoom as it was.
  memory.MouseDown(100, 50, {.Ctrl = true});
  memory.MouseUp(300, 150, {});
  Draw();
  EXPECT_NEAR(memory.Plots()[0].X.Min, 2, 0.01);

  // A Ctrl click undoes it.
  memory.MouseDown(100, 50, {.Ctrl = true});
  memory.MouseUp(101, 51, {.Ctrl = true});
  Draw();
  EXPECT_EQ(memory.Plots()[0].X, (Range{0, 10}));
  EXPECT_EQ(memory.Plots()[0].Y, (Range{0, 20}));
}

TEST_F(CursorTest, ChangingThePageEndsTheGestureOfTheActiveChart) {
  Draw();
  // A zoom made earlier stays; a cursor drag or a zoom drag in progress ends,
  // and its release on another page acts on nothing.
  memory.MouseDown(PixelX(2), 30, {.Ctrl = true});
  memory.MouseUp(PixelX(6), 170, {.Ctrl = true});
  ASSERT_EQ(memory.Zooms().size(), 1u);
  for (const Modifiers held : {Modifiers{}, Modifiers{.Ctrl = true}}) {
    memory.MouseDown(PixelX(3), 100, held);
    ASSERT_TRUE(memory.Confinement());
    NoActiveChart();
    EXPECT_FALSE(memory.CursorShown());
    EXPECT_FALSE(memory.Zooming());
    EXPECT_FALSE(memory.Confinement());
    EXPECT_FALSE(memory.MouseMove(PixelX(8), 60));
    EXPECT_FALSE(memory.MouseUp(PixelX(8), 60, {.Ctrl = true}));
    EXPECT_EQ(memory.Zooms().size(), 1u);
    Draw();
    EXPECT_EQ(canvas.FindText("N="), nullptr);
  }
  // A cursor kept with Shift is no gesture: it stays until the next press.
  memory.MouseDown(PixelX(3), 100, {});
  memory.MouseUp(PixelX(3), 100, {.Shift = true});
  NoActiveChart();
  EXPECT_TRUE(memory.CursorShown());
  // A chart gone since its press is never told (the sanitizer watches).
  {
    ChartMemory gone = memory;
    gone.MouseDown(PixelX(3), 100, {});
  }
  NoActiveChart();
}

TEST(Chart, TextsAxesAndSeriesLandOnTheirPixels) {
  RecordingCanvas canvas(400, 200);
  ChartMemory memory;
  Chart c(canvas, memory, kTargetPaint);
  c.Start();
  // Frame in the button shadow colour around the white chart.
  ASSERT_FALSE(canvas.Fills.empty());
  EXPECT_EQ(canvas.Fills[0].Fill, kWhite);
  EXPECT_EQ(canvas.Fills[0].W, 400);
  EXPECT_EQ(canvas.Lines[0].Pen, kFrameColor);
  EXPECT_EQ(canvas.Lines[0].Points[2], (PixelPoint{399, 199}));

  c.Text(5, 6, "pixel text", {HAlign::Right, VAlign::Bottom});
  c.PlotArea(0.5, 0, 1, 1, {10, 10, 10, 10});  // right half
  c.XAxisLabels("", {"L", "R"});
  c.YAxis("[dB]", -40, 10);
  c.YAxis("[%]", 0, 100, {.Right = true, .AxisColor = MakeColor(255, 0, 0)});
  c.DataText(1, 50, "on right axis");
  c.Bar(2, 0.8, 100, MakeColor(1, 2, 3));
  c.Finish();

  EXPECT_EQ(canvas.Texts[0].X, 5);
  EXPECT_EQ(canvas.Texts[0].Options.H, HAlign::Right);
  // Plot 210..389 x 10..189; labels L and R at x = 1 and 2 of 0.5..2.5.
  const auto* l = canvas.FindText("L");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->X, 255);  // 210 + 179 / 4, rounded
  const auto* title = canvas.FindText("[%]");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->Options.Rotate90);
  EXPECT_EQ(title->Options.TextColor, MakeColor(255, 0, 0));
  EXPECT_GT(title->X, 389);
  const auto* data = canvas.FindText("on right axis");
  EXPECT_EQ(data->Y, 100);  // 50 % of the right axis
  // The bar reaches the top of the right axis, inside the plot frame.
  const auto& bar = canvas.Fills.back();
  EXPECT_EQ(bar.Fill, MakeColor(1, 2, 3));
  EXPECT_EQ(bar.Y, 10);
  EXPECT_EQ(bar.Y + bar.H, 189);
  EXPECT_EQ(memory.Plots()[0].YRight, (Range{0, 100}));
}

}  // namespace
}  // namespace sondaro::chart
