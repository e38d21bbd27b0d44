// The analyzer's input side: commands cut out of a byte stream with no
// terminators, and garbage that must neither crash nor stall it.
#include <gtest/gtest.h>

#include "sim/command_stream.h"
#include "sim/model.h"
#include "sim/random.h"

namespace sondaro::sim {
namespace {

std::vector<std::string> Texts(CommandStream& s, std::initializer_list<const char*> reads) {
  std::vector<std::string> out;
  for (const char* r : reads)
    for (const Command& c : s.Feed(r)) out.push_back(c.Text());
  return out;
}

TEST(CommandStream, CutsCommandsWhereverTheReadsFall) {
  struct Case {
    std::initializer_list<const char*> reads;
    std::vector<std::string> want;
  } cases[] = {
      {{"?F?H"}, {"?F", "?H"}},
      {{"0985", "00*F"}, {"098500*F"}},
      {{"?", "F"}, {"?F"}},
      {{"*D*R*R"}, {"*D", "*R", "*R"}},
      {{"1?W2?W?W"}, {"1?W", "2?W", "?W"}},
      {{"4CE,00E?h"}, {"4CE,00E?h"}},
      {{"DIP2:1*X", "ARA:05*X"}, {"DIP2:1*X", "ARA:05*X"}},
      {{"07*L*B"}, {"07*L", "*B"}},
      // Noise before a command is dropped, the command still counts.
      {{"xx\r\n?Fjunk098500*F"}, {"?F", "098500*F"}},
      {{"??F**E"}, {"?F", "*E"}},
      {{"?1F"}, {}},
      // Arguments that do not fit leave a bare order, which is refused later.
      {{"98500*F", "DIP9*X"}, {"*F", "*X"}},
  };
  for (const auto& c : cases) {
    CommandStream s;
    EXPECT_EQ(Texts(s, c.reads), c.want) << *c.reads.begin();
  }
}

std::string Frequency(const std::string& out) {
  const auto p = out.rfind("Frequency:\r\n");
  return p == std::string::npos ? "" : out.substr(p + 12, 10);
}

TEST(ModelInput, GarbageNeitherCrashesNorStallsTheReplies) {
  Model m(DefaultWorld(), SimOptions{});
  Rng rng(7);
  Millis t = 0;
  for (int round = 0; round < 200; ++round) {
    // A burst of random bytes, sometimes very long, then a real query.
    std::string junk(static_cast<std::size_t>(rng.Next() % (round % 10 == 0 ? 20000 : 64)), '\0');
    for (char& ch : junk) ch = static_cast<char>(rng.Next() & 0xFF);
    m.Receive(t, junk);
    std::string out = m.TakeOutput(t + 200);  // whatever the junk asked for
    m.Receive(t + 200, "?F");
    // Even behind a full transmit buffer the reply comes within its 4 s.
    out = m.TakeOutput(t + 4500);
    ASSERT_NE(Frequency(out), "") << "round " << round;
    t += 5000;
  }
  // The analyzer is still tunable and answers right.
  m.Receive(t, "*r*m*p100000*F");
  m.Receive(t + 400, "?F");
  EXPECT_EQ(Frequency(m.TakeOutput(t + 1000)), "100.00 MHz");
}

TEST(ModelInput, OutOfRangeAndMalformedOrdersChangeNothing) {
  Model m(DefaultWorld(), SimOptions{});
  const int tuned = m.TunedKHz();
  for (const char* bad : {"086000*F", "109000*F", "9850*F", "00*L", "31*L", "DIP7:1*X", "DIP1:2*X",
                          "ARZ:10*X", "?Z", "5?W"}) {
    m.Receive(0, bad);
  }
  m.Advance(1000);
  EXPECT_EQ(m.TunedKHz(), tuned);
  EXPECT_EQ(m.LoadedFile(), 0);
  EXPECT_EQ(m.Dip(), (std::array<int, 5>{0, 0, 1, 0, 0}));
  EXPECT_EQ(m.TakeOutput(2000), "");
}

TEST(ModelInput, RepliesComeOutAtTheLineRate) {
  Model m(DefaultWorld(), SimOptions{});
  m.Receive(0, "?H");
  // 1.7 kB at 1.92 bytes per millisecond after 60 ms of measuring.
  const std::size_t early = m.TakeOutput(500).size();
  EXPECT_NEAR(static_cast<double>(early), (500 - 60) * 1.92, 2);
  const std::size_t rest = m.TakeOutput(2000).size();
  EXPECT_EQ(early + rest, std::string("Histogram Data:\r\n").size() + 122 * 14 - 2 + 4);
}

}  // namespace
}  // namespace sondaro::sim

namespace sondaro::sim {
namespace {

TEST(ModelInput, QueryRightAfterATuneOrderAnswersTheNewFrequency) {
  // "Tune" writes the order and "?F" 30 ms apart; the receiver settles in
  // between, so the answer must already be the new station.
  Model m(DefaultWorld(), SimOptions{});
  m.Receive(0, "098500*F");
  m.Receive(30, "?F");
  EXPECT_EQ(Frequency(m.TakeOutput(1000)), " 98.50 MHz");
  m.Receive(2000, "101300*F?F");
  EXPECT_EQ(Frequency(m.TakeOutput(3000)), "101.30 MHz");
}

}  // namespace
}  // namespace sondaro::sim
