// The scan in virtual time: against the simulated analyzer for whole scans,
// and against a scripted serial port for the ways a channel can go wrong.
#include "core/formats.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <fstream>

#include "support/app_fixture.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

std::string Hex4(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", v);
  return buf;
}

class ScanOnSim : public test::SimFixture {
 protected:
  explicit ScanOnSim(sim::SimOptions options = {}) : SimFixture(std::move(options)) {}
  // Runs until the scan ends by itself; false if it did not within limit.
  bool RunScan(Millis limit) {
    for (Millis t = 0; t < limit && app.bandscan.Running(); t += 500) Advance(500);
    return !app.bandscan.Running();
  }
  std::vector<int> Channels() const {
    std::vector<int> c;
    for (const TStationList& s : app.bandscan.StationList) c.push_back(s.Channel);
    return c;
  }
  std::vector<int> WorldChannels() {
    std::vector<int> c;
    for (const auto& s : Model().GetWorld().Stations) c.push_back((s.FrequencyKHz - 87500) / 100);
    return c;
  }
  int TuneOrders(const std::string& order) {
    return static_cast<int>(std::count_if(
        ports.ReceivedCommands().begin(), ports.ReceivedCommands().end(),
        [&order](const auto& c) { return c.second == order; }));
  }
};

TEST_F(ScanOnSim, FullScanFindsTheWorldsStationsWithTheirPiAndPs) {
  ConnectTcp();
  app.link.Send("101300*F");
  app.link.Send("?F");
  Advance(1000);
  ASSERT_EQ(app.link.state.FrequencyText, "101.30 MHz");
  app.bandscan.ScanRDS = true;
  app.bandscan.IAeverButton24Click();
  EXPECT_EQ(app.status.Text(), kScanningText);
  EXPECT_FALSE(app.bandscan.AcquireEnabled);
  EXPECT_TRUE(app.bandscan.StopEnabled);
  EXPECT_EQ(app.bandscan.Timer5().Interval(), 60);  // TCP
  ASSERT_TRUE(RunScan(600'000));

  EXPECT_EQ(Channels(), WorldChannels());
  int withRds = 0;
  for (const TStationList& st : app.bandscan.StationList) {
    const auto& world = Model().GetWorld().Stations;
    const auto w = std::find_if(world.begin(), world.end(), [&st](const auto& s) {
      return s.FrequencyKHz == 87500 + 100 * st.Channel;
    });
    ASSERT_NE(w, world.end());
    // Noisy stations are not asked for RDS; the others give what they send.
    const bool readable = w->HasRds() && st.Noise <= 90;
    EXPECT_EQ(st.PI, readable ? Hex4(w->Pi) : "") << st.Channel;
    EXPECT_EQ(st.PS, readable ? w->Ps : "") << st.Channel;
    withRds += readable;
  }
  EXPECT_GE(withRds, 8);

  // Every channel was read twice and logged; the end tunes back.
  EXPECT_EQ(app.bandscan.ScanLog.size(), 206u);
  for (const BandscanReading& r : app.bandscan.BandscanReadings) EXPECT_NE(r.Level, -999);
  EXPECT_EQ(TuneOrders("087500*F"), 1);
  EXPECT_EQ(TuneOrders("108000*F"), 1);
  EXPECT_EQ(Model().TunedKHz(), 101300);
  EXPECT_EQ(app.status.Text(), "");
  EXPECT_TRUE(app.bandscan.AcquireEnabled);
  EXPECT_FALSE(app.bandscan.StopEnabled);
  EXPECT_EQ(app.bandscan.BandscanAcquiredText.rfind("2024-01-15 12:", 0), 0u);
  EXPECT_GT(app.bandscan.AcquiredAtWall, 0);  // when, for the metrics endpoint
  // The scan's tuning was no station change; the return tune is.
  EXPECT_EQ(app.link.state.FrequencyText, "101.30 MHz");
  EXPECT_EQ(app.link.state.CurrentMode, 0);
}

TEST_F(ScanOnSim, AScanStartedFromSocketControlIsStampedInTheScriptForms) {
  const FormatSettings saved = Formats();
  UseStartFormats();
  ConnectSerial();
  app.automation.script.ExeScript("#SOCKET:BANDSCAN.ACQUIRE");
  for (int i = 0; i < 100 && !app.bandscan.Running(); ++i) Advance(100);
  ASSERT_TRUE(RunScan(600'000));
  EXPECT_EQ(app.bandscan.BandscanAcquiredText.rfind("2024/01/15 12:", 0), 0u)
      << app.bandscan.BandscanAcquiredText;
  Formats() = saved;
}

TEST_F(ScanOnSim, StopKeepsWhatWasReadUntilTheNextProcessing) {
  ConnectSerial();
  EXPECT_EQ(app.bandscan.Timer5().Interval(), 40);  // serial
  app.bandscan.IAeverButton24Click();
  for (int i = 0; i < 1000 && app.bandscan.ScanChannel < 25; ++i) Advance(100);
  app.bandscan.IAeverButton25Click();
  const int stoppedAt = app.bandscan.ScanChannel;
  const auto stations = app.bandscan.StationList;  // as of channel 16
  const ChannelLevels display = app.bandscan.DisplayLevel;
  Advance(5000);
  EXPECT_FALSE(app.bandscan.Running());
  EXPECT_EQ(app.bandscan.ScanChannel, stoppedAt);
  for (int ch = 0; ch < kScanChannels; ++ch)
    EXPECT_EQ(app.bandscan.BandscanReadings[ch].Level == -999, ch >= stoppedAt) << ch;
  EXPECT_EQ(app.bandscan.StationList, stations);
  EXPECT_EQ(app.bandscan.DisplayLevel, display);
  EXPECT_FALSE(app.bandscan.BandscanAcquiredText.empty());  // past the sixth channel

  app.bandscan.ProcessBandscan();
  EXPECT_EQ(Channels(), (std::vector<int>{1, 18}));  // 87.6 and 89.3 MHz
}

TEST_F(ScanOnSim, ScriptWaitsForTheScanAndReadsItsStations) {
  test::TempDir dir;
  const std::string file = dir / "scan.fms";
  std::ofstream(file) << "BANDSCAN.ACQUIRE\r\nSET(stationindex,2)\r\n"
                         "STATUSBARTEXT(%stationcount %station.frequency %station.level)\r\n";
  ConnectTcp();
  app.automation.script.ExeScript(file);
  Advance(1000);
  EXPECT_TRUE(app.bandscan.Running());
  EXPECT_FALSE(app.automation.script.Timer13().Enabled());
  EXPECT_EQ(app.status.Text(), kScanningText);
  ASSERT_TRUE(RunScan(200'000));
  Advance(2000);
  const TStationList& second = app.bandscan.StationList.at(1);
  EXPECT_EQ(app.status.Text(), std::to_string(app.bandscan.StationList.size()) + " 89.3 " +
                                   std::to_string(second.Signal));
}

// The M40 reports raw levels, not dBuV: the calibration table turns them
// into dB, and the same stations stand out.
class ScanOnM40 : public ScanOnSim {
 protected:
  static sim::SimOptions M40() {
    sim::SimOptions o;
    o.Device = sim::DeviceModel::M40;
    return o;
  }
  ScanOnM40() : ScanOnSim(M40()) {}
};

TEST_F(ScanOnM40, CalibratedLevelsFindTheSameStations) {
  ConnectSerial();
  app.bandscan.IAeverButton24Click();
  ASSERT_TRUE(RunScan(200'000));
  EXPECT_FALSE(app.link.state.LevelInDbuv);
  EXPECT_EQ(Channels(), WorldChannels());
  // The loudest (84 dBuV at 103.9 MHz) reads near the top of the scale.
  int strongest = 0;
  for (const TStationList& s : app.bandscan.StationList) strongest = std::max(strongest, s.Signal);
  EXPECT_GE(strongest, 70);
  EXPECT_LE(strongest, 90);
}

// A serial port that answers like the analyzer: "?F" with the tuned
// frequency (or, for the first LaggingAnswers, the one before), "?G" with a
// fixed reading while AnswerFastSignal allows it.
class ScriptedAnalyzer : public test::FakeSerialPort {
 public:
  void Write(const std::string& bytes) override {
    FakeSerialPort::Write(bytes);
    if (bytes.size() == 8 && bytes.ends_with("*F")) {
      previous_ = tuned_;
      tuned_ = std::stoi(bytes.substr(0, 6));
    } else if (bytes == "?F") {
      const int khz = LaggingAnswers-- > 0 ? previous_ : tuned_;
      char text[32];
      std::snprintf(text, sizeof text, "%3d.%02d MHz", khz / 1000, khz % 1000 / 10);
      Arrive(std::string("Frequency:\r\n") + text + "\r\n\r\n");
    } else if (bytes == "?G" && AnswerFastSignal(tuned_)) {
      std::string reading = "   20    180    300";
      if (!NextFastSignal.empty()) {
        reading = NextFastSignal.front();
        NextFastSignal.pop_front();
      }
      Arrive("Fast Signal Info:\r\n" + reading + "\r\n\r\n");
    }
  }
  // Only the scan's commands, in the order written.
  std::vector<std::string> ScanWrites() const {
    std::vector<std::string> w;
    for (const std::string& c : Written)
      if (c == "?F" || c == "?G" || c.ends_with("0*F")) w.push_back(c);
    return w;
  }
  int LaggingAnswers = 0;
  std::deque<std::string> NextFastSignal;  // answers before the usual one
  std::function<bool(int khz)> AnswerFastSignal = [](int) { return true; };

 private:
  int tuned_ = 101300, previous_ = 101300;
};

class ScanOnScriptedPort : public ::testing::Test {
 protected:
  void Connect() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    AdvanceVirtual(clock, app.timers, 4000);
    serial.Written.clear();
  }
  VirtualClock clock;
  ScriptedAnalyzer serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
};

TEST_F(ScanOnScriptedPort, UnconfirmedTuneIsAskedAgainThenTunedAgain) {
  Connect();
  ASSERT_EQ(app.link.state.FrequencyText, "101.30 MHz");
  serial.LaggingAnswers = 4;
  app.bandscan.IAeverButton24Click();
  AdvanceVirtual(clock, app.timers, 2000);
  const auto w = serial.ScanWrites();
  ASSERT_GE(w.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(w.begin(), w.begin() + 8),
            (std::vector<std::string>{"087500*F", "?F", "?F", "?F", "?F", "087500*F", "?F", "?G"}));
  EXPECT_GE(app.bandscan.ScanChannel, 1);
}

TEST_F(ScanOnScriptedPort, AChannelStuckForAHundredTicksAbandonsTheScan) {
  Connect();
  // Channels 87.5 .. 88.2 MHz answer, 88.3 MHz never does.
  serial.AnswerFastSignal = [](int khz) { return khz < 88300; };
  app.bandscan.IAeverButton24Click();
  AdvanceVirtual(clock, app.timers, 60'000);
  EXPECT_FALSE(app.bandscan.Running());
  EXPECT_EQ(app.bandscan.ScanChannel, 8);
  EXPECT_EQ(app.bandscan.ScanTicks, 100);
  for (int ch = 0; ch < 8; ++ch)
    EXPECT_EQ(app.bandscan.BandscanReadings[ch], (BandscanReading{20, 300, 180})) << ch;
  EXPECT_EQ(app.bandscan.BandscanReadings[8].Level, -999);
  EXPECT_EQ(app.bandscan.ScanLog.front(), "875: 180 180, 300 300, 20 20");
  EXPECT_FALSE(app.bandscan.BandscanAcquiredText.empty());
  EXPECT_TRUE(app.bandscan.AcquireEnabled);
  EXPECT_EQ(app.status.Text(), "");
  // Back to where the scan started.
  std::string lastTune;
  for (const std::string& c : serial.Written)
    if (c.ends_with("*F")) lastTune = c;
  EXPECT_EQ(lastTune, "101300*F");
}

TEST_F(ScanOnScriptedPort, AFirstReadingAtOffsetZeroIsTakenAgain) {
  Connect();
  serial.NextFastSignal = {"   20      0    300"};
  app.bandscan.IAeverButton24Click();
  AdvanceVirtual(clock, app.timers, 3000);
  const auto w = serial.ScanWrites();
  const auto next = std::find(w.begin(), w.end(), "087600*F");
  ASSERT_NE(next, w.end());
  // Offset 0, then the first reading again, then the second.
  EXPECT_EQ(std::count(w.begin(), next, "?G"), 3);
  EXPECT_EQ(app.bandscan.ScanLog.front(), "875: 180 180, 300 300, 20 20");
}

}  // namespace
}  // namespace sondaro
