// The bandscan charts on a recording canvas, the chart-driven frequency
// selection, "Text Result", the station placeholders and the settings.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/app.h"
#include "measure/bandscan.h"
#include "measure/chart/color.h"
#include "support/link_fixture.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using chart::ToRGB;
using test::RecordingCanvas;

// Pixels of a frequency and a level in a bandscan plot (87.5..108 MHz, 0..100).
int PixelX(const chart::PixelRect& p, double mhz) {
  return static_cast<int>(std::lround(p.Left + (mhz - 87.5) / 20.5 * (p.Right - p.Left)));
}
int PixelY(const chart::PixelRect& p, double level) {
  return static_cast<int>(std::lround(p.Bottom - level / 100 * (p.Bottom - p.Top)));
}

class BandscanChartTest : public test::LinkFixture {
 protected:
  BandscanChartTest() {
    for (int i = 0; i < kScanChannels; ++i) b.DisplayLevel[i] = 20 + i % 50;
    b.StationList = {{0, 60, 30, "D301", "RADIO 1 "},
                     {100, 70, 40, "D3C4", "JAZZ FM "},
                     {150, 95, 40, "D3A6", ""},
                     {205, 50, 40, "D3A9", "TOP     "}};
    b.BandscanAcquiredText = "2024-01-15 12:00:00";
  }
  void DrawBand(int style) {
    canvas.Clear();
    b.Style = style;
    b.VymalujBAND(chart::kTargetPaint, canvas);
  }
  void DrawExtended(int style, RecordingCanvas& on) {
    on.Clear();
    b.Style = style;
    b.VymalujEBND(chart::kTargetPaint, on);
  }
  int FillsOf(Color c) const {
    return static_cast<int>(std::count_if(canvas.Fills.begin(), canvas.Fills.end(),
                                          [c](const auto& f) { return f.Fill == c; }));
  }
  // Pen colour and width of the polylines of the curve (411 points).
  std::vector<std::pair<Color, int>> CurveLines(const RecordingCanvas& on) const {
    std::vector<std::pair<Color, int>> lines;
    for (const auto& l : on.Lines)
      if (l.Points.size() == 411) lines.emplace_back(l.Pen, l.Width);
    return lines;
  }

  SilentDialogs dialogs;
  ModeTuning tuning{timers, view, link.state, link.readouts, link.queue, dialogs};
  Bandscan b{timers, view, status, link, tuning};
  RecordingCanvas canvas{Bandscan::kChartWidth, Bandscan::kChartHeight};
};

TEST(BandscanLabels, LabelSpaceTextAndTopInset) {
  EXPECT_EQ(ComputeLabelSpace(true, true, true), 129);
  EXPECT_EQ(ComputeLabelSpace(false, false, true), 59);
  EXPECT_EQ(ComputeLabelSpace(true, false, false), 26);
  EXPECT_EQ(ComputeLabelSpace(true, true, false), 63);
  EXPECT_EQ(ComputeLabelSpace(false, false, false), 0);

  const TStationList withPs{10, 50, 40, "D301", "RADIO 1 "}, noPs{10, 50, 40, "D3A6", ""};
  auto show = [](bool f, bool pi, bool ps) { return ExtendedBandscanSettings{f, pi, ps}; };
  EXPECT_EQ(StationLabel(withPs, show(true, true, true)), "88.5   D301  RADIO 1 ");
  EXPECT_EQ(StationLabel(withPs, show(true, false, false)), "88.5");
  EXPECT_EQ(StationLabel(withPs, show(false, true, false)), "D301");
  EXPECT_EQ(StationLabel(noPs, show(false, false, true)), "D3A6");  // PI stands in
  EXPECT_EQ(StationLabel(noPs, show(true, true, true)), "88.5   D3A6  ");
  EXPECT_EQ(StationLabel(noPs, show(false, false, false)), "");

  EXPECT_EQ(ExtendedTopInset(288, 129, 0), 10);     // no stations: raised to 10
  EXPECT_EQ(ExtendedTopInset(600, 129, 100), 139);  // cut to 139
  EXPECT_LE(ExtendedTopInset(150, 129, 100), 100);  // H - 50
  EXPECT_EQ(ExtendedTopInset(150, 129, 100), 100);
  // R = 288 - 129 - 42 = 117; 117 + 129 - 117 * 100 / 72 = 83.5 -> 83 + 12.
  EXPECT_EQ(ExtendedTopInset(288, 129, 70), 95);
}

