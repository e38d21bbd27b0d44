// Modulation power: history and window, statistics and texts, the clear,
// the buttons, and the chart's ranges.
#include "measure/modulation_power.h"

#include "support/link_fixture.h"

namespace sondaro {
namespace {

using test::RecordingCanvas;

class PowerTest : public test::LinkFixture {
 protected:
  ModulationPower pm{clock, view, link};
  RecordingCanvas canvas{ModulationPower::kChartWidth, ModulationPower::kChartHeight};

  const chart::ChartMemory::PlotRecord& Draw(int target = chart::kTargetPaint) {
    canvas.Clear();
    pm.VymalujPM(target, canvas);
    return pm.Chart.Plots().at(0);
  }
  void StoreMany(int n, float value) {
    for (int i = 0; i < n; ++i) pm.StorePmValue(value);
  }
};

TEST_F(PowerTest, ValuesBuildWindowStatisticsAndTexts) {
  for (float v : {-2.5f, 999.0f, 1.3f, -7.0f, 0.6f}) pm.StorePmValue(v);
  EXPECT_EQ(pm.PmHistory, (std::vector<float>{-2.5f, 1.3f, -7.0f, 0.6f}));  // 999 is no value
  EXPECT_EQ(pm.PmMax, 1.3f);
  EXPECT_EQ(pm.PmMin, -7.0f);
  EXPECT_FLOAT_EQ(pm.PmAve, -1.9f);
  ASSERT_EQ(pm.PmWindow.size(), 4u);
  EXPECT_EQ(pm.PmWindow[3], (chart::PointD{3 / 60.0, double(0.6f)}));
  EXPECT_EQ(pm.LastValueText, "Last value: 0.6 dBr (at 2024-01-15 12:00:00)");
  EXPECT_EQ(pm.PmLastText, "0.6 dBr");
  EXPECT_EQ(pm.PmMaxText, "1.3");
  EXPECT_EQ(pm.PmMinText, "-7.0");
  EXPECT_EQ(pm.PmAveText, "-1.90");

  Formats().DecimalSeparator = ',';
  pm.StorePmValue(-3.2f);
  EXPECT_EQ(pm.PmLastText, "-3,2 dBr");
  EXPECT_EQ(pm.PmAveText, "-2,16");
}

TEST_F(PowerTest, WindowHoldsTheLast1800Values) {
  for (int i = 0; i < 1801; ++i) pm.StorePmValue(i == 0 ? 50.0f : static_cast<float>(i % 7) - 3);
  ASSERT_EQ(pm.PmWindow.size(), 1800u);
  // The second value received now sits at x = 0; the 50 of the first is gone.
  EXPECT_EQ(pm.PmWindow.front(), (chart::PointD{0, 1 % 7 - 3}));
  EXPECT_DOUBLE_EQ(pm.PmWindow.back().X, 1799.0 / 60);
  EXPECT_EQ(pm.PmMax, 3.0f);
  EXPECT_EQ(pm.PmMin, -3.0f);
  EXPECT_EQ(pm.PmHistory.size(), 1801u);
}

TEST_F(PowerTest, HistoryStopsAt48Hours) {
  pm.PmHistory.assign(ModulationPower::kHistoryCap - 1, 1.0f);
  pm.StorePmValue(2.0f);
  pm.StorePmValue(3.0f);
  EXPECT_EQ(pm.PmHistory.size(), ModulationPower::kHistoryCap);
  EXPECT_EQ(pm.PmHistory.back(), 2.0f);
  EXPECT_EQ(pm.PmLastText, "2.0 dBr");  // frozen on the last accepted value
  pm.ClearPM();
  pm.StorePmValue(3.0f);
  EXPECT_EQ(pm.PmHistory.size(), 1u);
}

TEST_F(PowerTest, ChartFollowsEveryTenthValue) {
  StoreMany(9, 1.0f);
  EXPECT_EQ(view.repaints[ChartTag::PM], 0);
  pm.StorePmValue(1.0f);
  EXPECT_EQ(view.repaints[ChartTag::PM], 1);
  StoreMany(10, 1.0f);
  EXPECT_EQ(view.repaints[ChartTag::PM], 2);
  pm.StorePmValue(999);  // ignored, even at a length of 20
  EXPECT_EQ(view.repaints[ChartTag::PM], 2);
}

TEST_F(PowerTest, AxisRanges) {
  struct Case {
    int count;
    std::vector<float> values;  // cycled
    double xMax, yMin, yMax;
  } cases[] = {
      {0, {0.0f}, 5, -1, 1},
      {59, {0.5f, -0.9f}, 5, -1, 1},
      {361, {0.5f}, 7, -1, 1},
      {300, {0.5f}, 5, -1, 1},
      {301, {0.5f}, 6, -1, 1},
      {1800, {0.5f}, 30, -1, 1},
      {10, {-3.4f, 2.5f}, 5, -4, 3},
      {10, {-1.0f, 1.0f}, 5, -1, 1},
      {10, {-12.6f, 12.6f}, 5, -13, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    pm.ClearPM();
    for (int i = 0; i < c.count; ++i) pm.StorePmValue(c.values[i % c.values.size()]);
    const auto& plot = Draw();
    EXPECT_DOUBLE_EQ(plot.X.Min, 0);
    EXPECT_DOUBLE_EQ(plot.X.Max, c.xMax);
    EXPECT_DOUBLE_EQ(plot.Y.Min, c.yMin);
    EXPECT_DOUBLE_EQ(plot.Y.Max, c.yMax);
    EXPECT_EQ(plot.CursorData.size(), static_cast<std::size_t>(c.count));
  }
}

TEST_F(PowerTest, ChartTextsLineAndGeometry) {
  for (float v : {-2.0f, -4.0f, 3.0f}) pm.StorePmValue(v);
  const auto& plot = Draw();
  EXPECT_EQ(plot.Plot, (chart::PixelRect{42, 10, 598, 145}));
  EXPECT_EQ(plot.ReadoutAt, (PixelPoint{8, 201 - 37}));
  EXPECT_EQ(plot.CursorMode, 0);
  // In this face of 6-pixel characters the last value would run into the
  // average at 285: it keeps its place at the edge, and the texts left of it
  // move left just enough to stay 6 pixels apart.
  struct Case {
    const char* text;
    int x;
    HAlign h;
  } cases[] = {{"MAX: 3.0 dBr", 89, HAlign::Left},
               {"MIN: -4.0 dBr", 167, HAlign::Left},
               {"AVE: -1.00 dBr", 251, HAlign::Left},
               {"Last value: 3.0 dBr (at 2024-01-15 12:00:00)", 605, HAlign::Right}};
  for (const Case& c : cases) {
    const auto* t = canvas.FindText(c.text);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(t->Text, c.text);
    EXPECT_EQ(t->X, c.x);
    EXPECT_EQ(t->Y, 183);
    EXPECT_EQ(t->Options.H, c.h);
  }
  ASSERT_NE(canvas.FindText("Time [min]"), nullptr);
  ASSERT_NE(canvas.FindText("[dBr]"), nullptr);
  // The window as one 2-pixel navy line.
  const auto& line = canvas.Lines.back();
  EXPECT_EQ(line.Pen, MakeColor(0, 0, 128));
  EXPECT_EQ(line.Width, 2);
  EXPECT_EQ(line.Points.size(), 3u);
  EXPECT_EQ(line.Points[0].X, 42);
}

TEST_F(PowerTest, ClearEmptiesAllButTheAverage) {
  StoreMany(10, -5.0f);
  const int repaints = view.repaints[ChartTag::PM];
  pm.GradBtn14Click();
  EXPECT_TRUE(pm.PmHistory.empty());
  EXPECT_TRUE(pm.PmWindow.empty());
  EXPECT_EQ(pm.PmMax, 0);
  EXPECT_EQ(pm.PmMin, 0);
  EXPECT_EQ(pm.PmAve, -5.0f);
  EXPECT_EQ(pm.LastValueText, "Last value:                          ");
  EXPECT_EQ(pm.LastValueText.size(), 11u + 26u);
  EXPECT_EQ(pm.PmLastText + pm.PmMaxText + pm.PmMinText + pm.PmAveText, "");
  EXPECT_EQ(view.repaints[ChartTag::PM], repaints + 1);
  const auto& plot = Draw();
  EXPECT_EQ(plot.X, (chart::Range{0, 5}));
  EXPECT_EQ(plot.Y, (chart::Range{-1, 1}));
}

TEST_F(PowerTest, RunEntersMeasuringModeThenStartsTheStream) {
  std::vector<std::string> order;
  pm.EnterMeasuringMode = [&] {
    order.push_back("mode");
    link.Send("*M");
  };
  pm.BitBtn14Click();
  pm.BitBtn15Click();
  EXPECT_EQ(order, std::vector<std::string>{"mode"});
  EXPECT_EQ(Queued(), (std::vector<std::string>{"*M", "*P", "*p"}));
}

}  // namespace
}  // namespace sondaro
