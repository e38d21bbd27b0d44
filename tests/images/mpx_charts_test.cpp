// The MPX and RF charts of the simulated test-tone station (pilot 6.75 kHz,
// RDS 4 kHz, 1 kHz left, 3 kHz right) saved as images and read back: the
// tones on the left (blue) and right (red) traces, the RDS hump, the carrier
// at 0 dB under the mask with the histogram over it.
//
// SONDARO_KEEP_IMAGES=<folder> also leaves PNG copies of the charts there.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "gui_app.h"
#include "platform/qpainter_canvas.h"
#include "sim/sim_link.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

constexpr Color kBlue = MakeColor(0, 0, 255), kRed = MakeColor(255, 0, 0);

class MpxChartsTest : public ::testing::Test {
 protected:
  MpxChartsTest() {
    test::Gui();
    ports.Attach(app.timers);
  }
  ~MpxChartsTest() override { ports.Detach(); }
  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  QImage Save(ChartTag tag, const std::string& name) {
    app.images.UlozObrazek(tag, dir / name);
    QImage image(QString::fromStdString(dir / name));
    if (const QByteArray keep = qgetenv("SONDARO_KEEP_IMAGES"); !keep.isEmpty())
      image.save(QString::fromUtf8(keep) + "/sim-" + QString::fromStdString(name) + ".png");
    return image;
  }
  // Pixels of colour c in the rectangle.
  static int Count(const QImage& image, Color c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += test::PixelOf(image, x, y) == c;
    return n;
  }

  test::TempDir dir;
  VirtualClock clock;
  test::SaveDialogs dialogs;
  QImageCanvas bitmap;
  sim::SimulatedAnalyzerPorts ports{clock};
  App app{AppPorts{.clock = clock,
                   .serial = ports.Serial(),
                   .tcp = ports.Tcp(),
                   .dialogs = dialogs,
                   .appFolder = dir.Path(),
                   .userConfigFolder = dir / "user/",
                   .bitmap = &bitmap}};
};

TEST_F(MpxChartsTest, TestToneStationOnTheMpxAndRfCharts) {
  app.tuning.BuildFrequencyList(false);
  app.link.connection.Settings.RGCON = 0;
  app.link.connection.BitBtn2Click();
  Advance(1500);
  const auto& list = app.tuning.FrequencyList();
  const auto it = std::find_if(list.begin(), list.end(),
                               [](const std::string& s) { return s.rfind("98.50", 0) == 0; });
  ASSERT_NE(it, list.end());
  app.tuning.SelectFrequency(static_cast<int>(it - list.begin()));
  app.tuning.IAeverButton19Click();  // "Tune"
  Advance(5000);
  app.mpx.rf.Mask = app.mpx.rf.Histogram = true;
  app.mpx.GradBtn47Click();  // "Run"
  Advance(8000);
  app.mpx.GradBtn49Click();  // "Stop"
  Advance(2000);

  const MpxCapture& c = app.mpx.capture;
  ASSERT_GE(c.SpectrumCount, 5);
  EXPECT_GE(app.link.state.PilotKHz, 6);  // the pilot gauge in its good band
  EXPECT_LE(app.link.state.PilotKHz, 7.5);
  EXPECT_GT(c.PilotAmplitude, kStereoPilotThreshold);
  // RDS: the band around 57 kHz stands above the empty one below it.
  const auto& row = c.SpectrumHistory[0];
  EXPECT_GT(*std::max_element(row.begin() + 74, row.begin() + 82),
            *std::max_element(row.begin() + 58, row.begin() + 66) + 6);
  // Left 1 kHz and right 3 kHz: the right trace crosses zero about three
  // times as often.
  auto crossings = [](const MpxTrace& t) {
    int n = 0;
    for (std::size_t i = 1; i < t.size(); ++i) n += (t[i - 1].Y < 0) != (t[i].Y < 0);
    return n;
  };
  EXPECT_LE(crossings(c.LeftTrace), 4);
  EXPECT_GE(crossings(c.RightTrace), 5);

  const QImage mpx = Save(ChartTag::MPX, "mpx.bmp");
  ASSERT_EQ(mpx.size(), QSize(529, 260));
  // Audio panel: 47..88 % across, the upper 45 %.
  EXPECT_GT(Count(mpx, kBlue, 249, 0, 465, 116), 100);
  EXPECT_GT(Count(mpx, kRed, 249, 0, 465, 116), 100);
  // Levels: a blue and a red bar.
  EXPECT_GT(Count(mpx, kBlue, 466, 0, 528, 116), 50);
  EXPECT_GT(Count(mpx, kRed, 466, 0, 528, 116), 50);

  const QImage rf = Save(ChartTag::RF, "rf.bmp");
  ASSERT_EQ(rf.size(), QSize(521, 233));
  EXPECT_GT(Count(rf, kRed, 43, 10, 478, 190), 100);  // the histogram
  // The modulated carrier spreads within the mask: its strongest bins near
  // the centre, a few dB under the level of an unmodulated carrier.
  const auto& spectrum = app.mpx.rf.CarrierSpectrum;
  const auto top = std::max_element(spectrum.begin(), spectrum.end());
  EXPECT_GT(*top - RfCarrier::kCarrierLevelDb, -20);
  EXPECT_LT(std::abs((top - spectrum.begin() + 1) * RfCarrier::kBinKHz - 172.87), 60);
}

}  // namespace
}  // namespace sondaro
