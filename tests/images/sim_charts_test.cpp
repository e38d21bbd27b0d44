// End to end against the simulated analyzer: acquire a deviation histogram,
// run modulation power for ten minutes, then save both data files and both
// chart images the way a user does, and read them back.
//
// SONDARO_KEEP_IMAGES=<folder> also leaves PNG copies of the two charts
// there, to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <numeric>

#include "app/app.h"
#include "gui_app.h"
#include "platform/qpainter_canvas.h"
#include "sim/sim_link.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::CountColor;

class SimChartsTest : public ::testing::Test {
 protected:
  SimChartsTest() {
    test::Gui();
    ports.Attach(app.timers);
  }
  ~SimChartsTest() override { ports.Detach(); }
  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }

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

int Lines(const std::string& text) {
  int n = 0;
  for (std::size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++n;
  return n;
}

TEST_F(SimChartsTest, HistogramAndPowerToFilesAndImages) {
  app.link.connection.Settings.RGCON = 0;
  app.link.connection.BitBtn2Click();
  Advance(1500);
  app.tuning.SelectFrequency(1);     // 87.60 MHz, "RADIO 1"
  app.tuning.IAeverButton19Click();  // "Tune"
  Advance(60'000);                   // a minute of deviation samples at the analyzer

  app.deviation.BitBtn12Click();  // "Acquire"
  Advance(3000);
  const DeviationHistogram& dev = app.deviation;
  ASSERT_GT(dev.TotalSamples, 1000);
  EXPECT_EQ(dev.TotalTimeText.rfind("Total time: 0:01:", 0), 0u) << dev.TotalTimeText;
  int highest = 0;  // a programme, not silence: the deviation reaches far
  for (int i = 0; i < kHistogramBins; ++i)
    if (dev.Bins[i] > 0) highest = i;
  EXPECT_GT(highest, 30);
  EXPECT_EQ(app.link.state.FrequencyText.substr(0, 6), " 87.60");

  app.power.BitBtn14Click();  // "Run"
  Advance(10 * 60'000);
  app.power.BitBtn15Click();  // "Stop"
  Advance(3000);
  const std::size_t values = app.power.PmHistory.size();
  EXPECT_GE(values, 590u);
  EXPECT_LE(values, 605u);
  EXPECT_LT(app.power.PmMin, app.power.PmMax);
  Advance(5000);
  EXPECT_EQ(app.power.PmHistory.size(), values);  // the stream stopped

  dialogs.Answer = dir / "histogram.csv";
  app.dataFiles.Histogram2Click();
  dialogs.Answer = dir / "power.csv";
  app.dataFiles.ModulationPower2Click();
  dialogs.Answer = dir / "deviation.bmp";
  app.images.SaveBitmap1Click(0);
  dialogs.Answer = dir / "power.jpg";
  app.images.SaveBitmap1Click(1);

  const std::string histogram = test::ReadFile(dir / "histogram.csv");
  EXPECT_EQ(Lines(histogram), 122);
  long long sum = 0;
  for (std::size_t p = 0; (p = histogram.find(';', p)) != std::string::npos; ++p)
    sum += std::stoll(histogram.substr(p + 1));
  EXPECT_EQ(sum, dev.TotalSamples);
  EXPECT_EQ(Lines(test::ReadFile(dir / "power.csv")), static_cast<int>(values));

  const QImage devImage(QString::fromStdString(dir / "deviation.bmp"));
  const QImage pmImage(QString::fromStdString(dir / "power.jpg"));
  ASSERT_EQ(devImage.size(), QSize(521, 233));
  ASSERT_EQ(pmImage.size(), QSize(609, 201));
  EXPECT_GT(CountColor(devImage, MakeColor(0, 0, 128)), 500);  // the bars
  if (const QByteArray keep = qgetenv("SONDARO_KEEP_IMAGES"); !keep.isEmpty()) {
    devImage.save(QString::fromUtf8(keep) + "/sim-deviation.png");
    pmImage.save(QString::fromUtf8(keep) + "/sim-power.png");
    app.deviation.IAeverButton30Click();
    app.images.UlozObrazek(ChartTag::DEV, dir / "accumulated.bmp");
    QImage(QString::fromStdString(dir / "accumulated.bmp"))
        .save(QString::fromUtf8(keep) + "/sim-accumulated.png");
  }
}

}  // namespace
}  // namespace sondaro
