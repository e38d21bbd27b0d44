// The MPX and RF charts through a recording canvas: fading greys, gauge
// colours and text placement, erasing on the direct refresh, axis ranges.
#include <gtest/gtest.h>

#include <algorithm>

#include "measure/mpx/mpx.h"
#include "support/link_fixture.h"

namespace sondaro::test {
namespace {

constexpr Color kRed = MakeColor(255, 0, 0);

TEST(FadeWeight, GivesTheGreysOfTheEightAges) {
  const float weights[] = {1, 0.5455f, 0.3333f, 0.2105f, 0.1304f, 0.0741f, 0.0323f, 0};
  const int greys[] = {0, 115, 170, 201, 221, 236, 246, 255};
  for (int age = 0; age < 8; ++age) {
    EXPECT_NEAR(FadeWeight(1, 8, 1 + age), weights[age], 1e-4) << age;
    EXPECT_EQ(FadeColor(FadeWeight(1, 8, 1 + age)), MakeColor(greys[age], greys[age], greys[age]));
  }
  EXPECT_EQ(FadeWeight(2, 9, 2), 1);
  EXPECT_EQ(FadeWeight(2, 9, 12), 0);  // clamped to the oldest row
}

class MpxChartTest : public LinkFixture {
 protected:
  RecordingCanvas& Draw(int target) {
    canvas.Clear();
    mpx.VymalujMPX(target, canvas);
    return canvas;
  }
  // Text drawn exactly as `text`.
  const RecordingCanvas::TextCall* Exact(const std::string& text) const {
    for (const auto& t : canvas.Texts)
      if (t.Text == text) return &t;
    return nullptr;
  }
  int LinesIn(Color pen) const {
    return static_cast<int>(std::count_if(canvas.Lines.begin(), canvas.Lines.end(),
                                          [pen](const auto& l) { return l.Pen == pen; }));
  }

