// Captures synthesised from a known MPX, demodulated: spectrum, pilot,
// stereo traces and levels; the edge cases of short and odd captures; the
// stream's buttons and tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "measure/mpx/mpx.h"
#include "sim/mpx.h"
#include "support/link_fixture.h"

namespace sondaro::test {
namespace {

// Pilot 6.8 kHz, RDS 3 kHz, a 3 kHz tone at full scale on one channel.
sim::Modulation ToneOn(bool left, double pilotKHz = 6.8) {
  sim::Modulation m;
  m.PilotKHz = pilotKHz;
  m.RdsKHz = 3;
  m.AudioKHz = 66;  // a full-scale channel: 33 kHz per channel after decoding
  m.Audio = sim::AudioKind::Tones;
  (left ? m.ToneLeftHz : m.ToneRightHz) = 3000;
  m.ToneAmp = 1;
  return m;
}

std::vector<std::uint8_t> Synthesise(const sim::Modulation& m, bool doubleTimeBase,
                                     std::uint64_t seed = 1) {
  sim::CaptureInput in;
  in.Mpx = &m;
  in.IfKHz = 323;
  in.SnrDb = 60;
  in.Double = doubleTimeBase;
  in.RdsSymbols = {1, -1, 1, 1, -1, 1, -1, -1};
  in.Seed = seed;
  return sim::SynthesiseCapture(in);
}

class MpxTest : public LinkFixture {
 protected:
  MpxTest() { link.state.LastActivity = clock.Now(); }
  void Store(const std::vector<std::uint8_t>& counts) {
    for (int k = 0; k < kMpxSampleCount; ++k) link.state.MpxSamples[k] = counts[k];
    link.state.MpxDataReady = true;
  }
  void Store(float count) {
    link.state.MpxSamples.fill(count);
    link.state.MpxDataReady = true;
  }
  void Demodulate(const std::vector<std::uint8_t>& counts) {
    Store(counts);
    mpx.Demodulate();
  }
  static float Peak(const MpxTrace& t) {
    float p = 0;
    for (const auto& pt : t) p = std::max(p, static_cast<float>(std::abs(pt.Y)));
    return p;
  }
  // Bin of the largest value of the newest spectrum within [from, to].
  int SpectrumPeak(int from, int to) const {
    const auto& row = mpx.capture.SpectrumHistory[0];
    return static_cast<int>(std::max_element(row.begin() + from, row.begin() + to + 1) - row.begin());
  }

