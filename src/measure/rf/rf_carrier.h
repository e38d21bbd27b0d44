#pragma once
// The page "RF Carrier": the spectrum of the IF signal rebuilt from each
// capture within +-170 kHz of the carrier (optionally held at its maximum,
// optionally under a mask) and the histogram of the instantaneous frequency
// deviation accumulated over all captures since the last clear.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/view.h"
#include "measure/chart/chart.h"
#include "measure/mpx/dsp.h"

namespace sondaro {

class RfCarrier {
 public:
  static constexpr int kChartWidth = 521, kChartHeight = 233;
  static constexpr int kSpectrumBins = 235;
  static constexpr int kHistogramBins = 341;
  // One transform bin at the 6 MHz rate of the carrier wave: 6000 / 4096 kHz.
  static constexpr double kBinKHz = 1.465;
  // A steady carrier's level in its bin: 20 log10(2048 * 4/pi * 0.5) for a
  // 4096-point Hann-windowed square wave of amplitude 1; it shows at 0 dB.
  static constexpr double kCarrierLevelDb = 62.3;

  RfCarrier(View& view, mpx::Fft& fft);

  // One capture's carrier wave (6 MHz samples) in the normal time base.
  void AnalyseCarrier(std::span<const float> carrierWave, float ifKHz);
  // Adds one baseband value (kHz) to the instantaneous frequency histogram.
  void CountDeviation(float kHz);
  void ClearRF();
  void GradBtn50Click() { ClearRF(); }  // "Clear"
  // "Mask", "Max hold", "Histogram": each change repaints.
  void SRCheckBox7Change(bool mask);
  void SRCheckBox8Change(bool maxHold);
  void SRCheckBox9Change(bool histogram);
  void VymalujRF(int target, Canvas& canvas);
  void Repaint() { view_.Repaint(ChartTag::RF); }

  // First transform bin of the spectrum for an IF centre, about 170 kHz
  // (116 bins) below it.
  [[nodiscard]] static int FirstBin(float ifKHz);
  // Starts of the 4096-sample windows over a carrier wave of that length:
  // every 10000 samples, and one more ending at the last sample.
  [[nodiscard]] static std::vector<long> WindowStarts(long length);
  // Right-axis top of the histogram for its largest share in percent.
  [[nodiscard]] static double HistogramAxisTop(double largestPercent);

  std::array<float, kSpectrumBins> CarrierSpectrum{};
  std::array<float, kHistogramBins> InstantFrequencyHistogram{};
  std::string RfCaptureTime;
  bool Mask = false, MaxHold = false, Histogram = false;
  chart::ChartMemory Chart;

 private:
  View& view_;
  mpx::Fft& fft_;
  std::vector<float> magnitudes_;
};

}  // namespace sondaro
