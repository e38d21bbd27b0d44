#include "link/mode_tuning.h"

#include <gtest/gtest.h>

#include "app/app.h"
#include "core/formats.h"
#include "support/timed_serial.h"

namespace sondaro {
namespace {

using Commands = std::vector<std::string>;

using test::TimedSerial;

class ModeTuningTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  TimedSerial serial{clock};
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
  ModeTuning& tuning = app.tuning;
  MeasurementState& state = app.link.state;
  bool mpxRun = false;
  int mpxCleared = 0;

  void SetUp() override {
    tuning.hooks.MpxRunActive = [this] { return mpxRun; };
    tuning.hooks.ClearMPX = [this] { ++mpxCleared; };
    app.link.connection.BitBtn2Click();
    Advance(4000);
    serial.Log.clear();
    serial.Written.clear();
  }
  void TearDown() override { Formats().DecimalSeparator = '.'; }
  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  void Receive(const std::string& bytes) {
    serial.Arrive(bytes);
    Advance(1000);
  }
  [[nodiscard]] Commands Queued() const {
    const auto& q = app.link.queue.Commands();
    return {q.begin(), q.end()};
  }
  void Select(const std::string& text) {
    const auto& list = tuning.FrequencyList();
    const auto it = std::find(list.begin(), list.end(), text);
    ASSERT_NE(it, list.end()) << text;
    tuning.SelectFrequency(static_cast<int>(it - list.begin()));
  }
};

TEST(FrequencyList, TextsInBothStepsWithAPointWhateverTheLocale) {
  Formats().DecimalSeparator = ',';
  const auto coarse = BuildFrequencyTexts(false);
  const auto fine = BuildFrequencyTexts(true);
  Formats().DecimalSeparator = '.';
  ASSERT_EQ(coarse.size(), 206u);
  ASSERT_EQ(fine.size(), 411u);
  EXPECT_EQ(coarse.front(), "87.50 MHz");
  EXPECT_EQ(coarse[1], "87.60 MHz");
  EXPECT_EQ(coarse[125], "100.00 MHz");
  EXPECT_EQ(coarse.back(), "108.00 MHz");
  EXPECT_EQ(fine[1], "87.55 MHz");
  EXPECT_EQ(fine[409], "107.95 MHz");
  EXPECT_EQ(fine.back(), "108.00 MHz");
}

TEST(FrequencyList, ValueOfAListText) {
  EXPECT_FLOAT_EQ(*FrequencyOfText("98.50 MHz"), 98.5f);
  EXPECT_FLOAT_EQ(*FrequencyOfText("101.30 MHz"), 101.3f);
  EXPECT_FLOAT_EQ(*FrequencyOfText("87.55 MHz"), 87.55f);
  EXPECT_EQ(FrequencyOfText("x8.50 MHz"), std::nullopt);
  EXPECT_EQ(FrequencyOfText("1"), std::nullopt);
  EXPECT_EQ(FrequencyOfText(""), std::nullopt);
}

TEST_F(ModeTuningTest, StepButtonsWrapAndDoNotTune) {
  tuning.SelectFrequency(205);
  tuning.Button1Click();
  EXPECT_EQ(tuning.FrequencyText(), "87.50 MHz");
  tuning.Button2Click();
  EXPECT_EQ(tuning.FrequencyText(), "108.00 MHz");
  tuning.Button2Click();
  EXPECT_EQ(tuning.FrequencyText(), "107.90 MHz");
  tuning.SelectFrequency(999);  // outside the list: the first entry
  EXPECT_EQ(tuning.FrequencyIndex(), 0);
  EXPECT_TRUE(Queued().empty());
}

TEST_F(ModeTuningTest, TuneWithoutOnlineAsksQualityAndIfThreeAndAHalfSecondsLater) {
  Select("101.30 MHz");
  const Millis t0 = clock.Now();
  tuning.IAeverButton19Click();
  EXPECT_EQ(Queued(), (Commands{"101300*F", "?F"}));
  EXPECT_FLOAT_EQ(state.FrequencyMHz, 101.3f);
  Advance(3499);
  EXPECT_EQ(Queued().size(), 0u);
  // Tuning again within the 3.5 s starts the wait over; one follow-up only.
  Select("87.50 MHz");
  const Millis t1 = clock.Now();
  tuning.IAeverButton19Click();
  Advance(10000);
  EXPECT_EQ(serial.Texts(), (Commands{"101300*F", "?F", "087500*F", "?F", "?Q", "?I"}));
  EXPECT_GE(serial.Log[0].first, t0);
  EXPECT_GE(serial.Log[4].first, t1 + kTuneFollowUpMs);
  EXPECT_LT(serial.Log[4].first, t1 + kTuneFollowUpMs + 100);
}

TEST_F(ModeTuningTest, TuneWhileOnlineOrDuringTheMpxRunAsksForMax) {
  tuning.SetOnline(true);
  Advance(1000);
  Select("87.50 MHz");
  tuning.IAeverButton19Click();
  EXPECT_EQ(Queued(), (Commands{"087500*F", "?F", "*M"}));
  tuning.SetOnline(false);
  Advance(1000);
  mpxRun = true;
  tuning.IAeverButton19Click();
  EXPECT_EQ(Queued(), (Commands{"087500*F", "?F", "*M"}));
  Advance(5000);
  EXPECT_FALSE(tuning.Timer4().Enabled());
}

TEST_F(ModeTuningTest, ModesButtonsLooksAndOrders) {
  struct Case {
    int mode;
    bool online;
    bool measuringPressed, rdsPressed;
    Commands sent;
  } cases[] = {{0, false, true, false, {"*E"}},
               {0, true, true, false, {"*E", "*M"}},
               {1, true, false, true, {"*D"}},
               {2, false, false, false, {"*B"}},
               {5, false, true, false, {"*E"}}};
  for (const Case& c : cases) {
    tuning.SetOnlineState(c.online);
    tuning.SetMode(c.mode);
    EXPECT_EQ(state.CurrentMode, c.mode);
    EXPECT_TRUE(Queued().empty());  // SetMode sends nothing
    EXPECT_EQ(tuning.MeasuringPressed(), c.measuringPressed) << c.mode;
    EXPECT_EQ(tuning.RdsPressed(), c.rdsPressed) << c.mode;
    tuning.SendMode();
    EXPECT_EQ(Queued(), c.sent) << c.mode;
    Advance(3000);
  }
  EXPECT_EQ(LookOf(false).Top, (Rgb{216, 216, 216}));
  EXPECT_EQ(LookOf(false).Bottom, (Rgb{192, 192, 192}));
  EXPECT_EQ(LookOf(true).Top, (Rgb{192, 192, 192}));
  EXPECT_TRUE(LookOf(true).Sunken);
  EXPECT_FALSE(LookOf(false).Sunken);
}

TEST_F(ModeTuningTest, RdsButtonRestartsRawGroupsForTheRunningDecoder) {
  bool capture = true, quillet = false;
  tuning.hooks.RawCaptureRunning = [&] { return capture; };
  tuning.hooks.QuilletRunning = [&] { return quillet; };
  tuning.IAeverButton33Click();
  EXPECT_EQ(Queued(), (Commands{"*D"}));
  Advance(3000);
  quillet = true;
  tuning.IAeverButton33Click();
  EXPECT_EQ(Queued(), (Commands{"*D", "*R"}));
  Advance(3000);
  tuning.IAeverButton34Click();
  EXPECT_EQ(Queued(), (Commands{"*E"}));
  EXPECT_EQ(state.CurrentMode, 0);
}

TEST_F(ModeTuningTest, OnlineSwitchCaptionsAndOrders) {
  state.PhaseText = "  12 deg";
  tuning.SetOnline(true);
  EXPECT_EQ(app.link.readouts.Beveles5Caption, "Deviation MAX");
  EXPECT_EQ(app.link.readouts.Label22, "        kHz");
  tuning.SetOnline(false);
  EXPECT_EQ(app.link.readouts.Beveles5Caption, "Phase Diff.");
  EXPECT_EQ(app.link.readouts.Label22, "  12 deg");
  EXPECT_EQ(Queued(), (Commands{"*M", "*m"}));
  // The parser's "MAX" handling follows the check box.
  EXPECT_FALSE(app.link.parser.hooks.OnlineChecked());
}

TEST_F(ModeTuningTest, CarrierOffsetAgainstAReferenceStation) {
  Select("98.50 MHz");
  tuning.IAeverButton19Click();
  Advance(1000);
  // No IF reading since the tune: ask for one; its section sets the normal.
  tuning.SetasNormal2Click();
  EXPECT_TRUE(state.SetNormalPending);
  EXPECT_EQ(Queued(), (Commands{"?I"}));
  Receive("Frequency:\r\n 98.50 MHz\r\n\r\nIF:\r\n300.00 kHz\r\n\r\n");
  EXPECT_FALSE(state.SetNormalPending);
  // 300.0 + (98.5 - 87.5) / 3.7 on an analyzer without dBuV levels.
  EXPECT_NEAR(state.CarrierNormalKHz, 302.97, 0.005);
  EXPECT_FLOAT_EQ(state.ReferenceFrequencyMHz, 98.5f);
  // A second "Set as Normal" uses the stored reading at once.
  Advance(5000);
  tuning.SetasNormal2Click();
  EXPECT_TRUE(Queued().empty());

  // "Read" on the reference itself stays pending and shows nothing.
  tuning.Read1Click();
  EXPECT_EQ(Queued(), (Commands{"?I"}));
  Receive("IF:\r\n300.00 kHz\r\n\r\n");
  EXPECT_TRUE(state.ReadOffsetPending);
  EXPECT_TRUE(dialogs.Messages.empty());

  // The next tune clears it; "Read" at the other station gives the offset.
  Select("101.30 MHz");
  tuning.IAeverButton19Click();
  EXPECT_FALSE(state.ReadOffsetPending);
  Receive("Frequency:\r\n101.30 MHz\r\n\r\n");
  Formats().DecimalSeparator = ',';
  tuning.Read1Click();
  Receive("IF:\r\n301.00 kHz\r\n\r\n");
  // 301.0 - 302.97 + (101.3 - 87.5) / 3.7 = 1.76
  EXPECT_EQ(dialogs.Messages,
            (Commands{"Carrier offset: 1,8 kHz (reference station: 98,50 MHz)\r\n"}));
  EXPECT_FALSE(state.ReadOffsetPending);
}

TEST_F(ModeTuningTest, CarrierNormalEdgeCases) {
  tuning.Read1Click();
  EXPECT_EQ(dialogs.Messages, (Commands{"No carrier normal set."}));
  EXPECT_TRUE(Queued().empty());

  struct Case {
    float ifKHz, mhz;
    bool dbuv;
    float normal;
  } cases[] = {{300.0f, 98.5f, true, 300.0f},     // dBuV analyzers: the plain IF
               {270.0f, 98.5f, false, 0.0f},      // no usable IF
               {300.0f, 87.3f, false, 0.0f},      // not tuned to the band
               {323.0f, 87.5f, false, 323.0f}};
  for (const Case& c : cases) {
    state.IfValid = true;
    state.IfKHz = c.ifKHz;
    state.FrequencyMHz = c.mhz;
    state.LevelInDbuv = c.dbuv;
    tuning.SetasNormal2Click();
    EXPECT_FLOAT_EQ(state.CarrierNormalKHz, c.normal) << c.ifKHz << " " << c.mhz;
  }
}

TEST_F(ModeTuningTest, AcquireAllPausesTheWholeProgramForSixHundredMilliseconds) {
  const Millis t0 = clock.Now();
  tuning.BitBtn19Click();
  EXPECT_EQ(mpxCleared, 1);
  EXPECT_EQ(clock.Now(), t0 + kAcquireAllPauseMs);  // nothing ran meanwhile
  EXPECT_TRUE(serial.Log.empty());
  // The repeated requests were dropped while the first was still queued.
  EXPECT_EQ(Queued(), (Commands{"1?W", "?B"}));
  Advance(3000);
  ASSERT_EQ(serial.Log.size(), 2u);
  EXPECT_EQ(serial.Log[1].first - serial.Log[0].first, 450);  // a capture holds the queue
  tuning.hooks.DoubleTimeBase = [] { return true; };
  tuning.BitBtn19Click();
  EXPECT_EQ(Queued(), (Commands{"2?W", "?B"}));
}

TEST_F(ModeTuningTest, LoadInternalFileThenAcquireAllSevenHundredMillisecondsLater) {
  tuning.MLIFClick(3);
  EXPECT_EQ(state.CurrentMode, 2);
  EXPECT_FALSE(tuning.MeasuringPressed());
  EXPECT_FALSE(tuning.RdsPressed());
  EXPECT_EQ(Queued(), (Commands{"*B", "03*L"}));
  Advance(kAcquireAllDelayMs - 1);
  EXPECT_EQ(mpxCleared, 0);
  Advance(1);
  EXPECT_EQ(mpxCleared, 1);
  EXPECT_FALSE(tuning.TimerAcquireAll().Enabled());
  Advance(5000);
  EXPECT_EQ(serial.Texts(), (Commands{"*B", "03*L", "1?W", "?B"}));
  tuning.MLIFClick(31);  // no such entry
  EXPECT_TRUE(Queued().empty());
}

TEST_F(ModeTuningTest, SmallControls) {
  tuning.Label1DblClick();
  tuning.IAeverButton21Click();
  EXPECT_EQ(Queued(), (Commands{"?F", "*S"}));
  state.LastActivity = 0;
  app.link.queue.Timer10().SetEnabled(false);
  Advance(100);
  EXPECT_EQ(state.LastActivity, clock.Now());  // Timer3
}

}  // namespace
}  // namespace sondaro
