// The world file that describes the simulated stations.
#include <gtest/gtest.h>

#include <set>

#include "sim/world.h"

namespace sondaro::sim {
namespace {

TEST(WorldFile, ReadsEveryKey) {
  const auto load = ParseWorld(R"(# two stations
[station]
freq = 98.50
level = 61.5
offset = -0.8
pi = D3A5
ps = TEST
rt = Hello world
pty = 10
tp = 1
ta = yes
ms = speech
di = 9
ecc = e0
ptyn = TUNES
ct = no
ct_offset = -4
af = 87.6, 98.5
eon = D392 SWR1 BW
eon = D3C1
pilot = 7.0
rds = 2.5
rds_phase = 450
peak = 80
power = 1.5
audio = tones 400 0
correlation = 0.2

[station]
freq = 107.9   # defaults for the rest
)");
  ASSERT_TRUE(load.Loaded) << load.Error;
  ASSERT_EQ(load.Loaded->Stations.size(), 2u);
  const Station& s = load.Loaded->Stations[0];
  EXPECT_EQ(s.FrequencyKHz, 98500);
  EXPECT_DOUBLE_EQ(s.LevelDbuv, 61.5);
  EXPECT_DOUBLE_EQ(s.CarrierOffsetKHz, -0.8);
  EXPECT_EQ(s.Pi, 0xD3A5);
  EXPECT_EQ(s.Ps, "TEST    ");
  EXPECT_EQ(s.Rt, "Hello world");
  EXPECT_EQ(s.Pty, 10);
  EXPECT_TRUE(s.Tp && s.Ta && !s.Music && !s.SendsCt);
  EXPECT_EQ(s.Di, 9);
  EXPECT_EQ(s.Ecc, 0xE0);
  EXPECT_EQ(s.Ptyn, "TUNES   ");
  EXPECT_EQ(s.CtOffsetHalfHours, -4);
  EXPECT_EQ(s.AfKHz, (std::vector<int>{87600, 98500}));
  ASSERT_EQ(s.Eon.size(), 2u);
  EXPECT_EQ(s.Eon[0].Pi, 0xD392);
  EXPECT_EQ(s.Eon[0].Ps, "SWR1 BW ");
  EXPECT_EQ(s.Eon[1].Ps, "        ");
  EXPECT_DOUBLE_EQ(s.PilotKHz, 7.0);
  EXPECT_DOUBLE_EQ(s.RdsKHz, 2.5);
  EXPECT_DOUBLE_EQ(s.RdsPhaseDeg, 90);
  EXPECT_DOUBLE_EQ(s.PeakKHz, 80);
  EXPECT_DOUBLE_EQ(s.PowerDbr, 1.5);
  EXPECT_EQ(s.Audio, AudioKind::Tones);
  EXPECT_DOUBLE_EQ(s.ToneLeftHz, 400);
  EXPECT_DOUBLE_EQ(s.ToneRightHz, 0);
  EXPECT_EQ(load.Loaded->Stations[1].FrequencyKHz, 107900);
  EXPECT_FALSE(load.Loaded->Stations[1].HasRds());
}

TEST(WorldFile, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"freq = 98.5\n", "line 1: value before the first [station]"},
      {"[station]\nfreq = 98.5\nlvl = 3\n", "line 3: unknown key 'lvl'"},
      {"[station]\nfreq = 200\n", "line 2: frequency out of 64..110 MHz"},
      {"[station]\nfreq = 98.5\npi = D3\n", "line 3: pi must be four hex digits"},
      {"[station]\nfreq = 98.5\nps = TOOLONGNAME\n", "line 3: ps longer than 8 characters"},
      {"[station]\nfreq = 98.5\npty = 32\n", "line 3: pty out of 0..31"},
      {"[station]\nfreq = 98.5\naudio = music\n",
       "line 3: audio must be 'noise' or 'tones LEFT_HZ RIGHT_HZ' (0..15000)"},
      {"[station]\nfreq = 98.5\njust words\n", "line 3: expected 'key = value' or [station]"},
      {"[station]\nlevel = 40\n", "station 1 has no freq"},
  };
  for (const auto& c : cases) {
    const auto load = ParseWorld(c.text);
    EXPECT_FALSE(load.Loaded) << c.text;
    EXPECT_EQ(load.Error, c.error) << c.text;
  }
  EXPECT_EQ(LoadWorld("/nonexistent/world.txt").Error, "cannot read /nonexistent/world.txt");
}

TEST(WorldFile, DefaultWorldSpansTheBandWithDistinctCarriers) {
  const World w = DefaultWorld();
  EXPECT_GE(w.Stations.size(), 10u);
  std::set<int> seen;
  for (const Station& s : w.Stations) {
    EXPECT_GE(s.FrequencyKHz, 87500);
    EXPECT_LE(s.FrequencyKHz, 108000);
    EXPECT_TRUE(seen.insert(s.FrequencyKHz).second) << s.FrequencyKHz;
    EXPECT_EQ(s.Ps.size(), 8u);
  }
}

}  // namespace
}  // namespace sondaro::sim

namespace sondaro::sim {
namespace {

TEST(WorldFile, ShippedExampleLoads) {
  const auto load = LoadWorld(SONDARO_SOURCE_SIM_DIR "/example_world.txt");
  ASSERT_TRUE(load.Loaded) << load.Error;
  EXPECT_EQ(load.Loaded->Stations.size(), 4u);
  EXPECT_EQ(load.Loaded->Stations[3].Audio, AudioKind::Tones);
}

}  // namespace
}  // namespace sondaro::sim
