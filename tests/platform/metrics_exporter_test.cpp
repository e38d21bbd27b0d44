// The text a scrape returns: readings without a value left out, RDS texts
// as UTF-8 labels escaped for the format, and the published copy being what
// is served.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "platform/metrics_exporter.h"

namespace sondaro {
namespace {

TEST(MetricsText, AbsentReadingsAndEscapedLabels) {
  MonitorSnapshot s;
  s.Pi = "D301";
  s.Ps = "\"A\\B\xe9\"";
  s.Pty = "10 (Pop M)";
  s.Rt = "line\nnext\rend";
  s.BlockErrorRatio60s = 0.125;
  const std::string text = MetricsText(s);
  EXPECT_NE(text.find("sondaro_rds_info{pi=\"D301\",ps=\"\\\"A\\\\B\xc3\xa9\\\"\",pty=\"10 (Pop M)\","
                      "rt=\"line\\nnext.end\"} 1\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("sondaro_rds_block_error_ratio{window=\"60s\"} 0.125\n"), std::string::npos);
  EXPECT_EQ(text.find("window=\"10s\""), std::string::npos) << "no groups in the last 10 s";
  EXPECT_EQ(text.find("sondaro_tuned_frequency_hertz"), std::string::npos);
  EXPECT_EQ(text.find("sondaro_signal_level"), std::string::npos);
  EXPECT_NE(text.find("sondaro_link_connected 0\n"), std::string::npos);

  s.FrequencyHz = 98.5e6;
  s.Level = 54;
  s.LevelInDbuv = true;
  const std::string tuned = MetricsText(s);
  EXPECT_NE(tuned.find("sondaro_tuned_frequency_hertz 98500000\n"), std::string::npos) << tuned;
  EXPECT_NE(tuned.find("sondaro_signal_level_dbuv 54\n"), std::string::npos);
  EXPECT_EQ(tuned.find("sondaro_signal_level_raw"), std::string::npos);
}

TEST(MetricsText, NewReadingsAndBuildInfo) {
  MonitorSnapshot s;
  s.Version = "1.2";
  s.BandscanStations = 7;
  const std::string bare = MetricsText(s);
  EXPECT_NE(bare.find("sondaro_build_info{version=\"1.2\"} 1\n"), std::string::npos) << bare;
  EXPECT_NE(bare.find("sondaro_bandscan_stations 7\n"), std::string::npos);
  for (const char* absent : {"sondaro_carrier_offset_hertz", "sondaro_mpx_", "_timestamp_seconds"})
    EXPECT_EQ(bare.find(absent), std::string::npos) << absent;

  s.CarrierOffsetHz = -1250;
  s.MpxPeakRightDb = -3.5;
  s.PilotPhaseRadians = 1.5;
  s.BandscanFinishedSeconds = 1.8e9;
  const std::string text = MetricsText(s);
  for (const char* line :
       {"sondaro_carrier_offset_hertz -1250\n", "sondaro_mpx_peak_level_decibels{channel=\"right\"} -3.5\n",
        "sondaro_mpx_pilot_phase_radians 1.5\n",
        "sondaro_bandscan_last_finished_timestamp_seconds 1800000000\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  EXPECT_EQ(text.find("channel=\"left\""), std::string::npos);
}

// Every family with a value, through Prometheus's own linter.
TEST(MetricsText, EveryFamilyPassesPromtool) {
  if (::access("/usr/bin/promtool", X_OK) != 0) GTEST_SKIP() << "needs promtool (package prometheus)";
  MonitorSnapshot s;
  s.FrequencyHz = 98.5e6;
  s.Level = 54;
  s.LevelInDbuv = true;
  s.SignalQuality = 4;
  s.PilotHz = s.RdsInjectionHz = s.PeakDeviationHz = 1;
  s.PmLastDbr = s.PmAverageDbr = s.AboveLimitRatio = 0.5;
  s.BlockErrorRatio10s = s.BlockErrorRatio60s = 0.1;
  s.CarrierOffsetHz = s.MpxPeakLeftDb = s.MpxPeakRightDb = s.PilotPhaseRadians = 1;
  s.BandscanFinishedSeconds = 1.8e9;
  s.Pi = "D301";
  const std::string path = ::testing::TempDir() + "/sondaro-metrics-lint.txt";
  { std::ofstream(path) << MetricsText(s); }
  FILE* pipe = ::popen(("/usr/bin/promtool check metrics < '" + path + "' 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string said;
  char buffer[512];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) said.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << said;
  EXPECT_EQ(said, "");
  std::remove(path.c_str());
}

TEST(MetricsExporter, ServesTheLastPublishedCopy) {
  MetricsExporter exporter;
  EXPECT_EQ(exporter.Latest(), nullptr);
  MonitorSnapshot s;
  s.RdsGroups = 7;
  exporter.Publish(s);
  s.RdsGroups = 8;
  EXPECT_EQ(exporter.Latest()->RdsGroups, 7);
  std::string error;
  EXPECT_FALSE(exporter.Start("not an address", 1, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(exporter.Listening());
}

}  // namespace
}  // namespace sondaro