TEST(BandscanCurve, MidpointsLeanToTheStrongerChannelAndTheAreaCloses) {
  ChannelLevels d{};
  d[10] = 40;
  d[11] = 20;
  const auto curve = BuildBandscanCurve(d);
  ASSERT_EQ(curve.size(), 411u);
  EXPECT_DOUBLE_EQ(curve[20].X, 88.5);
  EXPECT_EQ(curve[20].Y, 40);
  EXPECT_DOUBLE_EQ(curve[21].X, 88.55);
  EXPECT_EQ(curve[21].Y, 35);  // 20 + 0.75 * 20
  EXPECT_EQ(curve[19].Y, 30);  // 0 + 0.75 * 40
  EXPECT_DOUBLE_EQ(curve[410].X, 108.0);
  const auto area = BuildBandscanArea(curve);
  ASSERT_EQ(area.size(), 413u);
  EXPECT_DOUBLE_EQ(area[21].X, 87.5 + 21 * 0.05);
  EXPECT_EQ(area[21].Y, 35);
  EXPECT_EQ(area[411], (chart::PointD{108.0, 0}));
  EXPECT_EQ(area[412], (chart::PointD{87.5, 0}));
}

TEST_F(BandscanChartTest, BandsTextsAndUnit) {
  DrawBand(4);
  EXPECT_EQ(ToRGB(0.33, 1.0, 0.91), MakeColor(210, 255, 209));
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(FillsOf(ToRGB(0.33, 1.0, 0.9 + i / 100.0)), 1) << i;
  EXPECT_EQ(ToRGB(0.33, 1.0, 1.0), kWhite);  // the top band
  EXPECT_EQ(FillsOf(kWhite), 2);              // and the background
  const auto* acquired = canvas.FindText("Acquired: 2024-01-15 12:00:00");
  ASSERT_NE(acquired, nullptr);
  EXPECT_EQ(acquired->X, 4);
  EXPECT_EQ(acquired->Y, Bandscan::kChartHeight - 4);
  EXPECT_EQ(acquired->Options.V, VAlign::Bottom);
  EXPECT_NE(canvas.FindText("Signal [dB]"), nullptr);
  EXPECT_NE(canvas.FindText("Frequency [MHz]"), nullptr);
  link.state.LevelInDbuv = true;
  DrawBand(4);
  EXPECT_NE(canvas.FindText("Signal [dBuV]"), nullptr);
  const auto& plot = b.BandChart.Plots().at(0).Plot;
  EXPECT_EQ(plot.Left, 40);
  EXPECT_EQ(plot.Top, 10);
  EXPECT_EQ(plot.Right, Bandscan::kChartWidth - 1 - 15);
  EXPECT_EQ(plot.Bottom, Bandscan::kChartHeight - 1 - 52);
  // The cursor reads the curve's points.
  EXPECT_EQ(b.BandChart.Plots()[0].CursorData.size(), 411u);
}

TEST_F(BandscanChartTest, EachStyleDrawsItsColours) {
  const Color grey = ToRGB(0, 0, 0.7);
  const Color thin = ToRGB(0.6667, 0.4, 0.6);
  // Width of the per-point bars: every fill but the background, the bands
  // and the thin bars.
  auto perPointWidth = [this, thin] {
    int sum = 0;
    for (const auto& f : canvas.Fills) {
      bool other = f.Fill == kWhite || f.Fill == thin;
      for (int i = 1; i <= 10; ++i) other = other || f.Fill == ToRGB(0.33, 1.0, 0.9 + i / 100.0);
      if (!other) sum += f.W;
    }
    return sum;
  };
  DrawBand(0);
  // The thin bars (0.02 MHz, under a pixel) lie under the per-point ones.
  EXPECT_GT(FillsOf(thin), 0);
  // Darker where stronger: channels 49, 99, 149 and 199 read 69.
  EXPECT_GE(FillsOf(ToRGB(0.6667, 0.4, 0.5 - 0.2 * 69 / 100)), 4);
  EXPECT_EQ(FillsOf(ToRGB(0.6667, 0.4, 0.5 - 0.2 * 100 / 100)), 0);
  const double narrow = perPointWidth();
  DrawBand(1);
  EXPECT_NEAR(perPointWidth() / narrow, 0.11 / 0.0682, 0.3);

  for (int style : {2, 3}) {
    DrawBand(style);
    ASSERT_EQ(canvas.Polygons.size(), 1u) << style;
    EXPECT_EQ(canvas.Polygons[0].Points.size(), 413u);
    EXPECT_EQ(canvas.Polygons[0].Pen, style == 2 ? ToRGB(0.67, 0.5, 0.2) : kBlack);
    EXPECT_EQ(CurveLines(canvas),
              (std::vector<std::pair<Color, int>>{{style == 2 ? ToRGB(0.67, 0.4, 0.7) : grey, 2}}));
  }
  DrawBand(4);
  EXPECT_EQ(CurveLines(canvas), (std::vector<std::pair<Color, int>>{{grey, 2}, {kBlack, 1}}));
  EXPECT_TRUE(canvas.Polygons.empty());
  DrawBand(5);
  EXPECT_EQ(CurveLines(canvas), (std::vector<std::pair<Color, int>>{{grey, 3}, {kBlack, 2}}));

  RecordingCanvas ext(800, 288);
  DrawExtended(2, ext);
  EXPECT_EQ(CurveLines(ext), (std::vector<std::pair<Color, int>>{{ToRGB(0.67, 0.4, 0.75), 2}}));
}