  Mpx mpx{timers, view, link};
};

TEST_F(MpxTest, StereoCaptureGivesPilotSpectrumAndSeparatedTraces) {
  for (bool doubleTimeBase : {false, true}) {
    SCOPED_TRACE(doubleTimeBase ? "double" : "normal");
    mpx.SRCheckBox10Change(doubleTimeBase);
    for (bool left : {true, false}) {
      Demodulate(Synthesise(ToneOn(left), doubleTimeBase));
      const MpxCapture& c = mpx.capture;
      // Pilot: bin 13 (26) of the 2048-point transform; its amplitude is
      // about 1024 per kHz, far above the stereo threshold.
      EXPECT_NEAR(c.PilotAmplitude, 6.8 * 1024, 6.8 * 1024 * 0.1);
      EXPECT_GT(c.PilotAmplitude, kStereoPilotThreshold);
      // Spectrum: 0.732 (0.366) kHz per bin; the pilot stands at 19 kHz.
      const double binKHz = doubleTimeBase ? 0.366211 : 0.732422;
      EXPECT_NEAR(SpectrumPeak(static_cast<int>(15 / binKHz), static_cast<int>(23 / binKHz)) * binKHz,
                  19, 0.8);
      // The tone's channel near full scale (0 dB), the other far below.
      const float loud = Peak(left ? c.LeftTrace : c.RightTrace);
      const float quiet = Peak(left ? c.RightTrace : c.LeftTrace);
      EXPECT_NEAR(20 * std::log10(loud / 33), 0, 1.5);
      EXPECT_LT(quiet, loud / 5);
    }
  }
}

TEST_F(MpxTest, RdsShowsAsAHumpAt57KHz) {
  sim::Modulation m = ToneOn(true);
  m.RdsKHz = 8;
  m.ToneAmp = 0;
  Demodulate(Synthesise(m, false));
  const auto& row = mpx.capture.SpectrumHistory[0];
  auto loudest = [&row](double fromKHz, double toKHz) {
    return *std::max_element(row.begin() + static_cast<int>(fromKHz / 0.732422),
                             row.begin() + static_cast<int>(toKHz / 0.732422));
  };
  // The biphase sidebands 1 to 3 kHz either side of 57 kHz, against the
  // empty band below.
  EXPECT_GT(loudest(54, 60), loudest(40, 50) + 10);
}

TEST_F(MpxTest, LevelsFollowTheTracesAndHistoriesKeepTheLargest) {
  Demodulate(Synthesise(ToneOn(true), false));
  const MpxCapture& c = mpx.capture;
  EXPECT_FLOAT_EQ(c.LevelHistoryLeft.back(), 20 * std::log10(Peak(c.LeftTrace) / 33));
  EXPECT_FLOAT_EQ(c.PeakLevelLeft, c.LevelHistoryLeft.back());
  EXPECT_FLOAT_EQ(c.LevelHistoryLeft[kLevelHistoryLength - 2], -40);
  const float loud = c.PeakLevelLeft;
  sim::Modulation soft = ToneOn(true);
  soft.ToneAmp = 0.1;
  Demodulate(Synthesise(soft, false, 2));
  EXPECT_LT(c.LevelHistoryLeft.back(), loud - 15);
  EXPECT_FLOAT_EQ(c.PeakLevelLeft, loud);  // the loud capture is still in the history
}

TEST_F(MpxTest, WithoutPilotBothTracesAreHalfTheMpx) {
  Demodulate(Synthesise(ToneOn(true, 0), false));
  const MpxCapture& c = mpx.capture;
  EXPECT_LT(c.PilotAmplitude, kStereoPilotThreshold);
  EXPECT_GT(c.PilotAmplitude, -1);
  for (int i = 0; i < kTracePoints; ++i) ASSERT_EQ(c.LeftTrace[i].Y, c.RightTrace[i].Y);
  EXPECT_GT(Peak(c.LeftTrace), 5);
}

TEST_F(MpxTest, FirstSpectrumAfterClearFillsTheHistory) {
  Demodulate(Synthesise(ToneOn(true), false));
  const MpxCapture& c = mpx.capture;
  EXPECT_EQ(c.SpectrumCount, 1);
  for (int r = 1; r < kSpectrumRows; ++r) EXPECT_EQ(c.SpectrumHistory[r], c.SpectrumHistory[0]);
  const auto first = c.SpectrumHistory[0];
  Demodulate(Synthesise(ToneOn(false), false, 5));
  EXPECT_EQ(c.SpectrumCount, 2);
  EXPECT_EQ(c.SpectrumHistory[1], first);
  EXPECT_NE(c.SpectrumHistory[0], first);
  mpx.GradBtn16Click();
  EXPECT_EQ(c.SpectrumCount, 0);
  for (const auto& row : c.SpectrumHistory)
    EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](float v) { return v == -61; }));
  EXPECT_EQ(c.PeakLevelLeft, -40);
  EXPECT_EQ(c.LeftTrace[5].Y, 0);
  EXPECT_EQ(view.repaints[ChartTag::MPX], 1);
}

TEST_F(MpxTest, IfBelowOneHundredIsReplacedBy324) {
  link.state.IfKHz = 50;
  Demodulate(Synthesise(ToneOn(true), false));
  EXPECT_EQ(link.state.IfKHz, 324);
  EXPECT_FALSE(link.state.MpxDataReady);
}

