// The simulated analyzer's replies read through the program's own link and
// reply parser, in virtual time.
#include <cmath>
#include <cstdio>
#include <map>

#include "core/text.h"
#include "support/sim_fixture.h"

namespace sondaro {
namespace {

using test::SimFixture;

std::string TuneCommand(int khz) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06d*F", khz);
  return buf;
}

// Histogram counts cut the way the program cuts them: five characters at
// 14 i + 8, blanks removed.
std::vector<int> HistogramCounts(const std::string& body) {
  std::vector<int> counts;
  for (int i = 0; i < 122; ++i)
    counts.push_back(ReadInt32(RemoveAll(Copy(body, 14 * i + 8, 5), " ")).value_or(-1));
  return counts;
}

// Phases are compared after folding, so only modulo 180 degrees.
double PhaseDistance(double a, double b) {
  double d = std::fmod(a - b, 180.0);
  if (d > 90) d -= 180;
  if (d <= -90) d += 180;
  return std::fabs(d);
}

class RoundTrip : public SimFixture {
 protected:
  explicit RoundTrip(sim::SimOptions options = {}) : SimFixture(std::move(options)) {}
  // Tunes and waits out the synthesiser before asking for the frequency.
  void Tune(int khz) {
    app.link.Send(TuneCommand(khz));
    Advance(400);
    app.link.Send("?F");
    Advance(200);
  }
  // Sections the parser hands on, by header.
  std::vector<std::pair<std::string, std::string>> rds;
  std::vector<std::pair<Millis, std::string>> histograms, dumps, groups;
  void CollectBulk() {
    auto& h = app.link.parser.hooks;
    h.StoreRdsField = [this](const std::string& tag, const std::string& body) {
      rds.emplace_back(tag, body);
    };
    h.Histogram = [this](const std::string& b) { histograms.emplace_back(clock.Now(), b); };
    h.MemoryDump = [this](const std::string& b) { dumps.emplace_back(clock.Now(), b); };
    h.RawGroup = [this](const std::string& b) { groups.emplace_back(clock.Now(), b); };
  }
};

TEST_F(RoundTrip, EveryStationsReadingsParseIntoTheMeasurementState) {
  ConnectSerial();
  std::vector<std::pair<double, int>> levelAndQuality;
  for (const sim::Station& s : Model().GetWorld().Stations) {
    SCOPED_TRACE(s.FrequencyKHz);
    Tune(s.FrequencyKHz);
    for (const char* q : {"?I", "?U", "?Q", "?L", "?R", "?E"}) app.link.Send(q);
    Advance(1500);
    const MeasurementState& st = app.link.state;
    char text[32];
    std::snprintf(text, sizeof text, "%3d.%02d MHz", s.FrequencyKHz / 1000, s.FrequencyKHz % 1000 / 10);
    EXPECT_EQ(st.FrequencyText, text);
    EXPECT_NEAR(st.FrequencyMHz, s.FrequencyKHz / 1000.0, 1e-3);
    EXPECT_TRUE(st.IfValid);
    EXPECT_NEAR(st.IfKHz, 323.25 + s.CarrierOffsetKHz, 0.03);
    EXPECT_TRUE(st.LevelInDbuv);
    const auto level = ReadInt32(Trim(RemoveAll(st.LevelText, "dBuV")));
    ASSERT_TRUE(level) << st.LevelText;
    // Neighbours add a little; the level is the station's own within 1 dB.
    EXPECT_NEAR(*level, s.LevelDbuv, 1.0);
    EXPECT_NEAR(st.PilotKHz, s.PilotKHz, 0.06);
    EXPECT_NEAR(st.RdsDeviationKHz, s.HasRds() ? s.RdsKHz : 0.0, 0.06);
    if (s.PilotKHz > 0 && s.HasRds()) {
      EXPECT_LE(PhaseDistance(st.PhaseDeg, s.RdsPhaseDeg), 3.0) << st.PhaseText;
      EXPECT_EQ(st.PhaseText.substr(0, 2), "  ");
    } else {
      EXPECT_EQ(st.PhaseDeg, 999);
      EXPECT_EQ(st.PhaseText, "");
    }
    EXPECT_GE(st.SignalQuality, 0);
    EXPECT_LE(st.SignalQuality, 5);
    levelAndQuality.emplace_back(s.LevelDbuv, st.SignalQuality);
    EXPECT_FALSE(app.link.queue.MaSeCekat());  // every query was answered
  }
  // A stronger station never shows a worse quality bar.
  std::sort(levelAndQuality.begin(), levelAndQuality.end());
  for (std::size_t i = 1; i < levelAndQuality.size(); ++i)
    EXPECT_GE(levelAndQuality[i].second, levelAndQuality[i - 1].second) << levelAndQuality[i].first;
  EXPECT_EQ(levelAndQuality.back().second, 5);
  EXPECT_LE(levelAndQuality.front().second, 2);
}

TEST_F(RoundTrip, FastSignalInfoFindsTheWorldsStationsAcrossTheBand) {
  ConnectTcp();
  std::vector<int> found;
  for (int ch = 0; ch < 206; ++ch) {
    const int khz = 87500 + 100 * ch;
    app.link.Send(TuneCommand(khz));
    app.link.Send("?G");
    Advance(250);  // the parser looks every 100 ms while the buffer is idle
    const std::string& fsi = app.link.state.FastSignalInfoText;
    const int level = ReadInt32(Copy(fsi, 1, 5)).value_or(-500);
    const int offset = ReadInt32(Copy(fsi, 8, 5)).value_or(325);
    const int noise = ReadInt32(Copy(fsi, 15, 5)).value_or(999);
    // The station rule of the bandscan, on the raw dBuV levels of an M140.
    const int n = noise / 60;
    if (n + 305 < offset && offset < n + 345 && ((level > 15 && noise < 160) || (level > 40 && noise < 250)))
      found.push_back(khz);
    if (std::find(found.begin(), found.end(), khz) == found.end() && khz % 100 == 0)
      for (const auto& st : Model().GetWorld().Stations)
        if (st.FrequencyKHz == khz) ADD_FAILURE() << khz << " [" << fsi << "]";
    app.link.state.FastSignalInfoText.clear();
  }
  std::vector<int> expected;
  for (const auto& s : Model().GetWorld().Stations) expected.push_back(s.FrequencyKHz);
  EXPECT_EQ(found, expected);
}

TEST_F(RoundTrip, FastSignalInfoSpillsIntoNeighboursAndNoiseRisesAwayFromCarriers) {
  ConnectSerial();
  struct Reading {
    int level, offset, noise;
  };
  auto read = [&](int khz) {
    Tune(khz);
    app.link.Send("?G");
    Advance(300);
    const std::string& f = app.link.state.FastSignalInfoText;
    return Reading{ReadInt32(Copy(f, 1, 5)).value_or(-999), ReadInt32(Copy(f, 8, 5)).value_or(-1),
                   ReadInt32(Copy(f, 15, 5)).value_or(-1)};
  };
  const Reading on = read(103900), above = read(104000), below = read(103800), far = read(104200);
  EXPECT_NEAR(on.offset, 325 + 1, 3);  // the station's carrier sits 1.2 kHz high
  EXPECT_GT(above.level, 40);          // 84 dBuV leaks 100 kHz away ...
  EXPECT_LT(above.level, on.level - 20);
  EXPECT_LT(above.offset, 250);  // ... but the counter shows it off the carrier
  EXPECT_GT(below.offset, 400);
  EXPECT_LT(on.noise, above.noise);
  EXPECT_LT(above.noise, far.noise);
  EXPECT_GT(far.noise, 250);
}

TEST_F(RoundTrip, TuningTakesTimeSoAnEarlyFrequencyCheckSeesTheOldStation) {
  ConnectSerial();
  Tune(87600);
  ASSERT_EQ(app.link.state.FrequencyText, " 87.60 MHz");
  // Across the band the synthesiser needs a couple of hundred milliseconds.
  app.link.Send("108000*F");
  app.link.Send("?F");
  Advance(150);
  EXPECT_EQ(app.link.state.FrequencyText, " 87.60 MHz");
  Advance(150);
  app.link.Send("?F");
  Advance(150);
  EXPECT_EQ(app.link.state.FrequencyText, "108.00 MHz");
  // Next door it is quick.
  app.link.Send("107900*F");
  app.link.Send("?F");
  Advance(150);
  EXPECT_EQ(app.link.state.FrequencyText, "107.90 MHz");
}

TEST_F(RoundTrip, HistogramCountsTwentySamplesASecondSinceReset) {
  CollectBulk();
  ConnectSerial();
  Tune(98500);  // test tones, no noise to speak of
  app.link.Send("*C");
  Advance(30000);
  app.link.Send("?H");
  Advance(3000);
  ASSERT_EQ(histograms.size(), 1u);
  const auto counts = HistogramCounts(histograms[0].second);
  int total = 0, top = 0;
  for (int i = 0; i < 122; ++i) {
    ASSERT_GE(counts[i], 0) << "bin " << i;
    total += counts[i];
    if (counts[i]) top = i;
  }
  Millis written = 0, reset = 0;
  for (const auto& [t, c] : ports.ReceivedCommands()) {
    if (c == "?H") written = t;
    if (c == "*C") reset = t;
  }
  // Counted when the analyzer gets to the query, 60 ms after it arrives.
  EXPECT_EQ(total, (written + 60 - reset) * 20 / 1000);
  EXPECT_LE(top, 75);  // never beyond the station's peak
  EXPECT_GE(top, 20);
  // 1.7 kB at 19200 baud: the reply is not instantaneous.
  EXPECT_GT(histograms[0].first - written, 800);

  // Accumulation goes on until the next reset.
  app.link.Send("?H");
  Advance(10000);
  ASSERT_EQ(histograms.size(), 2u);
  int later = 0;
  for (int c : HistogramCounts(histograms[1].second)) later += c;
  EXPECT_GT(later, total + 20);
  app.link.Send("*C");
  Advance(1000);
  app.link.Send("?H");
  Advance(3000);
  ASSERT_EQ(histograms.size(), 3u);
  int fresh = 0;
  for (int c : HistogramCounts(histograms[2].second)) fresh += c;
  EXPECT_LT(fresh, 40);
}

TEST_F(RoundTrip, RdsDataArriveGraduallyAndEndWithEon) {
  CollectBulk();
  ConnectSerial();
  Tune(98500);
  app.link.Send("087600*F");
  Advance(300);
  app.link.Send("?F");
  app.link.Send("?D");  // while the analyzer has seen only a few groups
  Advance(1500);
  ASSERT_EQ(app.link.state.FrequencyText, " 87.60 MHz");
  std::map<std::string, std::string> early(rds.begin(), rds.end());
  EXPECT_EQ(early.count("PS"), 0u);  // not enough groups yet
  ASSERT_FALSE(rds.empty());
  EXPECT_EQ(rds.back().first, "EON");
  EXPECT_FALSE(app.link.queue.MaSeCekat());

  rds.clear();
  Advance(60000);  // a minute, for a CT group
  app.link.Send("?D");
  app.link.Send("?T");
  Advance(4000);
  ASSERT_GE(rds.size(), 3u);
  std::map<std::string, std::string> got(rds.begin(), rds.end());
  EXPECT_EQ(got["PS"], "\"RADIO 1 \"");
  EXPECT_EQ(got["PI"], "D301");
  EXPECT_EQ(got["PTY"], " 10");
  EXPECT_EQ(got["TP"], "1");
  EXPECT_EQ(got["TA"], "0");
  EXPECT_EQ(got["DI"], " 1");
  EXPECT_EQ(got["ECC"], "E0");
  EXPECT_EQ(got["RT"], "Radio 1 - the best hits of today and yesterday");
  EXPECT_EQ(got["AF"], " 87.6 MHz\r\n 96.3 MHz\r\n102.1 MHz");
  EXPECT_EQ(got["EON"], "D302 REGIO 2\r\nD3C1 TRAFFIC");
  EXPECT_EQ(got["CT"].size(), 6u);
  // The statistics in 13-character slots once ";" and ": " are folded.
  std::string stats = ReplaceAll(ReplaceAll(got["RDS Group Statistics"], ";", ":"), ": ", ":");
  int slotsA = 0, slotsB = 0, groups0A = -1;
  while (stats.size() >= 4 && (stats.substr(2, 2) == "A:" || stats.substr(2, 2) == "B:")) {
    const std::string entry = stats.substr(0, 11);
    (stats[2] == 'A' ? slotsA : slotsB)++;
    if (entry.substr(0, 4) == " 0A:") groups0A = ReadInt32(entry.substr(4)).value_or(-1);
    stats.erase(0, 13);
  }
  EXPECT_EQ(slotsA, 16);
  EXPECT_EQ(slotsB, 16);
  // 0A is half of the stream: about 11.4 / 2 a second for 31 s.
  EXPECT_NEAR(groups0A, 61.6 * 11.4 / 2, 12);
}

TEST_F(RoundTrip, AlarmSettingsReadBackFromTheMemoryDump) {
  CollectBulk();
  ConnectSerial();
  app.link.Send("ARA:19*X");
  app.link.Send("ARE:58*X");
  app.link.Send("ARM:07*X");
  app.link.Send("4CE,00E?h");
  Advance(1000);
  ASSERT_EQ(dumps.size(), 1u);
  const std::string& body = dumps[0].second;
  EXPECT_EQ(body.substr(0, 7), "4CE,00E");
  const std::string hex = Copy(body, 10, 28);
  ASSERT_EQ(hex.size(), 28u);
  EXPECT_EQ(hex.substr(0, 2), "13");   // A: 19 kHz
  EXPECT_EQ(hex.substr(8, 2), "3A");   // E: 5800 Hz
  EXPECT_EQ(hex.substr(24, 2), "07");  // M: 7 s
  EXPECT_EQ(hex.substr(2, 2), "58");   // B untouched: 88 kHz
}

TEST_F(RoundTrip, PeriodicPeakAndModulationPowerSectionsFollowTheirOrders) {
  std::vector<std::pair<Millis, std::string>> power;
  app.link.parser.hooks.ModulationPower = [&](const std::string& b) { power.emplace_back(clock.Now(), b); };
  ConnectSerial();
  Tune(103900);  // loud: +4 dBr, clipped at 79 kHz
  app.link.Send("*E");
  app.link.Send("*M");
  app.link.Send("*P");
  Advance(10000);
  const auto peak = ReadDecimal(RemoveAll(app.link.state.DeviationMaxText, " kHz"));
  const auto held = ReadDecimal(RemoveAll(app.link.state.DeviationMaxHoldText, " kHz"));
  ASSERT_TRUE(peak && held) << app.link.state.DeviationMaxText;
  EXPECT_GT(*peak, 40);
  EXPECT_LT(*peak, 79 + 3);
  EXPECT_GE(*held, *peak);
  // One modulation power value a second, around the station's +4 dBr.
  EXPECT_NEAR(static_cast<double>(power.size()), 10, 1);
  double sum = 0;
  for (const auto& [t, body] : power) {
    const auto v = ReadDecimal(RemoveAll(Copy(body, 1, 5), " "));
    ASSERT_TRUE(v) << body;
    sum += *v;
  }
  EXPECT_NEAR(sum / static_cast<double>(power.size()), 4.0, 2.5);
  // Stopped, both fall silent; "MAX" only streams in the measuring mode.
  app.link.Send("*m");
  app.link.Send("*p");
  Advance(500);
  const std::size_t sections = power.size();
  app.link.state.DeviationMaxText.clear();
  Advance(5000);
  EXPECT_EQ(power.size(), sections);
  EXPECT_EQ(app.link.state.DeviationMaxText, "");
  app.link.Send("*D");
  app.link.Send("*M");
  Advance(3000);
  EXPECT_EQ(app.link.state.DeviationMaxText, "");
}

class RoundTripM40 : public RoundTrip {
 protected:
  static sim::SimOptions M40() {
    sim::SimOptions o;
    o.Device = sim::DeviceModel::M40;
    return o;
  }
  RoundTripM40() : RoundTrip(M40()) {}
};

TEST_F(RoundTripM40, LevelIsRawAndIfDriftsAsTheProgramCorrectsIt) {
  ConnectSerial();
  std::vector<double> corrected;
  for (int khz : {87600, 103900}) {
    Tune(khz);
    app.link.Send("?U");
    app.link.Send("?I");
    app.link.Send("4CE,00E?h");  // no alarm outputs: nothing answers
    Advance(1500);
    EXPECT_FALSE(app.link.state.LevelInDbuv);
    EXPECT_TRUE(ReadInt32(app.link.state.LevelText)) << app.link.state.LevelText;
    corrected.push_back(app.link.state.IfKHz + (app.link.state.FrequencyMHz - 87.5) / 3.7);
  }
  // With the program's (f - 87.5) / 3.7 correction the offsets of the two
  // carriers (0.4 and 1.2 kHz) come out.
  EXPECT_NEAR(corrected[1] - corrected[0], 1.2 - 0.4, 0.05);
}

}  // namespace
}  // namespace sondaro
