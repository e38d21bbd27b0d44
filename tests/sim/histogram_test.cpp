// The simulated analyzer's deviation histogram, read from its "?H" reply: it
// counts from the analyzer's start or last reset, and its samples are the
// peaks of the station's multiplex signal, so it looks like a real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "core/text.h"
#include "sim/model.h"

namespace sondaro {
namespace {

// A model switched on three hours into the host's clock, as on a machine
// that has been up for a while.
constexpr Millis kStart = 3 * 3600 * 1000;

// The counts of the reply the model sends to "?H" at `at`.
std::vector<int> Histogram(sim::Model& m, Millis at) {
  m.Receive(at, "?H");
  const std::string out = m.TakeOutput(at + 3000);
  const auto h = out.find("Histogram Data:\r\n");
  EXPECT_NE(h, std::string::npos);
  std::vector<int> counts;
  if (h == std::string::npos) return counts;
  const std::string body = out.substr(h + 17);
  for (int i = 0; i < 122; ++i)
    counts.push_back(ReadInt32(RemoveAll(Copy(body, 14 * i + 8, 5), " ")).value_or(-1));
  return counts;
}

int Total(const std::vector<int>& c) { return std::accumulate(c.begin(), c.end(), 0); }
int Mode(const std::vector<int>& c) {
  return static_cast<int>(std::max_element(c.begin(), c.end()) - c.begin());
}

TEST(SimHistogram, CountsFromTheStartAndFromEachReset) {
  sim::Model m(sim::DefaultWorld(), {}, std::nullopt, 1705320000000, kStart);
  // Ten minutes after switching on: 20 samples a second since then, not
  // since the host's clock began.
  const int first = Total(Histogram(m, kStart + 600000));
  EXPECT_NEAR(first, 600 * 20, 20);
  m.Receive(kStart + 700000, "*C");
  EXPECT_NEAR(Total(Histogram(m, kStart + 760000)), 60 * 20, 20);
}

// Stereo stations with pilot and RDS put their samples well away from
// 0 kHz and below their peak deviation; quiet classical music lower down.
TEST(SimHistogram, PeaksWhereAStereoStationWithPilotAndRdsDoes) {
  struct Case {
    const char* Tune;
    int ModeAtLeast, ModeAtMost;
  };
  for (const Case& c : {Case{"087600*F", 25, 75}, Case{"091800*F", 15, 68}, Case{"096300*F", 25, 75}}) {
    sim::Model m(sim::DefaultWorld(), {}, std::nullopt, 1705320000000, kStart);
    m.Receive(kStart, c.Tune);
    m.Receive(kStart + 1000, "*C");
    const std::vector<int> h = Histogram(m, kStart + 121000);
    ASSERT_EQ(h.size(), 122u);
    EXPECT_GE(Mode(h), c.ModeAtLeast) << c.Tune << ::testing::PrintToString(h);
    EXPECT_LE(Mode(h), c.ModeAtMost) << c.Tune;
    // Pilot and RDS alone deviate the carrier by about 10 kHz: never less.
    EXPECT_EQ(std::accumulate(h.begin(), h.begin() + 8, 0), 0) << c.Tune;
    EXPECT_EQ(std::accumulate(h.begin() + 80, h.end(), 0), 0) << c.Tune;
  }
}

}  // namespace
}  // namespace sondaro
