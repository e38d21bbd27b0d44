// The text a scrape returns: readings without a value left out, RDS texts
// as UTF-8 labels escaped for the format, and the published copy being what
// is served.
#include <gtest/gtest.h>

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
