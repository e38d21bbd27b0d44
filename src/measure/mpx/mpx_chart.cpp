// The MPX chart: five panels drawn over the picture already on screen after
// each capture, so the oldest history traces and the last audio traces are
// erased by drawing them in white.
#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "measure/chart/color.h"
#include "measure/mpx/mpx.h"

namespace sondaro {

namespace {

constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr double kGaugeWidth = 0.8;

struct AxisRanges {
  double SpectrumMaxKHz, TimebaseMaxMs, AudioMinMs, AudioMaxMs;
};
constexpr AxisRanges kNormalRanges{119, 1.39, 0.1, 1.3};
constexpr AxisRanges kDoubleRanges{59.5, 2.79, 0.2, 2.5};

// A band of a gauge: a bar from 0 to End in its colour.
struct Band {
  double End;
  Color Fill;
};

}  // namespace

float FadeWeight(int a, int b, int k) {
  k = std::clamp(k, a, b);
  const float step = 8.0f / static_cast<float>(b - a);
  return (1.0f / (static_cast<float>(k - a) * step + 2.0f) - 0.1f) * 2.5f;
}

Color FadeColor(float weight) { return chart::ToRGB(1, 0, 1 - weight); }

void Mpx::NastavOsyX() {
  const double binKHz = double_ ? 0.3662110 : 0.7324220;
  for (int j = 0; j < kSpectrumBins; ++j) spectrumSeries_[j].X = j * binKHz;
  const double pointsPerMs = double_ ? 250 : 500;
  for (int j = 0; j < kTimebasePoints; ++j) timebaseSeries_[j].X = j / pointsPerMs;
  for (int i = 0; i < kTracePoints; ++i) traceX_[i] = double_ ? 0.2 + i / 75.0 : 0.1 + i / 150.0;
  for (MpxTrace* t : {&capture.LeftTrace, &capture.RightTrace, &capture.PreviousLeftTrace,
                      &capture.PreviousRightTrace})
    for (int i = 0; i < kTracePoints; ++i) (*t)[i].X = traceX_[i];
}

void Mpx::VymalujMPX(int target, Canvas& canvas) {
  const AxisRanges& ranges = double_ ? kDoubleRanges : kNormalRanges;
  const MeasurementState& s = link_.state;
  const int limit = hooks.DeviationLimit ? hooks.DeviationLimit() : 75;
  const MpxCapture& m = capture;

  chart::Chart c(canvas, Chart, target);
  c.Start(target != chart::kTargetRefresh);
  const int w = c.Width(), h = c.Height();
  // On a white box: the direct refresh draws over the last capture's time.
  c.Text(w - 2, h - 1, "Acquired: " + MpxCaptureTime,
         {HAlign::Right, VAlign::Bottom, false, kBlack, kWhite});
  c.Text(40, 245, "[kHz]");
  const TextOptions upwards{HAlign::Center, VAlign::Center, true, kBlack, kWhite};
  c.Text(12, 53, "[kHz]", upwards);
  c.Text(261, 53, "[kHz]", upwards);
  c.Text(383, 200, "[kHz]", upwards);
  c.Text(8, 138, "[dB]", upwards);
  c.Text(471, 20, "[dB]", upwards);
  c.Text(517, 175, "[deg]", upwards);
  c.Text(230, 107, "[ms]");

  // Spectrum: each trace the mean of three consecutive spectra, oldest first.
  c.PlotArea(0, 0.45, 0.70, 1, {32, 2, 7, 20});
  c.XAxis("", 0, ranges.SpectrumMaxKHz);
  c.YAxis("", -60, 10);
  for (int r = kSpectrumRows - 1; r >= 2; --r) {
    for (int j = 0; j < kSpectrumBins; ++j)
      spectrumSeries_[j].Y =
          (m.SpectrumHistory[r - 2][j] + m.SpectrumHistory[r - 1][j] + m.SpectrumHistory[r][j]) / 3;
    c.SetPen(FadeColor(FadeWeight(2, 9, r)), 1);
    c.Line(spectrumSeries_);
  }
  c.CursorReadout(309, 192, 0);

  // Time base with the deviation limit.
  c.PlotArea(0, 0, 0.47, 0.45, {35, 5, 7, 15});
  c.XAxis("", 0, ranges.TimebaseMaxMs);
  const double yMax = limit > 95 ? 120 : 100;
  c.YAxis("", -yMax, yMax);
  for (int r = kTimebaseRows; r >= 1; --r) {
    const auto& row = m.TimebaseHistory[r - 1];
    for (int j = 0; j < kTimebasePoints; ++j) timebaseSeries_[j].Y = row[j];
    c.SetPen(FadeColor(FadeWeight(1, 8, r)), 1);
    c.Line(timebaseSeries_);
  }
  c.SetPen(kRed, 1);
  c.DataLine(0, limit + 1, ranges.TimebaseMaxMs, limit + 1);
  c.DataLine(0, -(limit + 1), ranges.TimebaseMaxMs, -(limit + 1));
  c.CursorReadout(215, 124, 0);

  // Audio: the last traces erased in white, then right and left.
  c.PlotArea(0.47, 0, 0.88, 0.45, {35, 5, 7, 15});
  c.XAxis("", ranges.AudioMinMs, ranges.AudioMaxMs);
  c.YAxis("", -50, 50);
  if (target != chart::kTargetBitmap) {
    c.SetPen(kWhite, 1);
    c.Line(m.PreviousRightTrace, false);
    c.Line(m.PreviousLeftTrace, false);
  }
  c.SetPen(kRed, 1);
  c.Line(m.RightTrace, false);
  c.SetPen(kBlue, 1);
  c.Line(m.LeftTrace, false);

  // Levels: white bars cover the last ones.
  c.PlotArea(0.88, 0, 1, 0.45, {30, 7, 7, 15});
  c.XAxisLabels("", {"L", "R"});
  c.YAxis("", -40, 10);
  c.FillRect(0.6, -39.5, 1.4, 10, kWhite);
  c.FillRect(1.6, -39.5, 2.4, 10, kWhite);
  c.FillRect(0.6, -39.5, 1.4, m.PeakLevelLeft, kBlue);
  c.FillRect(1.6, -39.5, 2.4, m.PeakLevelRight, kRed);

  // Gauges.
  c.PlotArea(0.70, 0.45, 1, 1, {29, 33, 12, 35});
  c.XAxisLabels("", {"Pilot", "RDS", "Phase"});
  c.YAxis("", 0, 10);
  auto gauge = [&c](double x, std::initializer_list<Band> bands) {
    for (const Band& b : bands) c.Bar(x, kGaugeWidth, b.End, b.Fill);
  };
  auto tick = [&c](double x, double v) {
    c.SetPen(kBlack, 1);
    c.DataLine(x - 0.4, v, x + 0.4, v);
  };
  auto kHzGauge = [&](double x, float v, float goodFrom) {
    gauge(x, {{10, kWarningColor}, {7.5, kGoodColor}, {goodFrom, kWarningColor}});
    const bool good = v >= goodFrom && v <= 7.5f;
    // Texts of values off the scale stay on it, clear of the gauge names.
    c.DataText(x, std::clamp(v, 0.0f, 10.0f), FormatFixed(v, 1),
               {HAlign::Center, v > 8 ? VAlign::Top : VAlign::Bottom, false, kBlack,
                good ? kGoodColor : kWarningColor});
    tick(x, v);
  };
  kHzGauge(1, s.PilotKHz, 6);
  kHzGauge(2, s.RdsDeviationKHz, 1);
  c.YAxis("", -90, 90, {.Right = true});
  gauge(3, {{90, kGoodColor},
            {80, kWarningColor},
            {10, kGoodColor},
            {-90, kGoodColor},
            {-80, kWarningColor},
            {-10, kGoodColor}});
  const float v = s.PhaseDeg;
  if (v < 999) {
    const bool good = (v >= -10 && v <= 10) || (v >= 80 && v <= 90) || (v >= -90 && v <= -80);
    c.DataText(3, std::clamp(v, -90.0f, 90.0f), std::to_string(std::lrint(v)),
               {HAlign::Center, v > 50 ? VAlign::Top : VAlign::Bottom, false, kBlack,
                good ? kGoodColor : kWarningColor});
    tick(3, v);
  }
  c.Finish();
}

}  // namespace sondaro
