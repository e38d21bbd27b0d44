// Block error rate of the raw group stream: lost blocks over the last 10 s
// and the last minute.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "core/formats.h"
#include "rds/block_error_rate.h"

namespace sondaro {
namespace {

struct Arrival {
  Millis At;
  const char* Group;
};

TEST(BlockErrorRate, SequencesWithKnownLostBlocks) {
  struct Case {
    const char* name;
    std::vector<Arrival> groups;
    Millis now;
    std::optional<double> rate10, rate60;
  } cases[] = {
      {"nothing received", {}, 5000, std::nullopt, std::nullopt},
      {"clean", {{0, "E220054023852020"}, {88, "E220254044617269"}}, 100, 0.0, 0.0},
      {"one block of four groups",
       {{0, "D3A3E5556E4CD301"}, {88, "----E5556E4CD301"}, {175, "D3A3E5556E4CD301"},
        {263, "D3A3E5556E4CD301"}},
       300, 1.0 / 16, 1.0 / 16},
      {"blocks lost in several places", {{0, "--------1A6C5357"}, {88, "D3A3E555--------"}}, 100,
       4.0 / 8, 4.0 / 8},
      {"not hexadecimal counts as lost", {{0, "D3A3E5G56E4CD301"}}, 10, 0.25, 0.25},
      {"an all-zero group is four lost blocks", {{0, "0000000000000000"}, {88, "E2200000----2020"}},
       100, 5.0 / 8, 5.0 / 8},
      {"zero words in a real group are not lost", {{0, "E220054000004E52"}}, 10, 0.0, 0.0},
      {"older than 10 s counts in the minute only",
       {{0, "----------------"}, {15000, "D3A3E5556E4CD301"}}, 15000, 0.0, 4.0 / 8},
      {"the windows end at now - 10 s and now - 60 s", {{0, "----E5556E4CD301"}}, 10000,
       std::nullopt, 0.25},
      {"a minute later nothing is left", {{0, "----E5556E4CD301"}}, 60000, std::nullopt,
       std::nullopt},
  };
  for (const Case& c : cases) {
    BlockErrorRate b;
    for (const Arrival& a : c.groups) b.Add(a.At, ParseRawGroup(a.Group));
    EXPECT_EQ(b.Rate(c.now, BlockErrorRate::kShortWindow), c.rate10) << c.name;
    EXPECT_EQ(b.Rate(c.now, BlockErrorRate::kLongWindow), c.rate60) << c.name;
  }
}

TEST(BlockErrorRate, TextInPercentAndClear) {
  const char saved = Formats().DecimalSeparator;
  Formats().DecimalSeparator = ',';
  BlockErrorRate b;
  EXPECT_EQ(b.Text(0, BlockErrorRate::kShortWindow), "-");
  b.Add(0, ParseRawGroup("----E5556E4CD301"));
  b.Add(100, ParseRawGroup("D3A3E5556E4CD301"));
  EXPECT_EQ(b.Text(100, BlockErrorRate::kShortWindow), "12,5");
  b.Clear();
  EXPECT_EQ(b.Text(100, BlockErrorRate::kLongWindow), "-");
  Formats().DecimalSeparator = saved;
}

// Feeds an off-air log with its own reception times ("... @2019/05/04
// 02:42:04.15") and returns the rate over the last minute of it.
std::optional<double> LogRate(const std::string& file) {
  std::ifstream in(std::string(SONDARO_SHARED_DIR) + "/data/rds/" + file, std::ios::binary);
  if (!in) return std::nullopt;
  static const std::regex line(
      R"(^((?:[0-9A-F]{4}|----) (?:[0-9A-F]{4}|----) (?:[0-9A-F]{4}|----) (?:[0-9A-F]{4}|----)) @\d{4}/\d\d/\d\d (\d\d):(\d\d):(\d\d)\.(\d\d)\r?$)");
  BlockErrorRate b;
  Millis last = 0;
  std::string text;
  while (std::getline(in, text)) {
    std::smatch m;
    if (!std::regex_match(text, m, line)) continue;
    last = ((std::stoll(m[2]) * 60 + std::stoll(m[3])) * 60 + std::stoll(m[4])) * 1000 +
           std::stoll(m[5]) * 10;
    std::string blocks = m[1];
    std::erase(blocks, ' ');
    b.Add(last, ParseRawGroup(blocks));
  }
  return b.Rate(last, BlockErrorRate::kLongWindow);
}

TEST(BlockErrorRate, OffAirLogs) {
  const auto faulty = LogRate("E220-buggy-coder-se.spy");
  if (!faulty) GTEST_SKIP() << "no off-air logs beside the project";
  // The faulty encoder's stretches of all-zero groups: a few percent.
  EXPECT_GT(*faulty, 0.02);
  EXPECT_LT(*faulty, 0.2);
  // A clean reception has none; a weak one loses blocks in many groups.
  EXPECT_EQ(LogRate("F221-classiq-fr.spy"), 0.0);
  const auto weak = LogRate("D3A3-rtplus-de.spy");
  ASSERT_TRUE(weak);
  EXPECT_GT(*weak, 0.05);
  EXPECT_LT(*weak, 0.6);
}

}  // namespace
}  // namespace sondaro
