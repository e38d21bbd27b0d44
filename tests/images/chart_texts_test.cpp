// The texts of every chart, boxed as the installed chart face measures them:
// with the longest dates and values no text runs into another or into the
// chart's frame.
#include <gtest/gtest.h>

#include <sstream>

#include "app/app.h"
#include "core/formats.h"
#include "gui_app.h"
#include "platform/qpainter_canvas.h"
#include "support/fakes.h"

namespace sondaro {
namespace {

// Draws with QPainter and keeps the box of every text.
class BoxingCanvas final : public BitmapCanvas {
 public:
  struct Boxed {
    std::string Text;
    TextBox Box;
  };
  BoxingCanvas(int w, int h) : inner_(w, h) {}
  int Width() const override { return inner_.Width(); }
  int Height() const override { return inner_.Height(); }
  void SetPen(Color c, int w) override { inner_.SetPen(c, w); }
  void FillRect(int x, int y, int w, int h, Color c) override { inner_.FillRect(x, y, w, h, c); }
  void Line(int x1, int y1, int x2, int y2) override { inner_.Line(x1, y1, x2, y2); }
  void Polyline(std::span<const PixelPoint> p) override { inner_.Polyline(p); }
  void Polygon(std::span<const PixelPoint> p, Color c) override { inner_.Polygon(p, c); }
  void Text(int x, int y, std::string_view text, const TextOptions& o) override {
    texts.push_back({std::string(text), TextBounds(inner_, x, y, text, o)});
    inner_.Text(x, y, text, o);
  }
  void SetClip(int x, int y, int w, int h) override { inner_.SetClip(x, y, w, h); }
  void ResetClip() override { inner_.ResetClip(); }
  int TextWidth(std::string_view t, bool bold) const override { return inner_.TextWidth(t, bold); }
  int TextHeight() const override { return inner_.TextHeight(); }
  void Resize(int w, int h) override { inner_.Resize(w, h); }
  RgbImage Pixels() override { return inner_.Pixels(); }

  std::vector<Boxed> texts;

 private:
  QImageCanvas inner_;
};

std::string Describe(const BoxingCanvas::Boxed& t) {
  std::ostringstream s;
  s << '"' << t.Text << "\" [" << t.Box.Left << ".." << t.Box.Right << ") x [" << t.Box.Top
    << ".." << t.Box.Bottom << ")";
  return s.str();
}

// Every pair of texts apart, every text inside the frame (which is the
// outermost pixel row and column). An axis drawn twice (the bandscan's grid
// over its bands) writes the same texts in the same places again.
void ExpectTextsApart(const BoxingCanvas& canvas, const std::string& chart) {
  const auto& t = canvas.texts;
  ASSERT_FALSE(t.empty()) << chart;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const TextBox& b = t[i].Box;
    EXPECT_TRUE(b.Left >= 1 && b.Top >= 1 && b.Right <= canvas.Width() - 1 &&
                b.Bottom <= canvas.Height() - 1)
        << chart << ": " << Describe(t[i]) << " runs into the frame";
    for (std::size_t j = i + 1; j < t.size(); ++j)
      EXPECT_FALSE(b.Overlaps(t[j].Box) && (b != t[j].Box || t[i].Text != t[j].Text))
          << chart << ": " << Describe(t[i]) << " runs into " << Describe(t[j]);
  }
}

class ChartTextsTest : public ::testing::Test {
 protected:
  ChartTextsTest() {
    test::Gui();
    UseStartFormats();
    // Every digit of the face is as wide as any other, so any two-digit
    // day and hour give the longest date and time.
    longest = DateTimeToStr(JoinWall(2026, 12, 31, 23, 59, 59));

    // Every bin as full as the five digits of the reply allow, the most in
    // the top one, and a limit of 100 kHz.
    app.deviation.SetDeviationLimit(110);
    HistogramCounts bins{};
    bins.fill(99998);
    bins[120] = 99999;
    app.deviation.StoreHistogram(bins);
    app.deviation.AcquiredText = longest;

    // Two-digit negative readings of modulation power.
    for (int i = 0; i < 30; ++i) app.power.StorePmValue(i % 2 ? -18.76f : -23.47f);
    app.power.LastValueText = "Last value: -18.8 dBr (at " + longest + ")";

    app.mpx.MpxCaptureTime = longest;
    app.mpx.rf.RfCaptureTime = longest;
    app.mpx.rf.Mask = app.mpx.rf.Histogram = true;
    app.link.state.PilotKHz = 12.3f;
    app.link.state.RdsDeviationKHz = -1;
    app.link.state.PhaseDeg = -45;

    Bandscan& b = app.bandscan;
    b.BandscanAcquiredText = longest;
    app.link.state.LevelInDbuv = true;  // "Signal [dBuV]", the longer title
    for (int i = 0; i < kScanChannels; ++i) b.DisplayLevel[i] = 12 + (i * 37) % 88;
    // Labels with every part shown, the widest characters in PI and PS.
    b.StationList = {{5, 100, 30, "DDDD", "WWWWWWWW"},
                     {105, 97, 40, "D3C4", "MMMMMMMM"},
                     {200, 100, 35, "WWWW", "WWWWWWWW"}};
    b.Grid = true;  // bold labels
    b.CBSClick();
  }

