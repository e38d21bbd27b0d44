// RDS groups of the simulated stations, decoded by a decoder written here
// from the RDS standard rather than taken from the simulator.
#include <cstdio>
#include <filesystem>
#include <map>

#include "core/text.h"
#include "sim/rds.h"
#include "support/sim_fixture.h"

namespace sondaro {
namespace {

struct Decoded {
  std::map<int, int> pi;  // value -> times seen
  int pty = -1;
  std::string ps = std::string(8, '?');
  std::string rt = std::string(64, '?');
  int ctHour = -1, ctMinute = -1;
  int groups = 0, lostBlocks = 0;

  void Feed(const std::string& text) {
    ASSERT_EQ(text.size(), 16u) << text;
    ++groups;
    int block[4];
    bool ok[4];
    for (int i = 0; i < 4; ++i) {
      const std::string b = text.substr(4 * static_cast<std::size_t>(i), 4);
      ok[i] = b != "----";
      if (!ok[i]) {
        ++lostBlocks;
        continue;
      }
      const auto v = ReadHex(b);
      ASSERT_TRUE(v) << text;
      block[i] = static_cast<int>(*v);
    }
    if (ok[0]) ++pi[block[0]];
    if (!ok[1]) return;
    const int b = block[1], type = b >> 12;
    const bool versionA = !(b & 0x800);
    pty = (b >> 5) & 31;
    auto chars = [](int word, std::string& dst, std::size_t at) {
      dst[at] = static_cast<char>(word >> 8);
      dst[at + 1] = static_cast<char>(word & 0xFF);
    };
    if (type == 0 && ok[3]) chars(block[3], ps, 2 * static_cast<std::size_t>(b & 3));
    if (type == 2 && versionA && ok[2] && ok[3]) {
      chars(block[2], rt, 4 * static_cast<std::size_t>(b & 15));
      chars(block[3], rt, 4 * static_cast<std::size_t>(b & 15) + 2);
    }
    if (type == 4 && versionA && ok[2] && ok[3]) {
      const int utcHour = ((block[2] & 1) << 4) | (block[3] >> 12);
      const int utcMinute = (block[3] >> 6) & 0x3F;
      const int halfHours = (block[3] & 0x1F) * ((block[3] & 0x20) ? -1 : 1);
      const int local = ((utcHour * 60 + utcMinute + 30 * halfHours) % 1440 + 1440) % 1440;
      ctHour = local / 60;
      ctMinute = local % 60;
    }
  }
  [[nodiscard]] std::string RadioText() const {
    const auto end = rt.find('\r');
    return rt.substr(0, end);
  }
};

class RdsGroups : public test::SimFixture {
 protected:
  explicit RdsGroups(sim::SimOptions o = {}) : SimFixture(std::move(o)) {
    app.link.parser.hooks.RawGroup = [this](const std::string& g) {
      groups.push_back(g);
      arrivals.push_back(clock.WallNow());
    };
  }
  void Listen(int khz, Millis ms) {
    char tune[16];
    std::snprintf(tune, sizeof tune, "%06d*F", khz);
    app.link.Send("*r");
    app.link.Send(tune);
    Advance(500);
    groups.clear();
    arrivals.clear();
    app.link.Send("*R");
    Advance(ms);
  }
  std::vector<std::string> groups;
  std::vector<Millis> arrivals;
};

TEST_F(RdsGroups, StreamDecodesToTheStationsPiPsRtPtyAndClock) {
  ConnectSerial();
  for (const sim::Station& s : Model().GetWorld().Stations) {
    if (!s.HasRds() || s.LevelDbuv < 45) continue;
    SCOPED_TRACE(s.FrequencyKHz);
    Listen(s.FrequencyKHz, 65000);  // past a minute boundary, for CT
    // About 11.4 groups a second.
    EXPECT_NEAR(static_cast<double>(groups.size()), 65 * 1187.5 / 104, 3);
    Decoded d;
    std::size_t ctGroup = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
      const int before = d.ctMinute;
      d.Feed(groups[i]);
      if (d.ctMinute != before) ctGroup = i;
    }
    ASSERT_FALSE(d.pi.empty());
    EXPECT_EQ(d.pi.rbegin()->first, s.Pi);
    EXPECT_EQ(d.pi.size(), 1u);
    EXPECT_EQ(d.ps, s.Ps);
    EXPECT_EQ(d.RadioText(), s.Rt);
    EXPECT_EQ(d.pty, s.Pty);
    // CT is sent at the start of the minute and tells the local time.
    ASSERT_GE(d.ctHour, 0);
    const Millis wall = arrivals[ctGroup];
    EXPECT_EQ(d.ctHour, static_cast<int>(wall / 3600000 % 24));
    EXPECT_EQ(d.ctMinute, static_cast<int>(wall / 60000 % 60));
  }
}

TEST_F(RdsGroups, BlocksAreLostMoreOftenOnWeakerStations) {
  ConnectSerial();
  auto lossRate = [&](int khz) {
    Listen(khz, 30000);
    Decoded d;
    for (const auto& g : groups) d.Feed(g);
    return d.groups ? static_cast<double>(d.lostBlocks) / (4.0 * d.groups) : 1.0;
  };
  const double strong = lossRate(103900), medium = lossRate(107700), weak = lossRate(89300);
  EXPECT_LT(strong, 0.001);
  EXPECT_LT(strong, medium);
  EXPECT_LT(medium, weak);
  EXPECT_GT(weak, 0.05);
  // A station without RDS, and an empty channel, send no groups at all.
  Listen(94100, 5000);
  EXPECT_TRUE(groups.empty());
  Listen(88500, 5000);
  EXPECT_TRUE(groups.empty());
}

TEST(RdsBlocks, CheckwordsLeaveTheOffsetWordAsRemainder) {
  // Long division by x^10 + x^8 + x^7 + x^5 + x^4 + x^3 + 1, done here.
  auto remainder = [](std::uint32_t word) {
    for (int bit = 25; bit >= 10; --bit)
      if (word & (1u << bit)) word ^= 0x5B9u << (bit - 10);
    return word & 0x3FF;
  };
  const std::pair<sim::Offset, std::uint32_t> offsets[] = {
      {sim::Offset::A, 0x0FC}, {sim::Offset::B, 0x198}, {sim::Offset::C, 0x168},
      {sim::Offset::Cp, 0x350}, {sim::Offset::D, 0x1B4}};
  for (std::uint16_t info : {0x0000, 0xD301, 0x2400, 0xFFFF, 0x8001}) {
    for (const auto& [offset, word] : offsets) {
      const std::uint32_t block = sim::EncodeBlock(info, offset);
      EXPECT_EQ(block >> 10, info);
      EXPECT_EQ(remainder(block), word) << std::hex << info;
    }
  }
}

class ReplayedLog : public RdsGroups {
 protected:
  static std::string LogPath() { return SONDARO_SHARED_DIR "/data/rds/F221-classiq-fr.spy"; }
  static sim::SimOptions Options() {
    sim::SimOptions o;
    if (std::filesystem::exists(LogPath())) o.RdsLogFile = LogPath();
    o.RdsLogKHz = 91800;
    return o;
  }
  ReplayedLog() : RdsGroups(Options()) {}
};

TEST_F(ReplayedLog, StationSendsTheLoggedGroupsInOrder) {
  if (!std::filesystem::exists(LogPath())) GTEST_SKIP() << "no shared RDS logs";
  ASSERT_EQ(ports.LoadError(), "");
  ConnectSerial();
  Listen(91800, 10000);
  ASSERT_GT(groups.size(), 100u);
  std::FILE* f = std::fopen(LogPath().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string text(1 << 16, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  const auto log = sim::ParseRdsLog(text);
  ASSERT_TRUE(log.Loaded);
  std::vector<std::string> logged;
  for (const auto& g : log.Loaded->Groups) logged.push_back(sim::GroupText(g));
  // Consecutive received groups are consecutive lines of the log (which
  // repeats groups, so look for the place where a whole run fits).
  bool fits = false;
  for (std::size_t at = 0; at < logged.size() && !fits; ++at) {
    fits = true;
    for (std::size_t i = 0; i < 40 && fits; ++i) fits = groups[i] == logged[(at + i) % logged.size()];
  }
  EXPECT_TRUE(fits);
  // And the analyzer decodes the logged station, not the world's.
  std::vector<std::pair<std::string, std::string>> fields;
  app.link.parser.hooks.StoreRdsField = [&](const std::string& t, const std::string& b) {
    fields.emplace_back(t, b);
  };
  app.link.Send("?D");
  Advance(3000);
  std::map<std::string, std::string> got(fields.begin(), fields.end());
  EXPECT_EQ(got["PI"], "F221");
}

}  // namespace
}  // namespace sondaro