TEST_F(MpxTest, CaptureTooShortForTheTransforms) {
  const MpxCapture& c = mpx.capture;
  mpx.SRCheckBox10Change(true);  // no pre-filter: counts stay as they are
  Demodulate(Synthesise(ToneOn(true), true));
  // Rows that differ, so a rotation would show.
  auto& rows = mpx.capture.SpectrumHistory;
  for (std::size_t r = 0; r < rows.size(); ++r) rows[r].fill(-10.0f - static_cast<float>(r));
  const auto before = rows;
  // Counts of 40: 2049 baseband samples, short of 4096 and of 500 + 2048.
  link.state.IfKHz = 750;
  Store(40);
  mpx.Demodulate();
  EXPECT_EQ(c.Baseband.size(), 2049u);
  EXPECT_EQ(c.PilotAmplitude, -1);
  // Shifted by one: the previous spectrum is row 1 and row 2, the oldest is lost.
  EXPECT_EQ(c.SpectrumHistory[0], before[0]);
  for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_EQ(c.SpectrumHistory[r], before[r - 1]) << r;
  EXPECT_EQ(c.LeftTrace, c.PreviousLeftTrace);  // the decoded values of the last capture stay
  EXPECT_GT(Peak(c.LeftTrace), 5);
}

TEST_F(MpxTest, CountOfZeroGivesOneSampleOf323) {
  mpx.SRCheckBox10Change(true);
  std::vector<std::uint8_t> counts(kMpxSampleCount, 93);
  counts[100] = 0;
  Demodulate(counts);
  const auto& b = mpx.capture.Baseband;
  EXPECT_EQ(std::count(b.begin(), b.end(), 323.0f), 1);
  Store(0);  // nothing but zeros: one baseband sample, no carrier
  mpx.Demodulate();
  EXPECT_EQ(mpx.capture.Baseband, std::vector<float>{323.0f});
  EXPECT_TRUE(mpx.capture.CarrierWave.empty());
}

TEST_F(MpxTest, DoubleTimeBaseSkipsPreFilterAndCarrier) {
  mpx.SRCheckBox10Change(true);
  mpx.rf.CarrierSpectrum.fill(-50);
  Demodulate(Synthesise(ToneOn(true), true));
  // Without the pre-filter the baseband holds the raw period deviations.
  EXPECT_EQ(mpx.capture.Baseband.front(), static_cast<float>(30000.0 / link.state.MpxSamples[0] - 323));
  EXPECT_TRUE(mpx.rf.RfCaptureTime.empty());
  EXPECT_EQ(mpx.rf.CarrierSpectrum[100], -50);
  double counted = 0;
  for (float c : mpx.rf.InstantFrequencyHistogram) counted += c;
  EXPECT_GT(counted, 1000);  // the histogram grows in both time bases
}

TEST_F(MpxTest, CarrierShowsAtZeroDbAtItsOffset) {
  sim::Modulation quietCarrier;
  Demodulate(Synthesise(quietCarrier, false));
  const RfCarrier& rf = mpx.rf;
  EXPECT_FALSE(rf.RfCaptureTime.empty());
  // Point 118 (k = 117) sits at 0 kHz.
  const auto top = std::max_element(rf.CarrierSpectrum.begin(), rf.CarrierSpectrum.end());
  EXPECT_NEAR((top - rf.CarrierSpectrum.begin() + 1) * RfCarrier::kBinKHz - 172.87, 0, 2 * RfCarrier::kBinKHz);
  EXPECT_NEAR(*top - RfCarrier::kCarrierLevelDb, 0, 3);
}

// The stream.

TEST_F(MpxTest, RunSingleAndStopQueueTheirCommands) {
  mpx.GradBtn47Click();
  EXPECT_EQ(Queued(), (std::vector<std::string>{"?F", "?Q", "?L", "?R", "?E", "?I", "*M", "1?W"}));
  EXPECT_TRUE(mpx.StreamRunning());
  mpx.GradBtn49Click();
  EXPECT_FALSE(mpx.StreamRunning());
  EXPECT_TRUE(link.state.SkipNextWaveform);
  EXPECT_EQ(Queued().back(), "*m");
  while (!link.queue.Empty()) link.queue.Timer10Timer();
  mpx.SRCheckBox10Change(true);
  mpx.GradBtn47Click();
  mpx.GradBtn45Click();  // "Single" stops the stream
  EXPECT_FALSE(mpx.StreamRunning());
  while (!link.queue.Empty()) link.queue.Timer10Timer();
  mpx.GradBtn45Click();
  EXPECT_EQ(Queued(), (std::vector<std::string>{"?F", "?Q", "?L", "?R", "?E", "?I", "2?W"}));
}