TEST_F(BandscanChartTest, ExtendedLabelsStandAboveTheirStations) {
  RecordingCanvas ext(800, 288);
  b.CBSClick();
  DrawExtended(4, ext);
  const auto& rec = b.ExtendedChart.Plots().at(0);
  EXPECT_EQ(rec.Plot.Top, ExtendedTopInset(288, 129, 95));
  EXPECT_EQ(rec.Plot.Bottom, 288 - 1 - 38);
  std::vector<const RecordingCanvas::TextCall*> labels;
  for (const auto& t : ext.Texts)
    if (t.Options.Rotate90 && t.Text.find("D3") != std::string::npos) labels.push_back(&t);
  // None at 87.5 or 108.0 MHz; the stronger station's first.
  ASSERT_EQ(labels.size(), 2u);
  std::swap(labels[0], labels[1]);
  EXPECT_EQ(labels[0]->Text, "97.5   D3C4  JAZZ FM ");
  EXPECT_EQ(labels[1]->Text, "102.5   D3A6  ");
  EXPECT_FALSE(labels[0]->Options.Bold);
  // Starts at Signal + 2 (at most 100) and reads upwards from there.
  EXPECT_EQ(labels[0]->X, PixelX(rec.Plot, 97.5));
  EXPECT_EQ(labels[0]->Y + 6 * static_cast<int>(labels[0]->Text.size()) / 2, PixelY(rec.Plot, 72));
  EXPECT_EQ(labels[1]->Y + 6 * static_cast<int>(labels[1]->Text.size()) / 2, PixelY(rec.Plot, 97));
  const auto* acquired = ext.FindText("Acquired: ");
  ASSERT_NE(acquired, nullptr);
  EXPECT_EQ(acquired->Y, 284);

  b.Grid = true;
  b.Extended.ShowFreq = false;
  b.Extended.ShowPI = false;
  b.CBSClick();
  EXPECT_EQ(b.LabelSpace(), 59);
  DrawExtended(4, ext);
  const auto* piOnly = ext.FindText("D3A6");  // no PS: its PI stands in
  ASSERT_NE(piOnly, nullptr);
  EXPECT_TRUE(piOnly->Options.Bold);
  // Bold labels are placed by their bold width, so they too start at the anchor.
  const auto& grid = b.ExtendedChart.Plots().at(0);
  EXPECT_EQ(piOnly->Y + ext.TextWidth("D3A6", true) / 2, PixelY(grid.Plot, 97));
  EXPECT_NE(ext.FindText("JAZZ FM "), nullptr);
}

TEST_F(BandscanChartTest, PointingAtAChannelSelectsItsFrequency) {
  tuning.BuildFrequencyList(false);
  tuning.SelectFrequency(3);
  DrawBand(4);
  const auto& rec = b.BandChart.Plots().at(0);
  auto xOf = [&rec](double mhz) { return PixelX(rec.Plot, mhz); };
  const int y = (rec.Plot.Top + rec.Plot.Bottom) / 2;
  b.BandChart.MouseDown(xOf(98.5), y, {});
  b.SelectFrequencyAt(b.BandChart);
  EXPECT_EQ(tuning.FrequencyIndex(), 110);
  b.BandChart.MouseMove(xOf(98.55), y);  // a midpoint selects nothing
  b.SelectFrequencyAt(b.BandChart);
  EXPECT_EQ(tuning.FrequencyIndex(), 110);
  b.BandChart.MouseMove(xOf(100.0), y);
  b.SelectFrequencyAt(b.BandChart);
  EXPECT_EQ(tuning.FrequencyIndex(), 125);
  b.BandChart.MouseUp(xOf(100.0), y, {});

  // With the 50 kHz step every point is an entry.
  tuning.BuildFrequencyList(true);
  b.BandChart.MouseDown(xOf(98.55), y, {});
  b.SelectFrequencyAt(b.BandChart);
  EXPECT_EQ(tuning.FrequencyIndex(), 221);
  EXPECT_EQ(tuning.FrequencyText(), "98.55 MHz");
}

