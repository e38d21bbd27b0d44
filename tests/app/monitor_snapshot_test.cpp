// The readings the metrics endpoint gets beyond the placeholders' own:
// carrier offset, the MPX capture and the band scan, each left out while
// there is none.
#include <gtest/gtest.h>

#include <chrono>

#include "support/app_fixture.h"

namespace sondaro::test {
namespace {

using MonitorSnapshotTest = AppFixture;

TEST_F(MonitorSnapshotTest, ReadingsWithoutAValueAreLeftOut) {
  const MonitorSnapshot s = app.BuildMonitorSnapshot();
  EXPECT_FALSE(s.CarrierOffsetHz);
  EXPECT_FALSE(s.MpxPeakLeftDb);
  EXPECT_FALSE(s.MpxPeakRightDb);
  EXPECT_FALSE(s.PilotPhaseRadians);
  EXPECT_FALSE(s.BandscanFinishedSeconds);
  EXPECT_EQ(s.BandscanStations, 0);
  EXPECT_FALSE(s.Version.empty());
}

TEST_F(MonitorSnapshotTest, OffsetMpxAndBandscan) {
  MeasurementState& m = app.link.state;
  m.CarrierNormalKHz = 323.0f;
  m.ReferenceFrequencyMHz = 98.5f;
  m.FrequencyMHz = 101.7f;
  m.IfKHz = 324.25f;
  m.LevelInDbuv = true;

  MpxCapture& x = app.mpx.capture;
  x.PeakLevelLeft = -2.5f;  // the right channel had no level
  x.PilotAmplitude = kStereoPilotThreshold + 1;
  x.PilotPhase = 3.0f;  // as the stereo decoder leaves it: twice the pilot's

  app.bandscan.StationList.resize(7);
  app.bandscan.AcquiredAtWall = clock.WallNow() - 90'000;

  const MonitorSnapshot s = app.BuildMonitorSnapshot();
  EXPECT_EQ(s.CarrierOffsetHz, 1250);
  EXPECT_EQ(s.MpxPeakLeftDb, -2.5);
  EXPECT_FALSE(s.MpxPeakRightDb);
  EXPECT_FLOAT_EQ(*s.PilotPhaseRadians, 1.5);
  EXPECT_EQ(s.BandscanStations, 7);
  const double unixNow =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  ASSERT_TRUE(s.BandscanFinishedSeconds);
  EXPECT_NEAR(*s.BandscanFinishedSeconds, unixNow - 90, 2);

  // Without a stereo pilot there is no phase to speak of.
  x.PilotAmplitude = kStereoPilotThreshold - 1;
  EXPECT_FALSE(app.BuildMonitorSnapshot().PilotPhaseRadians);
}

}  // namespace
}  // namespace sondaro::test
