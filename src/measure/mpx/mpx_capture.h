#pragma once
// What one capture of 512 IF period counts becomes: the MPX baseband by
// period-counting FM demodulation, its spectrum and time base with their
// histories, the 19 kHz pilot, left and right audio traces and their peak
// levels; on the way the carrier wave and the deviation histogram of the RF
// page are fed.
#include <array>
#include <span>
#include <vector>

#include "measure/chart/chart.h"
#include "measure/mpx/dsp.h"
#include "measure/rf/rf_carrier.h"

namespace sondaro {

inline constexpr int kSpectrumRows = 10, kSpectrumBins = 165;
inline constexpr int kTimebaseRows = 8, kTimebasePoints = 701;
inline constexpr int kTracePoints = 182;
inline constexpr int kLevelHistoryLength = 20;
inline constexpr int kStereoValues = 2101;
// Above this pilot FFT amplitude the stereo decoder runs.
inline constexpr float kStereoPilotThreshold = 2100;
inline constexpr float kNoLevelDb = -40;

using MpxTrace = std::array<chart::PointD, kTracePoints>;

class MpxCapture {
 public:
  MpxCapture(mpx::Fft& fft, RfCarrier& rf);

  // Processes one capture. `ifKHz` below 100 is replaced by 324 (kept).
  void Process(std::span<const float> counts, float& ifKHz, bool doubleTimeBase);
  // The stores as after start: spectra -61 dB, time base 0, traces 0,
  // levels -40 dB.
  void Clear();

  std::vector<float> Baseband;          // kHz deviation, 3 MHz steps
  std::vector<float> CarrierWave;       // rebuilt IF, 6 MHz steps
  std::vector<float> FilteredBaseband;  // after the MPX low-pass
  // Row 0 is the newest.
  std::array<std::array<float, kSpectrumBins>, kSpectrumRows> SpectrumHistory{};
  int SpectrumCount = 0;
  std::array<std::array<float, kTimebasePoints>, kTimebaseRows> TimebaseHistory{};
  float PilotAmplitude = -1;
  float PilotPhase = 0;
  MpxTrace LeftTrace{}, RightTrace{}, PreviousLeftTrace{}, PreviousRightTrace{};
  std::array<float, kLevelHistoryLength> LevelHistoryLeft{}, LevelHistoryRight{};
  float PeakLevelLeft = kNoLevelDb, PeakLevelRight = kNoLevelDb;

 private:
  void BuildCarrierWave(std::span<const float> counts, double total);
  void BuildBaseband(std::span<const float> counts, double total, float ifKHz);
  void TakeSpectrum();
  void TakeTimebase();
  void TakePilot(bool doubleTimeBase);
  void DecodeStereo(bool doubleTimeBase);
  // Filters the 2101 decoded values into a trace; answers its peak.
  float MakeTrace(const std::vector<float>& values, bool doubleTimeBase, MpxTrace& trace);

  mpx::Fft& fft_;
  RfCarrier& rf_;
  mpx::FastFIR mpxLowPassNormal_, mpxLowPassDouble_;
  std::vector<float> counts_, magA_, magB_, scratch_;
  std::vector<float> leftValues_, rightValues_;
};

}  // namespace sondaro
