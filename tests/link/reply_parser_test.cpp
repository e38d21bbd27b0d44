#include "link/reply_parser.h"

#include <gtest/gtest.h>

#include <random>

#include "core/formats.h"
#include "support/app_fixture.h"

namespace sondaro {
namespace {

using test::AppFixture;

std::string Section(const std::string& header, const std::string& body) {
  return header + ":\r\n" + body + "\r\n\r\n";
}

TEST(ScanFrame, CutsOneSectionAndLeavesTheRestForTheNext) {
  const std::string buf = "noise\r\nLevel:\r\n 54 dBuV\r\n\r\nPilot:\r\n";
  FrameScan s = ScanFrame(buf);
  ASSERT_TRUE(s.Frame);
  EXPECT_EQ(s.Frame->SectionHeader, "Level");
  EXPECT_EQ(s.Frame->SectionBody, " 54 dBuV");
  EXPECT_EQ(buf.substr(s.Consumed), "\n 54 dBuV\r\n\r\nPilot:\r\n");
  s = ScanFrame(buf.substr(s.Consumed));
  EXPECT_TRUE(s.HeaderFound);
  EXPECT_FALSE(s.Frame);  // Pilot waits for its empty line
}

TEST(ScanFrame, HeaderAndBodyCornerCases) {
  struct Case {
    const char* buffer;
    const char* header;  // nullptr: no complete section
    const char* body;
  } cases[] = {
      {"Signal Quality:\r\n\r\n", "Signal Quality", ""},
      {"a\rb:\r\nx\r\n\r\n", "a\rb", "x"},          // a lone CR stays in the header
      {"junk Level:\r\nx\r\n\r\n", "junk Level", "x"},  // noise on the header line
      {"RT:\r\nline1\r\nline2\r\n\r\n", "RT", "line1\r\nline2"},
      {"a::\r\r:\r\nb\r\r\n\r\n", "a::\r\r", "b\r"},  // near misses before each match
      {"PS:\r\nNAME", nullptr, nullptr},
      {"PS:\r", nullptr, nullptr},  // the header's line end still on its way
      {"no header at all\r\n\r\n", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const FrameScan s = ScanFrame(c.buffer);
    if (!c.header) {
      EXPECT_FALSE(s.Frame) << c.buffer;
      continue;
    }
    ASSERT_TRUE(s.Frame) << c.buffer;
    EXPECT_EQ(s.Frame->SectionHeader, c.header);
    EXPECT_EQ(s.Frame->SectionBody, c.body);
  }
}

TEST(ReadingParsers, PhaseFolding) {
  struct Case {
    const char* body;
    const char* text;
    float deg;
  } cases[] = {{"  200 deg", "  20 deg", 20},   {"  100 deg", "  -80 deg", -80},
               {"  270 deg", "  90 deg", 90},   {"   45 deg", "  45 deg", 45},
               {"  370 deg", "", 999},          {"  200", "", 999},
               {"1 deg", "", 999},              {"  abc deg", "", 999},
               {"  -30 deg", "  -30 deg", -30}, {"  360 deg", "  0 deg", 0}};
  for (const auto& c : cases) {
    const PhaseReading r = ParsePhase(c.body);
    EXPECT_EQ(r.Text, c.text) << c.body;
    EXPECT_EQ(r.Degrees, c.deg) << c.body;
  }
}

TEST(ReadingParsers, NumbersWithTheirFallbacks) {
  const char saved = Formats().DecimalSeparator;
  Formats().DecimalSeparator = ',';
  EXPECT_FLOAT_EQ(ParseKHz("   6.8 kHz"), 6.8f);
  Formats().DecimalSeparator = saved;
  EXPECT_FLOAT_EQ(ParseKHz("  999.0 kHz"), -1);
  EXPECT_FLOAT_EQ(ParseKHz("  655.0 kHz"), 655);
  EXPECT_FLOAT_EQ(ParseKHz("garbage"), -1);
  // Every reading stays finite: exponents, infinities and numbers beyond a
  // float are unreadable.
  const std::vector<std::string> unreadable = {"-1e99 kHz", "9e99 kHz", "1e2 kHz", "inf kHz",
                                               "-inf kHz", "nan kHz", "-" + std::string(60, '9') + " kHz"};
  for (const std::string& body : unreadable)
    EXPECT_FLOAT_EQ(ParseKHz(body), -1) << body;
  EXPECT_FLOAT_EQ(ParseFrequencyMHz("101.30 MHz"), 101.3f);
  EXPECT_FLOAT_EQ(ParseFrequencyMHz(" 98.50 MHz"), 98.5f);
  EXPECT_FLOAT_EQ(ParseFrequencyMHz("xx"), 0);
  EXPECT_FLOAT_EQ(ParseIfKHz("323.45 kHz"), 323.45f);
  EXPECT_FLOAT_EQ(ParseIfKHz("bad"), 323.0f);
}

class ParserTest : public AppFixture {
 protected:
  void SetUp() override {
    ConnectSerial();
    app.link.parser.hooks.FrequencyChangeClears.push_back([this] { ++resets; });
  }
  int resets = 0;
};

TEST_F(ParserTest, LevelThenPartialPilotWaits) {
  Receive(Section("Level", " 54 dBuV") + "Pilot:\r\n");
  EXPECT_EQ(app.link.state.LevelText, " 54 dBuV");
  EXPECT_TRUE(app.link.state.LevelInDbuv);
  EXPECT_EQ(app.link.parser.Timer12().Interval(), 20);
  EXPECT_NE(app.link.connection.ReceiveBuffer().find("Pilot:"), std::string::npos);
  Receive("   6.8 kHz\r\n\r\n");
  EXPECT_FLOAT_EQ(app.link.state.PilotKHz, 6.8f);
  EXPECT_EQ(app.link.readouts.Label15, "   6.8 kHz");
  EXPECT_EQ(app.link.parser.Timer12().Interval(), 100);
}

TEST_F(ParserTest, OneSectionPerTickAtTwentyMilliseconds) {
  std::string burst;
  for (int i = 0; i < 5; ++i) burst += Section("R/L", std::to_string(i));
  serial.Arrive(burst);
  // The idle parser ticks every 100 ms; once it has a section it goes to 20.
  for (int i = 0; i < 100 && app.link.state.BalanceText.empty(); ++i) Advance(1);
  EXPECT_EQ(app.link.state.BalanceText, "0");
  Advance(19);
  EXPECT_EQ(app.link.state.BalanceText, "0");
  Advance(1 + 20 * 3);
  EXPECT_EQ(app.link.state.BalanceText, "4");
}

TEST_F(ParserTest, QualityEmptyBodyAndAwaitedLetterCleared) {
  app.link.Send("?Q");
  EXPECT_TRUE(app.link.queue.MaSeCekat());
  Receive(Section("Signal Quality", "    4"));
  EXPECT_EQ(app.link.state.SignalQuality, 4);
  EXPECT_FALSE(app.link.queue.MaSeCekat());
  Receive("Signal Quality:\r\n\r\n");
  EXPECT_EQ(app.link.state.SignalQuality, 0);
}

TEST_F(ParserTest, FrequencyChangeRunsTheResetOncePerNewText) {
  Receive(Section("Frequency", "101.30 MHz"));
  EXPECT_EQ(resets, 1);
  EXPECT_FLOAT_EQ(app.link.state.FrequencyMHz, 101.3f);
  EXPECT_EQ(app.link.readouts.Label1, "101.30 MHz");
  Receive(Section("Frequency", "101.30 MHz"));
  EXPECT_EQ(resets, 1);
  Receive(Section("Frequency", " 98.50 MHz"));
  EXPECT_EQ(resets, 2);
  EXPECT_FLOAT_EQ(app.link.state.FrequencyMHz, 98.5f);
}

TEST_F(ParserTest, ResetOrderRelayAndStarR) {
  std::vector<std::string> log;
  auto& h = app.link.parser.hooks;
  h.FrequencyChangeClears = {[&] { log.push_back("PM"); }, [&] { log.push_back("FDev"); }};
  h.SendToQuillet = [&](const std::string& g) { log.push_back(g); };
  h.RelayListening = [] { return true; };
  app.link.state.CurrentMode = 1;
  app.link.state.IfValid = true;
  Receive(Section("Frequency", " 98.50 MHz"), 100);
  EXPECT_EQ(log, (std::vector<std::string>{"PM", "FDev", "RESET-----------"}));
  EXPECT_FALSE(app.link.state.IfValid);
  // Queued, and written by the time the section was worked off.
  ASSERT_FALSE(serial.Written.empty());
  EXPECT_EQ(serial.Written.back(), "*R");
}

TEST_F(ParserTest, FrequencyDuringBandscanOnlyStoresTheText) {
  app.link.parser.hooks.BandscanRunning = [] { return true; };
  Receive(Section("Frequency", " 88.00 MHz"));
  EXPECT_EQ(app.link.state.FrequencyText, " 88.00 MHz");
  EXPECT_EQ(app.link.readouts.Label1, "");
  EXPECT_EQ(resets, 0);
}

TEST_F(ParserTest, MaxIsIgnoredOutsideMeasuringAndTogglesFollowUps) {
  app.link.state.CurrentMode = 1;
  app.link.Send("?M");
  Receive(Section("MAX", "  75.3 kHz"));
  EXPECT_TRUE(app.link.queue.MaSeCekat());
  EXPECT_EQ(app.link.state.DeviationMaxText, "");
  Advance(5000);
  serial.Written.clear();

  app.link.state.CurrentMode = 0;
  bool online = true;
  app.link.parser.hooks.OnlineChecked = [&] { return online; };
  app.link.state.SignalQuality = 4;
  Receive(Section("MAX", "  75.3 kHz"));
  EXPECT_EQ(app.link.state.DeviationMaxText, "75.3 kHz");
  EXPECT_EQ(app.link.readouts.Label22, "75.3 kHz");
  app.link.state.SignalQuality = 7;  // shown as 5 on the bar
  Receive(Section("MAX", "  76.0 kHz"));
  EXPECT_EQ(app.link.readouts.Label22, "76.0 kHz");
  Advance(1000);
  EXPECT_EQ(serial.Written, (std::vector<std::string>{"?Q", "?L", "?R", "?E"}));
}

TEST_F(ParserTest, PhaseShowsInThirdFrameOnlyWhenNotOnline) {
  Receive(Section("RDS Phase Difference", "  200 deg"));
  EXPECT_EQ(app.link.readouts.Label22, "  20 deg");
  EXPECT_FLOAT_EQ(app.link.state.PhaseDeg, 20);
  app.link.parser.hooks.OnlineChecked = [] { return true; };
  Receive(Section("RDS Phase Difference", "  370 deg"));
  EXPECT_EQ(app.link.readouts.Label22, "  20 deg");
  EXPECT_EQ(app.link.state.PhaseText, "");
  EXPECT_FLOAT_EQ(app.link.state.PhaseDeg, 999);
}

TEST_F(ParserTest, MpxChartRefreshOnlyWhenValueChangesOnShownIdlePage) {
  int refreshes = 0;
  app.link.parser.hooks.MpxPageShown = [] { return true; };
  app.link.parser.hooks.RefreshMpxChart = [&] { ++refreshes; };
  Receive(Section("Pilot", "   6.8 kHz"));
  Receive(Section("Pilot", "   6.8 kHz"));
  EXPECT_EQ(refreshes, 1);
  app.link.parser.hooks.MpxRunActive = [] { return true; };
  Receive(Section("Pilot", "   7.0 kHz"));
  EXPECT_EQ(refreshes, 1);
  EXPECT_FLOAT_EQ(app.link.state.LastPilotKHz, 7.0f);
}

TEST_F(ParserTest, IfReadingAndPendingCarrierSteps) {
  int setNormal = 0, offset = 0;
  app.link.parser.hooks.SetNormalStep = [&] { ++setNormal; };
  app.link.parser.hooks.OffsetCheck = [&] { ++offset; };
  app.link.state.SetNormalPending = true;
  Receive(Section("IF", "324.10 kHz"));
  EXPECT_FLOAT_EQ(app.link.state.IfKHz, 324.1f);
  EXPECT_TRUE(app.link.state.IfValid);
  EXPECT_EQ(setNormal, 1);
  EXPECT_EQ(offset, 0);
  Receive(Section("IF", "???"));
  EXPECT_FLOAT_EQ(app.link.state.IfKHz, 323.0f);
}

TEST_F(ParserTest, SectionsGoToTheirHooksWithTheirLetters) {
  std::vector<std::string> got;
  auto& h = app.link.parser.hooks;
  h.StoreRdsField = [&](const std::string& t, const std::string& b) { got.push_back(t + "=" + b); };
  h.Histogram = [&](const std::string& b) { got.push_back("H=" + b); };
  h.ModulationPower = [&](const std::string& b) { got.push_back("P=" + b); };
  h.RawGroup = [&](const std::string& b) { got.push_back("G=" + b); };
  h.MemoryDump = [&](const std::string& b) { got.push_back("HEX=" + b); };
  for (const char* q : {"?D", "?T", "?H", "?P"}) app.link.Send(q);
  Receive(Section("PS", "RADIO 1 ") + Section("EON", "x") + Section("RDS Group Statistics", "s") +
              Section("Histogram Data", "h") + Section("Pm", "-1.2") +
              Section("Modulation Power", "0.5") + Section("G", "2F0104084142434") +
              Section("HEX", "4CE,00E") + Section("Unknown", "u"),
          2000);
  EXPECT_EQ(got, (std::vector<std::string>{"PS=RADIO 1 ", "EON=x", "RDS Group Statistics=s",
                                           "H=h", "P=-1.2", "P=0.5", "G=2F0104084142434",
                                           "HEX=4CE,00E"}));
  EXPECT_FALSE(app.link.queue.MaSeCekat());
}

TEST_F(ParserTest, NoiseBeforeHeaderLineIsDropped) {
  Receive("garbage bytes\r\n" + Section("R/L", "L>R"));
  EXPECT_EQ(app.link.state.BalanceText, "L>R");
  Receive("garbage R/L:\r\nX\r\n\r\n");
  EXPECT_EQ(app.link.state.BalanceText, "L>R");
}

TEST_F(ParserTest, ArbitraryBytesNeverGrowTheBufferWithoutBound) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255), len(1, 600);
  const char* pieces[] = {":\r\n", "\r\n\r\n", "Frequency", "W", "\r\n"};
  for (int i = 0; i < 400; ++i) {
    std::string chunk;
    const int n = len(rng);
    for (int k = 0; k < n; ++k) {
      if (byte(rng) < 20) chunk += pieces[byte(rng) % 5];
      else chunk += static_cast<char>(byte(rng));
    }
    serial.Arrive(chunk);
    Advance(20);
    ASSERT_LE(app.link.connection.ReceiveBuffer().size(), 5000u + 600u * 4);
  }
}

TEST_F(ParserTest, AFullBufferThatCannotCompleteASectionIsFreedAgain) {
  // 5000 bytes of line noise with no header, then a half section that never
  // ends: both would otherwise shut the link for good.
  Receive(std::string(5000, 'n'));
  Receive(Section("R/L", "A"));
  EXPECT_EQ(app.link.state.BalanceText, "A");
  Receive("W:\r\n" + std::string(5200, 'x'));
  Receive(Section("R/L", "B"));
  EXPECT_EQ(app.link.state.BalanceText, "B");
}

}  // namespace
}  // namespace sondaro
