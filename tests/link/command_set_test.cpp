#include "link/command_set.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "link/command_queue.h"
#include "link/mode_tuning.h"

namespace sondaro {
namespace {

using Commands = std::vector<std::string>;

TEST(CommandSet, TuneCommandFromListTexts) {
  struct Case {
    const char* text;
    const char* command;
  } cases[] = {{"87.50 MHz", "087500*F"}, {"108.00 MHz", "108000*F"}, {"98.50 MHz", "098500*F"},
               {"101.30 MHz", "101300*F"}, {"98.55 MHz", "098550*F"}, {"100.00 MHz", "100000*F"}};
  for (const Case& c : cases) EXPECT_EQ(TuneCommand(c.text), c.command) << c.text;
}

TEST(CommandSet, EveryListEntryTunesToItsOwnSixDigitKilohertz) {
  for (bool fine : {false, true}) {
    const auto texts = BuildFrequencyTexts(fine);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const int kHz = 87500 + static_cast<int>(i) * (fine ? 50 : 100);
      char expected[16];
      std::snprintf(expected, sizeof expected, "%06d*F", kHz);
      ASSERT_EQ(TuneCommand(texts[i]), expected) << texts[i];
    }
  }
}

TEST(CommandSet, ArgumentEncodingsAndTheirRanges) {
  EXPECT_EQ(LoadInternalFileCommand(7), "07*L");
  EXPECT_EQ(LoadInternalFileCommand(1), "01*L");
  EXPECT_EQ(LoadInternalFileCommand(30), "30*L");
  EXPECT_EQ(LoadInternalFileCommand(0), std::nullopt);
  EXPECT_EQ(LoadInternalFileCommand(31), std::nullopt);
  EXPECT_EQ(DipCommand(0, 0), "DIP0:0*X");
  EXPECT_EQ(DipCommand(4, 1), "DIP4:1*X");
  EXPECT_EQ(DipCommand(5, 1), std::nullopt);
  EXPECT_EQ(DipCommand(-1, 1), std::nullopt);
  EXPECT_EQ(DipCommand(2, 2), std::nullopt);
  EXPECT_EQ(AlarmCommand('A', 7), "ARA:07*X");
  EXPECT_EQ(AlarmCommand('M', 99), "ARM:99*X");
  EXPECT_EQ(AlarmCommand('C', 0), "ARC:00*X");
  EXPECT_EQ(AlarmCommand('N', 1), std::nullopt);
  EXPECT_EQ(AlarmCommand('a', 1), std::nullopt);
  EXPECT_EQ(AlarmCommand('B', 100), std::nullopt);
  EXPECT_EQ(AlarmCommand('B', -1), std::nullopt);
  EXPECT_EQ(CaptureRequest(false), "1?W");
  EXPECT_EQ(CaptureRequest(true), "2?W");
}

TEST(CommandSet, ModeCommandsAndControlSequences) {
  EXPECT_EQ(ModeCommands(0, false), (Commands{"*E"}));
  EXPECT_EQ(ModeCommands(0, true), (Commands{"*E", "*M"}));
  EXPECT_EQ(ModeCommands(1, true), (Commands{"*D"}));
  EXPECT_EQ(ModeCommands(2, true), (Commands{"*B"}));
  EXPECT_EQ(ModeCommands(7, false), (Commands{"*E"}));
  EXPECT_EQ(HistogramAcquireSequence(), (Commands{"?F", "?H"}));
  EXPECT_EQ(RdsAcquireSequence(), (Commands{"?F", "?D", "?T"}));
  EXPECT_EQ(RawRdsRunSequence(), (Commands{"?F", "*D", "*R"}));
  EXPECT_EQ(MpxRunSequence(false), (Commands{"?F", "?Q", "?L", "?R", "?E", "?I", "*M", "1?W"}));
  EXPECT_EQ(MpxSingleSequence(true), (Commands{"?F", "?Q", "?L", "?R", "?E", "?I", "2?W"}));
  EXPECT_EQ(ModulationPowerRunSequence(true), (Commands{"*E", "*M", "*P"}));
  EXPECT_EQ(BandscanAcquireSequence(false), (Commands{"*E", "*p", "?U"}));
}

// Each catalogue command, the reply it waits for and how long the pacing
// tick holds the next command back after writing it.
TEST(CommandSet, CatalogueLettersAndPacingThroughTheQueue) {
  struct Case {
    std::string command;
    const char* letter;  // "" when none is awaited
    Millis pacing;
  } cases[] = {
      {cmd::kFrequency, "F", 30},      {cmd::kQuality, "Q", 30},     {cmd::kPilot, "L", 30},
      {cmd::kRdsDeviation, "R", 30},   {cmd::kPhase, "E", 30},       {cmd::kIf, "I", 30},
      {cmd::kLevel, "U", 30},          {cmd::kFastSignal, "G", 30},  {cmd::kHistogram, "H", 1100},
      {cmd::kRdsData, "D", 400},       {cmd::kRdsStatistics, "T", 400},
      {CaptureRequest(false), "W", 450}, {CaptureRequest(true), "W", 450},
      {cmd::kBlock, "B", 2000},        {cmd::kStatus, "S", 400},
      {cmd::kReadAlarmConfig, "", 30}, {cmd::kMeasuringMode, "", 400}, {cmd::kRdsMode, "", 400},
      {cmd::kStereoMode, "", 30},      {cmd::kMaxOn, "", 30},        {cmd::kMaxOff, "", 30},
      {cmd::kPmOn, "", 30},            {cmd::kPmOff, "", 30},        {cmd::kRawOn, "", 30},
      {cmd::kRawOff, "", 30},          {cmd::kRdsModeAndRaw, "", 30}, {cmd::kHistogramReset, "", 400},
      {cmd::kStoreSettings, "", 30},   {"07*L", "", 30},             {"098500*F", "", 30},
      {"DIP3:1*X", "", 30},            {"ARC:07*X", "", 30},
  };
  for (const Case& c : cases) {
    VirtualClock clock;
    TimerSet timers{clock};
    MeasurementState state;
    CommandQueue queue{timers, state, [](const std::string&) {}};
    queue.Send(c.command);
    const auto& pending = queue.PendingReplies();
    if (*c.letter) {
      ASSERT_EQ(pending.size(), 1u) << c.command;
      EXPECT_EQ(pending[0].Letter, c.letter) << c.command;
    } else {
      EXPECT_TRUE(pending.empty()) << c.command;
      EXPECT_FALSE(queue.MaSeCekat()) << c.command;
    }
    EXPECT_EQ(PacingAfter(c.command), c.pacing) << c.command;
  }
}

}  // namespace
}  // namespace sondaro
