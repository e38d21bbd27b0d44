// The deviation histogram: statistics of a stored histogram, the limit, the
// clear, and what the chart draws.
#include "measure/deviation_histogram.h"

#include "support/link_fixture.h"

namespace sondaro {
namespace {

using test::RecordingCanvas;

constexpr Color kNavy = MakeColor(0, 0, 128);
constexpr Color kPurple = MakeColor(74, 0, 62);
constexpr Color kMaroon = MakeColor(128, 0, 0);

HistogramCounts Counts(std::initializer_list<std::pair<int, int>> bins) {
  HistogramCounts c{};
  for (auto [i, n] : bins) c[i] = n;
  return c;
}

class DeviationTest : public test::LinkFixture {
 protected:
  DeviationHistogram dev{clock, view, link};
  RecordingCanvas canvas{DeviationHistogram::kChartWidth, DeviationHistogram::kChartHeight};

  void Draw(int target = chart::kTargetPaint) {
    canvas.Clear();
    dev.VymalujDEV(target, canvas);
  }
  // Bars drawn inside the plot, left to right.
  std::vector<RecordingCanvas::FillCall> Bars() const {
    std::vector<RecordingCanvas::FillCall> bars;
    for (const auto& f : canvas.Fills)
      if (f.Fill != kWhite) bars.push_back(f);
    return bars;
  }
};

TEST_F(DeviationTest, StatisticsOfOneHistogram) {
  struct Case {
    const char* name;
    HistogramCounts bins;
    float maxCount;
    int maxAt, min, total;
    double percent;  // above 76 kHz
  } cases[] = {
      {"empty", {}, 1, 0, 0, 0, 0},
      {"largest count 1", Counts({{40, 1}, {60, 1}}), 1, 0, 40, 2, 0},
      {"tie keeps the lower bin", Counts({{30, 7}, {50, 7}, {20, 3}}), 7, 30, 20, 17, 0},
      {"bin 121 counts", Counts({{0, 3}, {77, 1}, {121, 4}}), 4, 121, 0, 8, 62.5},
      {"bin 76 is not above", Counts({{76, 5}, {77, 5}}), 5, 76, 76, 10, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dev.StoreHistogram(c.bins);
    EXPECT_EQ(dev.MaxCount, c.maxCount);
    EXPECT_EQ(dev.MaxAtKHz, c.maxAt);
    EXPECT_EQ(dev.MinKHz, c.min);
    EXPECT_EQ(dev.TotalSamples, c.total);
    EXPECT_DOUBLE_EQ(static_cast<double>(dev.AbovePercent), c.percent);
    EXPECT_EQ(dev.MinText, std::to_string(c.min));
    EXPECT_EQ(dev.AcquiredText, "2024-01-15 12:00:00");
  }
  EXPECT_EQ(view.repaints[ChartTag::DEV], 5);  // every histogram is drawn at once
}

TEST_F(DeviationTest, TotalTimeCountsTwentySamplesPerSecond) {
  struct Case {
    int samples;
    const char* text;
  } cases[] = {
      {0, "Total time: 0:00:00"},     {19, "Total time: 0:00:00"},
      {20, "Total time: 0:00:01"},    {1219, "Total time: 0:01:00"},
      {72000, "Total time: 1:00:00"}, {72000 * 12 + 1200 * 5 + 20 * 9, "Total time: 12:05:09"}};
  for (const Case& c : cases) EXPECT_EQ(TotalTimeTextOf(c.samples), c.text);
  dev.StoreHistogram(Counts({{10, 1219}}));
  EXPECT_EQ(dev.TotalTimeText, "Total time: 0:01:00");
}

TEST_F(DeviationTest, LimitMovesTheThresholdAtTheNextHistogram) {
  EXPECT_EQ(dev.AboveThresholdKHz, 76);  // before the settings are read
  const HistogramCounts bins = Counts({{50, 10}, {80, 10}, {105, 10}});
  dev.StoreHistogram(bins);
  EXPECT_NEAR(static_cast<double>(dev.AbovePercent), 200.0 / 3, 1e-12);

  dev.SetDeviationLimit(110);
  EXPECT_EQ(dev.DeviationLimit, 110);
  EXPECT_EQ(dev.AboveThresholdKHz, 100);  // capped
  EXPECT_EQ(dev.AbovePercent, -1);
  Draw();
  ASSERT_NE(canvas.FindText("% above"), nullptr);
  EXPECT_EQ(canvas.FindText("% above")->Text, "% above 100 kHz: -1.0");
  dev.StoreHistogram(bins);
  EXPECT_NEAR(static_cast<double>(dev.AbovePercent), 100.0 / 3, 1e-12);

  // The spin box holds 50..110 and fires only on a change.
  dev.SetDeviationLimit(20);
  EXPECT_EQ(dev.DeviationLimit, 50);
  EXPECT_EQ(dev.AboveThresholdKHz, 51);
  dev.StoreHistogram(bins);
  dev.SetDeviationLimit(50);
  EXPECT_NE(dev.AbovePercent, -1);
}

TEST_F(DeviationTest, ClearResetsStoreAndReadoutsButKeepsViewAndLimit) {
  dev.SetDeviationLimit(90);
  dev.ShowHistogram = false;
  dev.StoreHistogram(Counts({{40, 5}}));
  link.readouts.Label15 = "  6.8 kHz";
  link.readouts.ProgressBar1 = 4;
  link.state.PilotKHz = 6.8f;
  link.state.RdsDeviationKHz = 3.1f;
  link.state.PhaseDeg = 12;
  link.state.DeviationMaxHoldText = "75.0 kHz";
  bool online = true;
  dev.OnlineChecked = [&] { return online; };

  dev.ClearFDev();
  EXPECT_EQ(dev.Bins, HistogramCounts{});
  EXPECT_EQ(dev.MaxCount, 1.0f);
  EXPECT_EQ(dev.TotalSamples, 0);
  EXPECT_EQ(dev.MinText, "");
  EXPECT_EQ(dev.AbovePercent, -1);
  EXPECT_EQ(dev.AcquiredText, "");
  EXPECT_EQ(dev.TotalTimeText, "Total time: 0:00:00");
  EXPECT_EQ(link.readouts.Label15, "kHz");
  EXPECT_EQ(link.readouts.Label14, "kHz");
  EXPECT_EQ(link.readouts.Label22, "      kHz");
  EXPECT_EQ(link.readouts.ProgressBar1, 0);
  EXPECT_EQ(link.state.PilotKHz, 0);
  EXPECT_EQ(link.state.RdsDeviationKHz, 0);
  EXPECT_EQ(link.state.PhaseDeg, 999);
  EXPECT_EQ(link.state.DeviationMaxHoldText, "");
  EXPECT_FALSE(dev.ShowHistogram);
  EXPECT_EQ(dev.DeviationLimit, 90);
  EXPECT_GE(view.changed[Area::Readouts], 1);

  online = false;
  dev.ClearFDev();
  EXPECT_EQ(link.readouts.Label22, "    deg");
}

TEST_F(DeviationTest, ButtonsQueueTheirCommands) {
  dev.BitBtn12Click();
  dev.GradBtn43Click();
  EXPECT_EQ(Queued(), (std::vector<std::string>{"?F", "?H", "*C"}));
  const int before = view.repaints[ChartTag::DEV];
  dev.IAeverButton30Click();
  EXPECT_FALSE(dev.ShowHistogram);
  EXPECT_EQ(dev.FrameCaption(), "Accumulated Distribution Plot of Frequency Deviation");
  EXPECT_EQ(view.repaints[ChartTag::DEV], before + 1);
}

TEST_F(DeviationTest, StatisticsTextsStandAtTheirPixels) {
  dev.StoreHistogram(Counts({{45, 30}, {80, 10}}));
  Draw();
  struct Case {
    const char* text;
    int x, y;
    HAlign h;
  } cases[] = {
      {"Max at: 45 kHz", 5, 201, HAlign::Left},
      {"MIN: 45 kHz", 5, 215, HAlign::Left},
      {"% above 76 kHz: 25.0", 130, 201, HAlign::Left},
      {"Acquired: 2024-01-15 12:00:00", 130, 215, HAlign::Left},
      {"Total samples: 40", 515, 201, HAlign::Right},
      {"Total time: 0:00:02", 515, 215, HAlign::Right},
  };
  for (const Case& c : cases) {
    const auto* t = canvas.FindText(c.text);
    ASSERT_NE(t, nullptr) << c.text;
    EXPECT_EQ(t->Text, c.text);
    EXPECT_EQ(t->X, c.x) << c.text;
    EXPECT_EQ(t->Y, c.y) << c.text;
    EXPECT_EQ(t->Options.H, c.h) << c.text;
  }
  // The statistics come before the axes.
  EXPECT_LT(canvas.FindText("Total time") - canvas.Texts.data(),
            canvas.FindText("Frequency Deviation [kHz]") - canvas.Texts.data());
}

TEST_F(DeviationTest, BarColoursFollowTheLimit) {
  struct Case {
    int limit;
    int purple;  // the one dark purple bin; maroon above it
  } cases[] = {{76, 77}, {50, 51}, {110, 111}};
  HistogramCounts all{};
  all.fill(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    dev.SetDeviationLimit(c.limit);
    dev.StoreHistogram(all);
    Draw();
    const auto bars = Bars();
    ASSERT_EQ(bars.size(), 121u);  // bin 121 has no bar
    for (int i = 0; i <= 120; ++i) {
      const Color want = i <= c.limit ? kNavy : (i == c.purple ? kPurple : kMaroon);
      ASSERT_EQ(bars[i].Fill, want) << "bin " << i;
    }
    // Touching 1 kHz bars centred on their bins: 3.9 pixels per kHz.
    EXPECT_EQ(bars[60].X + bars[60].W, bars[61].X);
    EXPECT_EQ(bars[60].X + bars[60].W / 2, 40 + 234);
  }
}

TEST_F(DeviationTest, AxesAndCursorDataOfBothViews) {
  dev.StoreHistogram(Counts({{0, 10}, {50, 30}, {121, 20}}));
  Draw();
  const auto& hist = dev.Chart.Plots().at(0);
  EXPECT_EQ(hist.Plot, (chart::PixelRect{40, 10, 508, 166}));
  EXPECT_EQ(hist.X, (chart::Range{0, 120}));
  EXPECT_EQ(hist.Y, (chart::Range{0, 30}));
  EXPECT_EQ(hist.CursorMode, 3);
  EXPECT_EQ(hist.ReadoutAt, (PixelPoint{8, 233 - 46}));
  ASSERT_EQ(hist.CursorData.size(), 121u);
  EXPECT_EQ(hist.CursorData[50], (chart::PointD{50, 30}));

  dev.IAeverButton30Click();
  Draw();
  const auto& acc = dev.Chart.Plots().at(0);
  EXPECT_EQ(acc.Y, (chart::Range{0, 100}));
  ASSERT_NE(canvas.FindText("[%]"), nullptr);
  // Of 60 samples, 50 lie above bin 0, 20 above bin 50 (bin 121's).
  EXPECT_EQ(acc.CursorData[0].Y, 83);  // 83.33 truncated
  EXPECT_EQ(acc.CursorData[49].Y, 83);
  EXPECT_EQ(acc.CursorData[50].Y, 33);
  EXPECT_EQ(acc.CursorData[120].Y, 33);

  // The data cursor reads a bin, counting points from 1.
  dev.Chart.MouseDown(40 + 50 * 468 / 120, 100, {});
  EXPECT_EQ(dev.Chart.Readout(), "N=51 X=50 Y=33");
}

TEST_F(DeviationTest, EmptyHistogramDrawsZeros) {
  dev.StoreHistogram({});
  dev.ShowHistogram = false;
  Draw();
  EXPECT_EQ(canvas.FindText("% above")->Text, "% above 76 kHz: 0.0");
  EXPECT_EQ(canvas.FindText("Max at")->Text, "Max at: 0 kHz");
  for (const auto& p : dev.Chart.Plots().at(0).CursorData) EXPECT_EQ(p.Y, 0);
  EXPECT_TRUE(Bars().empty());  // bars of height 0
}

}  // namespace
}  // namespace sondaro