  Mpx mpx{timers, view, link};
  RecordingCanvas canvas{Mpx::kChartWidth, Mpx::kChartHeight};
};

TEST_F(MpxChartTest, KilohertzGaugesPlaceTheirTextsByValue) {
  struct Case {
    float Pilot;
    const char* Text;
    VAlign V;  // Bottom: above the point
    Color Box;
  };
  const Case cases[] = {{6.8f, "6.8", VAlign::Bottom, Mpx::kGoodColor},
                        {8.5f, "8.5", VAlign::Top, Mpx::kWarningColor},
                        {12, "12.0", VAlign::Top, Mpx::kWarningColor},
                        {-1, "-1.0", VAlign::Bottom, Mpx::kWarningColor}};
  link.state.RdsDeviationKHz = 3;
  link.state.PhaseDeg = 999;
  Draw(chart::kTargetPaint);
  const RecordingCanvas::TextCall rds = *Exact("3.0");
  link.state.RdsDeviationKHz = 10;
  Draw(chart::kTargetPaint);
  const int topOfScale = Exact("10.0")->Y;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    link.state.PilotKHz = c.Pilot;
    Draw(chart::kTargetPaint);
    const auto* t = Exact(c.Text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Options.V, c.V);
    EXPECT_EQ(t->Options.H, HAlign::Center);
    EXPECT_EQ(t->Options.Background, c.Box);
    EXPECT_LT(t->X, rds.X);  // the pilot gauge left of the RDS gauge
    if (c.Pilot >= 10) EXPECT_EQ(t->Y, topOfScale);  // held at the top of the scale
  }
  EXPECT_EQ(rds.Options.Background, Mpx::kGoodColor);
}

TEST_F(MpxChartTest, PhaseGaugeShowsAnIntegerOrNothing) {
  link.state.PhaseDeg = 85;
  Draw(chart::kTargetPaint);
  ASSERT_NE(Exact("85"), nullptr);
  EXPECT_EQ(Exact("85")->Options.V, VAlign::Top);
  EXPECT_EQ(Exact("85")->Options.Background, Mpx::kGoodColor);
  link.state.PhaseDeg = -45;
  Draw(chart::kTargetPaint);
  ASSERT_NE(Exact("-45"), nullptr);
  EXPECT_EQ(Exact("-45")->Options.V, VAlign::Bottom);
  EXPECT_EQ(Exact("-45")->Options.Background, Mpx::kWarningColor);
  const std::size_t withPhase = canvas.Texts.size();
  link.state.PhaseDeg = 999;
  Draw(chart::kTargetPaint);
  EXPECT_EQ(canvas.Texts.size(), withPhase - 1);
}

TEST_F(MpxChartTest, GaugeBandsAreDrawnInOrder) {
  Draw(chart::kTargetBitmap);
  std::vector<Color> fills;
  for (const auto& f : canvas.Fills)
    if (f.Fill == Mpx::kGoodColor || f.Fill == Mpx::kWarningColor) fills.push_back(f.Fill);
  const Color g = Mpx::kGoodColor, w = Mpx::kWarningColor;
  // Pilot, RDS, phase (the two text boxes are texts, not fills).
  EXPECT_EQ(fills, (std::vector<Color>{w, g, w, w, g, w, g, w, g, g, w, g}));
}

TEST_F(MpxChartTest, DirectRefreshDrawsOverAndErasesInWhite) {
  Draw(chart::kTargetRefresh);
  // No white background over the whole chart; the oldest spectrum and time
  // base traces and the two previous audio traces in white.
  EXPECT_TRUE(std::none_of(canvas.Fills.begin(), canvas.Fills.end(), [](const auto& f) {
    return f.X == 0 && f.Y == 0 && f.W == Mpx::kChartWidth;
  }));
  EXPECT_EQ(LinesIn(kWhite), 4);
  Draw(chart::kTargetBitmap);
  EXPECT_EQ(LinesIn(kWhite), 2);  // the saved image draws no previous traces
  EXPECT_EQ(canvas.Fills.front().Fill, kWhite);
  EXPECT_EQ(canvas.Fills.front().W, Mpx::kChartWidth);
}

TEST_F(MpxChartTest, DeviationLimitSetsTheTimeBaseRange) {
  struct Case {
    int Limit;
    double Range, Line;
  };
  for (const Case c : {Case{95, 100, 96}, Case{96, 120, 97}}) {
    mpx.hooks.DeviationLimit = [&c] { return c.Limit; };
    Draw(chart::kTargetPaint);
    const auto& plot = mpx.Chart.Plots()[1];
    EXPECT_EQ(plot.Y, (chart::Range{-c.Range, c.Range}));
    std::vector<int> redY;
    for (const auto& l : canvas.Lines)
      if (l.Pen == kRed && l.Points.size() == 2 && l.Points[0].Y == l.Points[1].Y) redY.push_back(l.Points[0].Y);
    ASSERT_EQ(redY.size(), 2u);
    const double centre = (plot.Plot.Top + plot.Plot.Bottom) / 2.0;
    const double perKHz = (plot.Plot.Bottom - plot.Plot.Top) / (2 * c.Range);
    EXPECT_NEAR(redY[0], centre - c.Line * perKHz, 1.5);
    EXPECT_NEAR(redY[1], centre + c.Line * perKHz, 1.5);
  }
}

TEST_F(MpxChartTest, DoubleTimeBaseRescalesTheAxes) {
  for (bool on : {false, true}) {
    mpx.SRCheckBox10Change(on);
    Draw(chart::kTargetPaint);
    const auto& plots = mpx.Chart.Plots();
    ASSERT_EQ(plots.size(), 5u);
    EXPECT_EQ(plots[0].X, (chart::Range{0, on ? 59.5 : 119}));
    EXPECT_EQ(plots[1].X, (chart::Range{0, on ? 2.79 : 1.39}));
    EXPECT_EQ(plots[2].X, (chart::Range{on ? 0.2 : 0.1, on ? 2.5 : 1.3}));
    EXPECT_NEAR(plots[0].CursorData.back().X, 164 * (on ? 0.366211 : 0.732422), 1e-4);
    EXPECT_NEAR(plots[1].CursorData.back().X, on ? 2.8 : 1.4, 1e-9);
  }
}

TEST_F(MpxChartTest, FixedTextsStandWhereTheyBelong) {
  mpx.MpxCaptureTime = "2024-01-15 12:00:00";
  Draw(chart::kTargetPaint);
  const auto* acquired = canvas.FindText("Acquired: 2024-01-15 12:00:00");
  ASSERT_NE(acquired, nullptr);
  EXPECT_EQ(acquired->X, Mpx::kChartWidth - 2);
  EXPECT_EQ(acquired->Options.H, HAlign::Right);
  const auto* deg = Exact("[deg]");
  ASSERT_NE(deg, nullptr);
  EXPECT_EQ(deg->X, 517);
  EXPECT_TRUE(deg->Options.Rotate90);
  EXPECT_EQ(deg->Options.Background, kWhite);
}

class RfChartTest : public MpxChartTest {
 protected:
  RecordingCanvas rfCanvas{RfCarrier::kChartWidth, RfCarrier::kChartHeight};
  RfCarrier& rf = mpx.rf;
  void DrawRf() {
    rfCanvas.Clear();
    rf.VymalujRF(chart::kTargetPaint, rfCanvas);
  }
};

TEST_F(RfChartTest, HistogramAxisFollowsTheLargestShare) {
  EXPECT_EQ(RfCarrier::HistogramAxisTop(0), 5);
  EXPECT_EQ(RfCarrier::HistogramAxisTop(4), 5);
  EXPECT_EQ(RfCarrier::HistogramAxisTop(6), 10);
  EXPECT_EQ(RfCarrier::HistogramAxisTop(9), 100);
  rf.SRCheckBox9Change(true);
  DrawRf();  // empty: every point at 0 %
  EXPECT_EQ(rf.Chart.Plots()[0].YRight, (chart::Range{0, 5}));
  rf.InstantFrequencyHistogram[170] = 6;
  rf.InstantFrequencyHistogram[171] = 94;
  DrawRf();
  EXPECT_EQ(rf.Chart.Plots()[0].YRight, (chart::Range{0, 100}));
  // The histogram in red, then the black zero line across on top.
  ASSERT_GE(rfCanvas.Lines.size(), 2u);
  EXPECT_EQ(rfCanvas.Lines[rfCanvas.Lines.size() - 2].Pen, kRed);
  const auto& zero = rfCanvas.Lines.back();
  EXPECT_EQ(zero.Pen, kBlack);
  EXPECT_EQ(zero.Points.front().Y, zero.Points.back().Y);
  EXPECT_EQ(zero.Points.front().X, rf.Chart.Plots()[0].Plot.Left);
}

TEST_F(RfChartTest, MaskAndHistogramOnlyWhenChecked) {
  DrawRf();
  const std::size_t plain = rfCanvas.Lines.size();
  EXPECT_FALSE(rf.Chart.Plots()[0].YRight.has_value());
  rf.SRCheckBox7Change(true);
  DrawRf();
  EXPECT_EQ(rfCanvas.Lines.size(), plain + 1);
  EXPECT_EQ(view.repaints[ChartTag::RF], 1);
}

TEST(CarrierAnalysis, WindowsSlopeAndFirstBin) {
  CountingView view;
  mpx::Fft fft;
  RfCarrier rf(view, fft);
  EXPECT_EQ(RfCarrier::FirstBin(323), 104);
  // An impulse in the middle of both windows of a 4097-sample wave: a flat
  // spectrum at 0 dB, less the slope above bin 217.
  std::vector<float> wave(4097, 0.0f);
  wave[2048] = 1;
  rf.AnalyseCarrier(wave, 323);
  EXPECT_NEAR(rf.CarrierSpectrum[0], 0, 0.01);
  EXPECT_NEAR(rf.CarrierSpectrum[217], 0, 0.01);
  EXPECT_NEAR(rf.CarrierSpectrum[218], -0.25, 0.01);
  EXPECT_NEAR(rf.CarrierSpectrum[234], -4.25, 0.01);
  // Max hold keeps the louder capture; without it a quieter one replaces it.
  rf.MaxHold = true;
  wave[2048] = 0.1f;
  rf.AnalyseCarrier(wave, 323);
  EXPECT_NEAR(rf.CarrierSpectrum[0], 0, 0.01);
  rf.MaxHold = false;
  rf.AnalyseCarrier(wave, 323);
  EXPECT_NEAR(rf.CarrierSpectrum[0], -20, 0.01);
  // Too short for a window, or an IF whose bins lie outside the transform.
  rf.AnalyseCarrier(std::vector<float>(4096, 1.0f), 323);
  EXPECT_EQ(rf.CarrierSpectrum[0], -100);
  rf.AnalyseCarrier(wave, 10000);
  EXPECT_EQ(rf.CarrierSpectrum[0], -100);
}

TEST(CarrierAnalysis, WindowStarts) {
  EXPECT_EQ(RfCarrier::WindowStarts(9000), (std::vector<long>{0, 4904}));
  EXPECT_EQ(RfCarrier::WindowStarts(25000), (std::vector<long>{0, 10000, 20000, 20904}));
  EXPECT_TRUE(RfCarrier::WindowStarts(4096).empty());
}

}  // namespace
}  // namespace sondaro::test
