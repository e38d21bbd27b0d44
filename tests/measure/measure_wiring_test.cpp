// The stores inside the App: replies from the analyzer reach them, a new
// station clears them, and their settings come from and go to kaveli.ini.
#include <gtest/gtest.h>

#include "app/app.h"
#include "support/app_fixture.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

// "Histogram Data" body: 122 lines of "%3d kHz%5d".
std::string HistogramSection(const HistogramCounts& c) {
  std::string s = "Histogram Data:\r\n";
  for (int i = 0; i < kHistogramBins; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "%3d kHz%5d\r\n", i, c[i]);
    s += line;
  }
  return s + "\r\n";
}

class WiringTest : public test::AppFixture {};

TEST_F(WiringTest, RepliesReachTheStoresAndANewStationClearsThem) {
  ConnectSerial();
  Receive("Frequency:\r\n 98.50 MHz\r\n\r\n");
  HistogramCounts c{};
  c[60] = 1200;
  c[80] = 20;
  Receive(HistogramSection(c));
  EXPECT_EQ(app.deviation.Bins, c);
  EXPECT_EQ(app.deviation.TotalTimeText, "Total time: 0:01:01");
  Receive("Pm:\r\n -3.5 dBr\r\n\r\nPm:\r\n     \r\n\r\n");
  EXPECT_EQ(app.power.PmHistory, std::vector<float>{-3.5f});  // the empty one is no value

  // Clears run first, power before deviation, ahead of the other stores.
  std::vector<std::string> order;
  app.link.parser.hooks.FrequencyChangeClears.push_back([&] {
    order.push_back("later");
    EXPECT_TRUE(app.power.PmHistory.empty());
    EXPECT_EQ(app.deviation.TotalSamples, 0);
  });
  Receive("Frequency:\r\n 98.50 MHz\r\n\r\n");  // same station: nothing cleared
  EXPECT_EQ(app.power.PmHistory.size(), 1u);
  Receive("Frequency:\r\n101.30 MHz\r\n\r\n");
  EXPECT_EQ(order, std::vector<std::string>{"later"});
  EXPECT_EQ(app.link.readouts.Label15, "kHz");
  EXPECT_EQ(app.power.LastValueText, ModulationPower::kClearedLastValue);
}

TEST_F(WiringTest, RunPutsTheAnalyzerIntoMeasuringModeFirst) {
  ConnectSerial();
  app.tuning.SetMode(1);
  app.power.BitBtn14Click();
  Advance(3000);
  std::string written;
  for (const auto& w : serial.Written) written += w;
  const auto measuring = written.find("*E"), stream = written.find("*P");
  ASSERT_NE(measuring, std::string::npos) << written;
  ASSERT_NE(stream, std::string::npos) << written;
  EXPECT_LT(measuring, stream);
}

TEST(MeasureSettings, LoadedAtStartAndWrittenAtClose) {
  test::TempDir dir;
  {
    std::ofstream(dir / "kaveli.ini", std::ios::binary)
        << "[General]\r\nDeviationLimit=90\r\nHistogram=0\r\nSD1Dir=/pics/\r\n"
           "SD2Dir=/data/\r\n[Bandscan]\r\nBitmapWidth=1000\r\nBitmapHeight=400\r\n";
  }
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  AppPorts ports{.clock = clock,
                 .serial = serial,
                 .tcp = tcp,
                 .dialogs = dialogs,
                 .appFolder = dir.Path(),
                 .userConfigFolder = dir / "user/"};
  {
    App app(ports);
    app.LoadSettings();
    EXPECT_EQ(app.deviation.DeviationLimit, 90);
    EXPECT_EQ(app.deviation.AboveThresholdKHz, 91);  // the spin box's change handler ran
    EXPECT_FALSE(app.deviation.ShowHistogram);
    EXPECT_EQ(app.images.SD1Dir, "/pics/");
    EXPECT_EQ(app.dataFiles.SD2Dir, "/data/");
    EXPECT_EQ(app.images.SizeOf(ChartTag::EBND), (std::pair{1000, 400}));
    app.deviation.SetDeviationLimit(105);
    app.deviation.IAeverButton30Click();
    app.images.SD1Dir = "/elsewhere/";
    app.Close();
  }
  const std::string ini = test::ReadFile(dir / "kaveli.ini");
  EXPECT_NE(ini.find("DeviationLimit=105\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Histogram=1\r\n"), std::string::npos);
  EXPECT_NE(ini.find("SD1Dir=/elsewhere/\r\n"), std::string::npos);

  // A missing key gives 76, so the threshold starts at 77.
  test::TempDir empty;
  ports.appFolder = empty.Path();
  App fresh(ports);
  fresh.LoadSettings();
  EXPECT_EQ(fresh.deviation.DeviationLimit, 76);
  EXPECT_EQ(fresh.deviation.AboveThresholdKHz, 77);
  EXPECT_TRUE(fresh.deviation.ShowHistogram);
  EXPECT_EQ(fresh.images.SD1Dir, empty.Path());
}

}  // namespace
}  // namespace sondaro
