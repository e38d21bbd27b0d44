// DIP switches and alarm outputs: the orders they send and the read-back of
// the alarm configuration, in virtual time.
#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace sondaro {
namespace {

using Commands = std::vector<std::string>;

class DevConfigTest : public test::AppFixture {
 protected:
  // Every command the queue writes within `ms`.
  Commands Written(Millis ms = 3000) {
    serial.Written.clear();
    Advance(ms);
    return serial.Written;
  }
};

TEST_F(DevConfigTest, DipOkSendsAllFiveCancelSendsNothingButKeepsTheChoice) {
  ConnectSerial();
  EXPECT_EQ(app.dip.Positions, (std::array<int, 5>{0, 0, 1, 0, 0}));
  bool ok = true;
  app.dip.ShowDialog = [&](DipSwitches& d) {
    d.Positions[2] = 0;
    d.Positions[4] = -1;  // no selection counts as 1
    return ok;
  };
  ok = false;
  app.dip.DIPSwitches1Click();
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(app.dip.Positions[2], 0);
  ok = true;
  app.dip.DIPSwitches1Click();
  EXPECT_EQ(Written(), (Commands{"DIP0:0*X", "DIP1:0*X", "DIP2:0*X", "DIP3:0*X", "DIP4:1*X"}));
}

TEST_F(DevConfigTest, AlarmOkSendsThirteenOrdersByLetterInWireUnits) {
  ConnectSerial();
  app.alarms.ShowDialog = [](AlarmOutputs& a) {
    a.Values[0] = 5;      // Alarm 1 time: 5 s -> 0
    a.Values[8] = 5850;   // pilot minimum: remainder dropped
    a.Values[12] = 7;     // hysteresis
    return AlarmDialogResult::Ok;
  };
  app.alarms.AlarmOutputs1Click();
  EXPECT_EQ(Written(5000),
            (Commands{"ARA:25*X", "ARB:88*X", "ARC:78*X", "ARD:78*X", "ARE:58*X", "ARF:77*X",
                      "ARG:00*X", "ARH:85*X", "ARI:00*X", "ARJ:06*X", "ARK:06*X", "ARL:06*X",
                      "ARM:07*X"}));
}

TEST_F(DevConfigTest, ReadBackFillsTheDialogOrKeepsItAfterThreeSeconds) {
  ConnectSerial();
  std::vector<bool> readEnabled;
  int shown = 0;
  app.alarms.ShowDialog = [&](AlarmOutputs& a) {
    readEnabled.push_back(a.ReadEnabled());
    return ++shown == 1 ? AlarmDialogResult::Read : AlarmDialogResult::Cancel;
  };
  app.alarms.AlarmOutputs1Click();
  EXPECT_EQ(app.status.Text(), "Reading actual configuration...");
  EXPECT_EQ(Written(500), (Commands{"4CE,00E?h"}));
  // 19 = 25 kHz, 3A = 5800 Hz, 03 = 30 s; "zz" is no byte: that field stays.
  serial.Arrive("HEX:\r\n4CE,00E: 19585A5A3A4D0055zz060606010000\r\n\r\n");
  Advance(1000);
  EXPECT_EQ(shown, 2);
  EXPECT_FALSE(app.alarms.ReadPending());
  EXPECT_EQ(app.status.Text(), "");
  EXPECT_EQ(app.alarms.Values[2], 25);
  EXPECT_EQ(app.alarms.Values[8], 5800);
  EXPECT_EQ(app.alarms.Values[0], 30);  // "zz" at the Alarm 1 time
  EXPECT_NE(app.alarms.ReadBackNotice.find("Alarm 1 Time duration"), std::string::npos);
  EXPECT_EQ(readEnabled, (std::vector<bool>{true, true}));

  // No answer: after about 3 s the dialog comes back as it was.
  shown = 0;
  app.alarms.Values[2] = 40;
  app.alarms.AlarmOutputs1Click();
  Advance(3000);
  EXPECT_EQ(shown, 1);
  Advance(200);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(app.alarms.Values[2], 40);
}

TEST(AlarmReadBack, ValuesOutsideAFieldAreRefusedNotClamped) {
  std::array<int, kAlarmFieldCount> v{};
  for (int i = 0; i < kAlarmFieldCount; ++i) v[i] = kAlarmFields[i].Initial;
  // FF kHz (255) cannot be an "AVE minimum"; 64 x 100 Hz = 10000 Hz is over 9900.
  const std::string refused = ApplyAlarmReadBack("FF00000064000000000000000000", v);
  EXPECT_EQ(v[2], 25);
  EXPECT_EQ(v[8], 5800);
  EXPECT_EQ(v[4], 0);
  EXPECT_NE(refused.find("AVE minimum"), std::string::npos);
  EXPECT_NE(refused.find("Pilot minimum"), std::string::npos);
}

TEST_F(DevConfigTest, ReadIsDisabledWithoutALink) {
  bool enabled = true;
  app.alarms.ShowDialog = [&](AlarmOutputs& a) {
    enabled = a.ReadEnabled();
    return AlarmDialogResult::Cancel;
  };
  app.alarms.AlarmOutputs1Click();
  EXPECT_FALSE(enabled);
}

}  // namespace
}  // namespace sondaro
