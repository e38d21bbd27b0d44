#include "measure/rf/rf_carrier.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace sondaro {

namespace {
constexpr int kLog2Window = 12;  // 4096-point windows
constexpr int kWindowSize = 1 << kLog2Window;
constexpr long kWindowStep = 10000;
constexpr float kNoLevel = -100;
constexpr int kSlopeFrom = 217;  // bins above this fall off by 1/4 dB each
constexpr Color kRed = MakeColor(255, 0, 0);

constexpr chart::PointD kMask[] = {{-152.5, -40}, {-124, -30}, {-107.5, -15}, {-74, 0},
                                   {74, 0},       {107.5, -15}, {124, -30},   {152.5, -40}};
}  // namespace

RfCarrier::RfCarrier(View& view, mpx::Fft& fft) : view_(view), fft_(fft) {
  CarrierSpectrum.fill(-50);
}

int RfCarrier::FirstBin(float ifKHz) {
  return static_cast<int>(std::trunc(ifKHz / kBinKHz - 116 + 0.5));
}

void RfCarrier::AnalyseCarrier(std::span<const float> carrierWave, float ifKHz) {
  if (!MaxHold) CarrierSpectrum.fill(kNoLevel);
  const int c0 = FirstBin(ifKHz);
  float unused = 0;
  for (long s : WindowStarts(static_cast<long>(carrierWave.size()))) {
    if (!fft_.MakeFFT(carrierWave, -1, kLog2Window, s, magnitudes_, unused)) continue;
    for (int k = 0; k < kSpectrumBins; ++k) {
      // An IF far from the analyzer's 323 kHz puts bins outside the
      // transform; they count as empty.
      const int bin = c0 + k;
      const float m = bin >= 0 && bin < kWindowSize ? magnitudes_[bin] : 0.0f;
      float v = m > 0 ? 20 * std::log10(m) : kNoLevel;
      if (k > kSlopeFrom) v -= static_cast<float>(k - kSlopeFrom) / 4;
      CarrierSpectrum[k] = std::max(CarrierSpectrum[k], v);
    }
  }
}

std::vector<long> RfCarrier::WindowStarts(long length) {
  std::vector<long> starts;
  for (long s = 0; s + kWindowSize < length; s += kWindowStep) starts.push_back(s);
  if (length > kWindowSize) starts.push_back(length - kWindowSize);
  return starts;
}

void RfCarrier::CountDeviation(float kHz) {
  const long b = std::clamp(std::lrint(static_cast<double>(kHz)) + 170L, 0L, 339L);
  InstantFrequencyHistogram[b] += 1;
}

void RfCarrier::ClearRF() {
  InstantFrequencyHistogram.fill(0);
  CarrierSpectrum.fill(-50);
  Repaint();
}

void RfCarrier::SRCheckBox7Change(bool mask) {
  Mask = mask;
  view_.Changed(Area::RfCarrier);
  Repaint();
}
void RfCarrier::SRCheckBox8Change(bool maxHold) {
  MaxHold = maxHold;
  view_.Changed(Area::RfCarrier);
  Repaint();
}
void RfCarrier::SRCheckBox9Change(bool histogram) {
  Histogram = histogram;
  view_.Changed(Area::RfCarrier);
  Repaint();
}

double RfCarrier::HistogramAxisTop(double largestPercent) {
  if (largestPercent > 8) return 100;
  if (largestPercent > 4) return 10;
  return 5;
}

void RfCarrier::VymalujRF(int target, Canvas& canvas) {
  double total = 0;
  for (float c : InstantFrequencyHistogram) total += c;
  std::array<chart::PointD, kHistogramBins> histogram;
  double largest = 0;
  for (int i = 0; i < kHistogramBins; ++i) {
    const double y = total > 0.000001 ? 100.0 * InstantFrequencyHistogram[i] / total : 0.0;
    histogram[i] = {static_cast<double>(i + 1 - 171), y};
    largest = std::max(largest, y);
  }
  std::array<chart::PointD, kSpectrumBins> spectrum;
  for (int i = 0; i < kSpectrumBins; ++i)
    spectrum[i] = {(i + 1) * kBinKHz - 172.87, CarrierSpectrum[i] - kCarrierLevelDb};

  chart::Chart c(canvas, Chart, target);
  c.Start();
  c.Text(4, c.Height() - 4, "Acquired: " + RfCaptureTime, {HAlign::Left, VAlign::Bottom});
  c.PlotArea({42, 42, 10, 42});
  c.XAxis("Frequency separation from carrier [kHz]", -170, 170);
  c.YAxis("[dB]", -50, 0);
  c.SetPen(kBlack, 1);
  if (Mask) c.Line(kMask);
  c.Line(spectrum);
  if (Histogram) {
    c.YAxis("[%]", 0, HistogramAxisTop(largest), {.Right = true, .AxisColor = kRed});
    c.SetPen(kRed, 1);
    c.Line(histogram);
    // Where the histogram is empty the zero line shows black over the red.
    c.SetPen(kBlack, 1);
    c.DataLine(-170, 0, 170, 0);
  }
  c.CursorReadout(370, 216, 0);
  c.Finish();
}

}  // namespace sondaro
