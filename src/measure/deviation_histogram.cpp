#include "measure/deviation_histogram.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/formats.h"
#include "core/text.h"
#include "link/command_set.h"

namespace sondaro {

namespace {

constexpr Color kNavy = MakeColor(0, 0, 128);
constexpr Color kPurple = MakeColor(74, 0, 62);
constexpr Color kMaroon = MakeColor(128, 0, 0);
// The "% above" threshold never passes 100 kHz, the bar colours' limit 110.
constexpr int kThresholdCap = 100;

}  // namespace

std::string TotalTimeTextOf(long long samples) {
  const long long h = samples / kSamplesPerHour;
  const long long mm = (samples - h * kSamplesPerHour) / kSamplesPerMinute;
  const long long ss = (samples - h * kSamplesPerHour - mm * kSamplesPerMinute) / kSamplesPerSecond;
  return "Total time: " + std::to_string(h) + ":" + IntToDva(mm) + ":" + IntToDva(ss);
}

DeviationHistogram::DeviationHistogram(Clock& clock, View& view, DeviceLink& link)
    : clock_(clock), view_(view), link_(link) {}

void DeviationHistogram::BitBtn12Click() {
  link_.Send(cmd::kFrequency);
  link_.Send(cmd::kHistogram);
}

void DeviationHistogram::GradBtn43Click() { link_.Send(cmd::kHistogramReset); }

void DeviationHistogram::IAeverButton30Click() {
  ShowHistogram = !ShowHistogram;
  view_.Changed(Area::Deviation);
  Repaint();
}

void DeviationHistogram::SEDEVLIMChange() {
  AbovePercent = -1;
  AboveThresholdKHz = std::min(DeviationLimit + 1, kThresholdCap);
  view_.Changed(Area::Setup);
}

void DeviationHistogram::SetDeviationLimit(int kHz) {
  kHz = std::clamp(kHz, kLimitMin, kLimitMax);
  if (kHz == DeviationLimit) return;
  DeviationLimit = kHz;
  SEDEVLIMChange();
}

void DeviationHistogram::StoreHistogram(const HistogramCounts& counts) {
  Bins = counts;
  MaxCount = 1.0f;
  MaxAtKHz = 0;
  MinKHz = 0;
  long long total = 0, above = 0;
  bool occupied = false;
  for (int i = 0; i < kHistogramBins; ++i) {
    if (Bins[i] > MaxCount) {
      MaxCount = static_cast<float>(Bins[i]);
      MaxAtKHz = i;
    }
    total += Bins[i];
    if (i > AboveThresholdKHz) above += Bins[i];
    if (Bins[i] >= 1 && !occupied) {
      MinKHz = i;
      occupied = true;
    }
  }
  TotalSamples = static_cast<int>(std::clamp<long long>(total, INT32_MIN, INT32_MAX));
  AbovePercent = total >= 1 ? static_cast<long double>(above) / total * 100 : 0;
  const Millis now = clock_.WallNow();
  AcquiredText = DateTimeToStr(now);
  TotalTimeText = TotalTimeTextOf(total);
  MinText = std::to_string(MinKHz);
  view_.Changed(Area::Deviation);
  Repaint();
}

void DeviationHistogram::ClearFDev() {
  Bins.fill(0);
  MaxCount = 1.0f;
  TotalSamples = 0;
  MaxAtKHz = 0;
  MinKHz = 0;
  Readouts& r = link_.readouts;
  MeasurementState& s = link_.state;
  r.Label15 = "kHz";
  r.Label14 = "kHz";
  r.Label22 = OnlineChecked && OnlineChecked() ? "      kHz" : "    deg";
  r.ProgressBar1 = 0;
  s.PilotKHz = 0;
  s.RdsDeviationKHz = 0;
  s.PhaseDeg = 999;
  s.DeviationMaxHoldText.clear();
  MinText.clear();
  AbovePercent = -1;
  AcquiredText.clear();
  TotalTimeText = "Total time: 0:00:00";
  view_.Changed(Area::Readouts);
  view_.Changed(Area::Deviation);
  Repaint();
}

void DeviationHistogram::Repaint() { view_.Repaint(ChartTag::DEV); }

std::string DeviationHistogram::FrameCaption() const {
  return ShowHistogram ? "Frequency Deviation Histogram"
                       : "Accumulated Distribution Plot of Frequency Deviation";
}

void DeviationHistogram::VymalujDEV(int target, Canvas& canvas) {
  const int limit = std::min(DeviationLimit, kLimitMax);
  chart::Chart c(canvas, Chart, target);
  c.Start();
  c.TextRow(201, {{5, "Max at: " + std::to_string(MaxAtKHz) + " kHz"},
                  {130, "% above " + std::to_string(AboveThresholdKHz) + " kHz: " +
                            FormatFixed(static_cast<double>(AbovePercent), 1)},
                  {515, "Total samples: " + std::to_string(TotalSamples), HAlign::Right}});
  c.TextRow(215, {{5, "MIN: " + std::to_string(MinKHz) + " kHz"},
                  {130, "Acquired: " + AcquiredText},
                  {515, TotalTimeText, HAlign::Right}});

  c.PlotArea({40, 12, 10, 66});
  c.XAxis("Frequency Deviation [kHz]", 0, 120);
  std::vector<chart::PointD> points(kDrawnBins);
  if (ShowHistogram) {
    c.YAxis("", 0, MaxCount);
    for (int i = 0; i < kDrawnBins; ++i) points[i] = {double(i), double(Bins[i])};
  } else {
    c.YAxis("[%]", 0, 100);
    long long t = 0;
    for (int b : Bins) t += b;
    long long remainder = t;
    for (int i = 0; i < kDrawnBins; ++i) {
      double y = 0;
      if (t >= 1) {
        // Share of the samples above bin i.
        remainder = std::max(0LL, remainder - Bins[i]);
        y = std::trunc(static_cast<double>(remainder) / t * 100);
      }
      points[i] = {double(i), y};
    }
  }
  std::vector<Color> colors(kDrawnBins);
  for (int i = 0; i < kDrawnBins; ++i)
    colors[i] = i <= limit ? kNavy : (i == limit + 1 ? kPurple : kMaroon);
  c.SetPen(kNavy);
  c.Bars(points, 1.0, colors);
  // Invisible markers over every bin, so the cursor can read any of them.
  c.Markers(points, 0);
  c.CursorReadout(8, c.Height() - 46, 3);
  c.Finish();
}

}  // namespace sondaro