TEST_F(MpxTest, StopLeavesMaxOnWhileOnline) {
  mpx.hooks.OnlineChecked = [] { return true; };
  mpx.GradBtn49Click();
  EXPECT_TRUE(Queued().empty());
}

TEST_F(MpxTest, TickDiscardsCapturesWhileStalledOrNotMeasuring) {
  mpx.GradBtn47Click();
  Demodulate(Synthesise(ToneOn(true), false));
  const int spectra = mpx.capture.SpectrumCount;
  Store(93);
  link.state.CurrentMode = 1;
  mpx.Timer2Timer();
  EXPECT_FALSE(link.state.MpxDataReady);
  link.state.CurrentMode = 0;
  Store(93);
  clock.Set(1001);  // the activity stamp is 1001 ms old
  mpx.Timer2Timer();
  EXPECT_FALSE(link.state.MpxDataReady);
  EXPECT_EQ(mpx.capture.SpectrumCount, spectra);
  link.state.LastActivity = clock.Now();
  Store(93);
  mpx.Timer2Timer();
  EXPECT_EQ(mpx.capture.SpectrumCount, spectra + 1);
  EXPECT_TRUE(mpx.StreamRunning());
}

TEST_F(MpxTest, StreamAsksAgainAfterAHundredIdleTicks) {
  mpx.GradBtn47Click();
  while (!link.queue.Empty()) link.queue.Timer10Timer();
  for (int tick = 1; tick <= 100; ++tick) mpx.Timer2Timer();
  EXPECT_TRUE(Queued().empty());
  mpx.Timer2Timer();
  EXPECT_EQ(Queued(), (std::vector<std::string>{"?I", "1?W"}));
  while (!link.queue.Empty()) link.queue.Timer10Timer();
  // A processed capture restarts the count.
  for (int tick = 1; tick <= 50; ++tick) mpx.Timer2Timer();
  Store(93);
  mpx.Timer2Timer();
  for (int tick = 1; tick <= 99; ++tick) mpx.Timer2Timer();
  EXPECT_TRUE(Queued().empty());
}

TEST_F(MpxTest, DoubleSwitchDropsTheAwaitedCaptureAndRescales) {
  Demodulate(Synthesise(ToneOn(true), false));
  mpx.SRCheckBox10Change(true);
  EXPECT_FALSE(link.state.SkipNextWaveform);  // none asked for: the next one counts
  link.Send("1?W");
  mpx.SRCheckBox10Change(false);
  EXPECT_TRUE(link.state.SkipNextWaveform);  // this one no longer fits
  link.state.SkipNextWaveform = false;
  mpx.SRCheckBox10Change(true);
  EXPECT_EQ(mpx.capture.SpectrumCount, 0);
  EXPECT_DOUBLE_EQ(mpx.capture.LeftTrace[1].X, 0.2 + 1 / 75.0);
  mpx.SRCheckBox10Change(false);
  EXPECT_DOUBLE_EQ(mpx.capture.LeftTrace[1].X, 0.1 + 1 / 150.0);
}

TEST_F(MpxTest, DoubleSwitchWhileStreamingAsksAtOnceAndSaysSo) {
  std::vector<std::pair<std::string, bool>> notices;
  mpx.hooks.CaptureNotice = [&notices](const std::string& t, bool show) { notices.emplace_back(t, show); };
  mpx.GradBtn47Click();
  while (!link.queue.Empty()) link.queue.Timer10Timer();  // "1?W" is out, its reply awaited
  mpx.SRCheckBox10Change(true);
  EXPECT_TRUE(link.state.SkipNextWaveform);
  // The next capture goes out now, not after a hundred idle ticks.
  EXPECT_EQ(Queued(), (std::vector<std::string>{"?I", "2?W"}));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_TRUE(notices[0].second);
  Store(93);
  mpx.Timer2Timer();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_FALSE(notices[1].second);  // taken back with the first new capture
}

}  // namespace
}  // namespace sondaro::test
