#include "measure/mpx/mpx_capture.h"

#include <algorithm>
#include <cmath>

#include "measure/mpx/filter_tables.h"

namespace sondaro {

namespace {

// One count unit is 1/30 us: n units are an IF of 30000 / n kHz.
constexpr double kCountKHz = 30000;
constexpr float kZeroCountKHz = 323;  // deviation given for a count of 0
constexpr float kLowestIfKHz = 100;
constexpr float kReplacementIfKHz = 324;
constexpr float kSpectrumFloorDb = -70, kClearedSpectrumDb = -61;
constexpr int kSpectrumLog2 = 12, kPilotLog2 = 11;
constexpr long kPilotStart = 500;
// Every tenth filtered sample feeds the stereo decoder: 300 kHz (150 kHz in
// the double time base); the 38 kHz subcarrier turns by omega per value.
struct StereoConstants {
  double Omega, Theta, Gain;
};
constexpr StereoConstants kStereoNormal{0.7958691, -0.1, 2.1};
constexpr StereoConstants kStereoDouble{1.591741, -2.0, 2.4};
// Full scale of an audio trace for 0 dB.
constexpr float kFullScaleKHz = 33;

template <std::size_t N>
std::span<const float> Taps(const std::array<float, N>& a) {
  return {a.data(), a.size()};
}

}  // namespace

MpxCapture::MpxCapture(mpx::Fft& fft, RfCarrier& rf)
    : fft_(fft),
      rf_(rf),
      mpxLowPassNormal_(mpx::kMpxLowPassNormal),
      mpxLowPassDouble_(mpx::kMpxLowPassDouble),
      leftValues_(kStereoValues, 0.0f), rightValues_(kStereoValues, 0.0f) {
  Clear();
}

void MpxCapture::Clear() {
  for (auto& row : SpectrumHistory) row.fill(kClearedSpectrumDb);
  for (auto& row : TimebaseHistory) row.fill(0);
  for (auto* t : {&LeftTrace, &RightTrace})
    for (auto& p : *t) p.Y = 0;
  LevelHistoryLeft.fill(kNoLevelDb);
  LevelHistoryRight.fill(kNoLevelDb);
  PeakLevelLeft = PeakLevelRight = kNoLevelDb;
  SpectrumCount = 0;
}

void MpxCapture::Process(std::span<const float> counts, float& ifKHz, bool doubleTimeBase) {
  if (ifKHz < kLowestIfKHz) ifKHz = kReplacementIfKHz;
  if (doubleTimeBase) {
    counts_.assign(counts.begin(), counts.end());
  } else {
    mpx::FIR(counts, static_cast<float>(kCountKHz / ifKHz), Taps(mpx::kPreFilter), counts_);
  }
  double total = 0;
  for (float n : counts_) total += n;
  BuildCarrierWave(counts_, total);
  BuildBaseband(counts_, total, ifKHz);
  TakeSpectrum();
  (doubleTimeBase ? mpxLowPassDouble_ : mpxLowPassNormal_).Run(Baseband, 0.0f, FilteredBaseband);
  TakeTimebase();
  const long histogramEnd = std::min(static_cast<long>(FilteredBaseband.size()) - 1, 3500L);
  for (long i = 0; i <= histogramEnd; ++i) rf_.CountDeviation(FilteredBaseband[i]);
  TakePilot(doubleTimeBase);
  DecodeStereo(doubleTimeBase);

  PreviousLeftTrace = LeftTrace;
  PreviousRightTrace = RightTrace;
  const float peakRight = MakeTrace(rightValues_, doubleTimeBase, RightTrace);
  const float peakLeft = MakeTrace(leftValues_, doubleTimeBase, LeftTrace);
  auto push = [](std::array<float, kLevelHistoryLength>& h, float peak) {
    std::rotate(h.begin(), h.begin() + 1, h.end());
    h.back() = 20 * std::log10(peak / kFullScaleKHz);
    return std::max(kNoLevelDb, *std::max_element(h.begin(), h.end()));
  };
  PeakLevelLeft = push(LevelHistoryLeft, peakLeft);
  PeakLevelRight = push(LevelHistoryRight, peakRight);

  if (!doubleTimeBase) rf_.AnalyseCarrier(CarrierWave, ifKHz);
}

// Each count n is two half periods of n / 10 samples; the wave is +-1 with
// one interpolated sample at each zero crossing.
void MpxCapture::BuildCarrierWave(std::span<const float> counts, double total) {
  const long size = std::max(0L, static_cast<long>(std::trunc(total / 5)) - 1);
  CarrierWave.resize(static_cast<std::size_t>(size));
  const std::size_t halves = counts.size() * 2;
  double a = 0;
  std::size_t k = 0;
  float s = 1;
  for (long i = 0; i < size; ++i) {
    const double h = k < halves ? counts[k / 2] / 10.0 : 1e30;
    if (a + h - i >= 1) {
      CarrierWave[i] = s;
    } else {
      a += h;
      CarrierWave[i] = static_cast<float>(s * 2 * (a - i - 1));
      s = -s;
      ++k;
    }
  }
}

// The deviation of each period holds until the period ends: a step
// function of the counts at 10 units (3 MHz).
void MpxCapture::BuildBaseband(std::span<const float> counts, double total, float ifKHz) {
  const long size = std::max(0L, static_cast<long>(std::trunc(total / 10)) + 1);
  Baseband.resize(static_cast<std::size_t>(size));
  auto f = [ifKHz](float n) {
    return n != 0 ? static_cast<float>(kCountKHz / n - ifKHz) : kZeroCountKHz;
  };
  const std::size_t n = counts.size();
  double a = 0;
  std::size_t k = 0;
  float v = n > 0 ? f(counts[0]) : kZeroCountKHz;
  for (long i = 0; i < size; ++i) {
    if (k < n && a + counts[k] / 10.0 - i < 1) {
      a += counts[k] / 10.0;
      ++k;
      if (k < n) v = f(counts[k]);
    }
    Baseband[i] = v;
  }
}

namespace {
// Every row moves one down, the oldest is lost; row 1 keeps its values until
// it is written, so a capture too short to transform leaves the previous
// spectrum newest.
template <typename Rows>
void ShiftDown(Rows& rows) {
  std::copy_backward(rows.begin(), rows.end() - 1, rows.end());
}
}  // namespace

// Two overlapping 4096-point transforms, summed: 165 bins of 0.732 kHz
// cover 0..120 kHz.
void MpxCapture::TakeSpectrum() {
  ShiftDown(SpectrumHistory);
  float unused = 0;
  const long last = static_cast<long>(Baseband.size()) - (1L << kSpectrumLog2);
  if (!fft_.MakeFFT(Baseband, -1, kSpectrumLog2, 0, magA_, unused) ||
      !fft_.MakeFFT(Baseband, -1, kSpectrumLog2, last, magB_, unused))
    return;
  auto& row = SpectrumHistory[0];
  for (int j = 0; j < kSpectrumBins; ++j) {
    const float s = magA_[j] + magB_[j];
    row[j] = s > 10 ? 20 * std::log10(s) - 103.5f : kSpectrumFloorDb;
  }
  SpectrumCount = std::min(SpectrumCount + 1, kSpectrumRows);
  // The first spectrum after a clear fills the whole history.
  if (SpectrumCount == 1) std::fill(SpectrumHistory.begin() + 1, SpectrumHistory.end(), row);
}

void MpxCapture::TakeTimebase() {
  ShiftDown(TimebaseHistory);
  auto& row = TimebaseHistory[0];
  for (std::size_t j = 0; j < row.size(); ++j)
    row[j] = 6 * j < FilteredBaseband.size() ? FilteredBaseband[6 * j] : 0.0f;
}

// Bin 13 of a 2048-point transform at 3 MHz is 19.04 kHz; bin 26 at
// 1.5 MHz the same.
void MpxCapture::TakePilot(bool doubleTimeBase) {
  const int bin = doubleTimeBase ? 26 : 13;
  PilotAmplitude = fft_.MakeFFT(Baseband, bin, kPilotLog2, kPilotStart, magA_, PilotPhase)
                       ? 2 * magA_[bin]
                       : -1.0f;
}

void MpxCapture::DecodeStereo(bool doubleTimeBase) {
  const long end = std::min(static_cast<long>(FilteredBaseband.size()) / 10 - 1,
                            static_cast<long>(kStereoValues - 1));
  if (PilotAmplitude > kStereoPilotThreshold) {
    // The 38 kHz subcarrier runs at twice the pilot's phase.
    PilotPhase = 2 * PilotPhase;
    const StereoConstants& k = doubleTimeBase ? kStereoDouble : kStereoNormal;
    for (long j = 0; j <= end; ++j) {
      const double m = FilteredBaseband[10 * j];
      const double d = std::sin(j * k.Omega - PilotPhase + k.Theta) * m * k.Gain;
      leftValues_[j] = static_cast<float>((m + d) / 2);
      rightValues_[j] = static_cast<float>((m - d) / 2);
    }
  } else if (PilotAmplitude > -1) {
    for (long j = 0; j <= end; ++j) leftValues_[j] = rightValues_[j] = FilteredBaseband[10 * j] / 2;
  }
  // Without a pilot transform the values of the previous capture stay.
}

float MpxCapture::MakeTrace(const std::vector<float>& values, bool doubleTimeBase,
                            MpxTrace& trace) {
  const auto taps =
      doubleTimeBase ? Taps(mpx::kAudioLowPassDouble) : Taps(mpx::kAudioLowPassNormal);
  // Point i of the trace is filter output 2i: only those are worked out.
  const std::size_t outputs = values.size() - taps.size() / 2;
  const std::size_t points = std::min(outputs / 2, static_cast<std::size_t>(kTracePoints));
  mpx::FIRPoints(values, 0.0f, taps, 2, points, scratch_);
  float peak = 0.0001f;
  for (std::size_t i = 0; i < points; ++i) {
    const float y = scratch_[i];
    trace[i].Y = y;
    peak = std::max(peak, std::abs(y));
  }
  return peak;
}

}  // namespace sondaro