TEST_F(BandscanChartTest, TextResultAndStationDetail) {
  bool shown = false;
  b.hooks.ShowLogWindow = [&shown] { shown = true; };
  b.GradBtn23Click();
  EXPECT_TRUE(shown);
  EXPECT_EQ(b.LogWindowText,
            "Freq.\tLevel\tNoise\tRDS PI\tRDS PS\r\n"
            "87.5\t60\t30\tD301\tRADIO 1 \r\n"
            "97.5\t70\t40\tD3C4\tJAZZ FM \r\n"
            "102.5\t95\t40\tD3A6\t\r\n"
            "108.0\t50\t40\tD3A9\tTOP     \r\n"
            "Total stations: 4");
  EXPECT_EQ(b.GetStationDetail(0, 2), "97.5");
  EXPECT_EQ(b.GetStationDetail(1, 2), "70");
  EXPECT_EQ(b.GetStationDetail(2, 2), "40");
  EXPECT_EQ(b.GetStationDetail(3, 2), "D3C4");
  EXPECT_EQ(b.GetStationDetail(4, 2), "JAZZ FM ");
  EXPECT_EQ(b.GetStationDetail(0, 0), "");
  EXPECT_EQ(b.GetStationDetail(0, 5), "");

  b.StationList.clear();
  b.GradBtn23Click();
  EXPECT_EQ(b.LogWindowText, "Freq.\tLevel\tNoise\tRDS PI\tRDS PS\r\nTotal stations: 0");
}

TEST(BandscanSettings, LoadedAtStartAndWrittenAtClose) {
  test::TempDir dir;
  std::ofstream(dir / "kaveli.ini", std::ios::binary)
      << "[General]\r\nScanRDS=1\r\nBandscanStyle=9\r\nBandscanGrid=1\r\n"
         "[Bandscan]\r\nMaxSignal=80\r\nAcquired=2024-01-01 10:00:00\r\nF3=44\r\n"
         "StationCount=2\r\nChannel1=12\r\nSignal1=50\r\nNoise1=30\r\nPI1=D301\r\nPS1=RADIO 1\r\n"
         "Channel2=40\r\nSignal2=33\r\nShowPI=0\r\nLock=1\r\nWidth=1000\r\nHeight=400\r\n";
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  AppPorts ports{.clock = clock, .serial = serial, .tcp = tcp, .dialogs = dialogs,
                 .appFolder = dir.Path(), .userConfigFolder = dir / "user/"};
  {
    App app(ports);
    app.LoadSettings();
    const Bandscan& b = app.bandscan;
    EXPECT_TRUE(b.ScanRDS);
    EXPECT_EQ(b.Style, 5);  // the slider's last position
    EXPECT_TRUE(b.Grid);
    EXPECT_EQ(b.MaxSignal, 80);
    EXPECT_EQ(b.BandscanAcquiredText, "2024-01-01 10:00:00");
    EXPECT_EQ(b.DisplayLevel[3], 44);
    ASSERT_EQ(b.StationList.size(), 2u);
    EXPECT_EQ(b.StationList[0], (TStationList{12, 50, 30, "D301", "RADIO 1"}));
    EXPECT_EQ(b.StationList[1], (TStationList{40, 33, 999, "", ""}));
    EXPECT_FALSE(b.Extended.ShowPI);
    EXPECT_TRUE(b.Extended.Lock);
    EXPECT_EQ(b.Extended.Width, 1000);
    EXPECT_EQ(b.LabelSpace(), 26 + 10 + 59);
    app.bandscan.StationList.resize(1);
    app.bandscan.StationList[0].PS = "NEW";
    app.bandscan.TrackBar1Change(2);
    app.bandscan.SetMaxSignal(200);
    app.Close();
  }
  const std::string ini = test::ReadFile(dir / "kaveli.ini");
  for (const char* line : {"BandscanStyle=2\r\n", "MaxSignal=120\r\n", "StationCount=1\r\n",
                           "PS1=NEW\r\n", "F3=44\r\n", "ShowPI=0\r\n", "ScanRDS=1\r\n"})
    EXPECT_NE(ini.find(line), std::string::npos) << line << ini;
}

}  // namespace
}  // namespace sondaro