  template <typename Draw>
  void Check(const std::string& chart, int w, int h, Draw draw) {
    BoxingCanvas canvas(w, h);
    draw(canvas);
    ExpectTextsApart(canvas, chart);
  }

  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
  App app{AppPorts{.clock = clock, .serial = serial, .tcp = tcp, .dialogs = dialogs}};
#pragma GCC diagnostic pop
  std::string longest;
};

TEST_F(ChartTextsTest, NoTextRunsIntoAnotherAtTheLongestDatesAndValues) {
  using chart::kTargetBitmap;
  Check("DEV", DeviationHistogram::kChartWidth, DeviationHistogram::kChartHeight,
        [&](Canvas& c) { app.deviation.VymalujDEV(kTargetBitmap, c); });
  app.deviation.ShowHistogram = false;
  Check("DEV accumulated", DeviationHistogram::kChartWidth, DeviationHistogram::kChartHeight,
        [&](Canvas& c) { app.deviation.VymalujDEV(kTargetBitmap, c); });
  Check("PM", ModulationPower::kChartWidth, ModulationPower::kChartHeight,
        [&](Canvas& c) { app.power.VymalujPM(kTargetBitmap, c); });
  Check("RF", RfCarrier::kChartWidth, RfCarrier::kChartHeight,
        [&](Canvas& c) { app.mpx.VymalujRF(kTargetBitmap, c); });
  for (bool dbl : {false, true}) {
    app.mpx.SetDoubleTimeBaseState(dbl);
    Check(dbl ? "MPX double" : "MPX", Mpx::kChartWidth, Mpx::kChartHeight,
          [&](Canvas& c) { app.mpx.VymalujMPX(kTargetBitmap, c); });
  }
  Check("BAND", Bandscan::kChartWidth, Bandscan::kChartHeight,
        [&](Canvas& c) { app.bandscan.VymalujBAND(kTargetBitmap, c); });
  // The extended chart at its default size and at the smallest the window
  // lets it be.
  const std::pair<int, int> sizes[] = {
      {800, 288}, {Bandscan::kMinExtendedChartWidth, Bandscan::kMinExtendedChartHeight}};
  for (auto [w, h] : sizes)
    Check("EBND " + std::to_string(w) + "x" + std::to_string(h), w, h,
          [&](Canvas& c) { app.bandscan.VymalujEBND(kTargetBitmap, c); });
}

// A cleared chart's texts fit where they stand.
TEST_F(ChartTextsTest, TextsThatFitKeepTheirPlaces) {
  app.power.ClearPM();
  BoxingCanvas canvas(ModulationPower::kChartWidth, ModulationPower::kChartHeight);
  app.power.VymalujPM(chart::kTargetBitmap, canvas);
  std::map<std::string, TextBox> at;
  for (const auto& t : canvas.texts) at[t.Text.substr(0, 4)] = t.Box;
  EXPECT_EQ(at["MAX:"].Left, 90);
  EXPECT_EQ(at["MIN:"].Left, 190);
  EXPECT_EQ(at["AVE:"].Left, 285);
  EXPECT_EQ(at["Last"].Right, 605);
  EXPECT_EQ(at["Last"].Top, 183);
}

}  // namespace
}  // namespace sondaro
