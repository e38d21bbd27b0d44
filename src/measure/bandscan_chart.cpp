// The bandscan charts: the page chart "BAND" and the extended window's chart
// "EBND", which adds a rotated label above every station.
#include <algorithm>
#include <cmath>

#include "measure/bandscan.h"
#include "measure/chart/color.h"

namespace sondaro {

namespace {

using chart::PointD;
using chart::ToRGB;

constexpr double kBandLowMHz = 87.5, kBandHighMHz = 108.0;
constexpr int kCurvePoints = 2 * kScanChannels - 1;  // 411

}  // namespace

int ComputeLabelSpace(bool showFreq, bool showPI, bool showPS) {
  int space = 0;
  if (showFreq) space += 26;
  if (showFreq && (showPI || showPS)) space += 10;
  if (showPI) space += 27;
  if (showPI && showPS) space += 7;
  if (showPS) space += 59;
  return space;
}

std::string StationLabel(const TStationList& s, const ExtendedBandscanSettings& show) {
  std::string label;
  if (show.ShowFreq) label += ChannelFrequencyText(s.Channel);
  if (show.ShowFreq && (show.ShowPI || show.ShowPS)) label += "   ";
  if (show.ShowPI) label += s.PI;
  if (show.ShowPI && show.ShowPS) label += "  ";
  // Without PI shown, a station that sent no name is known by its PI.
  if (show.ShowPS) label += s.PS.empty() && !show.ShowPI ? s.PI : s.PS;
  return label;
}

int ExtendedTopInset(int chartHeight, int labelSpace, int strongestSignal, int cap) {
  const double r = chartHeight - labelSpace - 42;
  int top = static_cast<int>(std::trunc(r + labelSpace - r * 100 / (strongestSignal + 2))) + 12;
  top = std::min(top, cap);
  if (top + 50 > chartHeight) top = chartHeight - 50;
  return std::max(top, 10);
}

std::vector<PointD> BuildBandscanCurve(const ChannelLevels& display) {
  std::vector<PointD> curve(kCurvePoints);
  for (int i = 0; i < kScanChannels; ++i) {
    curve[2 * i] = {kBandLowMHz + i / 10.0, static_cast<double>(display[i])};
    if (i + 1 == kScanChannels) break;
    const int a = display[i], b = display[i + 1];
    curve[2 * i + 1] = {87.55 + i / 10.0, std::min(a, b) + 0.75 * std::abs(a - b)};
  }
  return curve;
}

std::vector<PointD> BuildBandscanArea(const std::vector<PointD>& curve) {
  std::vector<PointD> area;
  area.reserve(curve.size() + 2);
  for (std::size_t k = 0; k < curve.size(); ++k) area.push_back({kBandLowMHz + k * 0.05, curve[k].Y});
  area.push_back({kBandHighMHz, 0});
  area.push_back({kBandLowMHz, 0});
  return area;
}

void Bandscan::VymalujBAND(int target, Canvas& canvas) {
  chart::Chart c(canvas, BandChart, target);
  c.Start();
  c.Text(4, c.Height() - 4, "Acquired: " + BandscanAcquiredText, {HAlign::Left, VAlign::Bottom});
  c.PlotArea({40, 15, 10, 52});
  DrawBandscan(c, canvas, false);
  if (target == chart::kTargetPaint) c.CursorReadout(350, 214, 0);
  c.Finish();
}

void Bandscan::VymalujEBND(int target, Canvas& canvas) {
  chart::Chart c(canvas, ExtendedChart, target);
  c.Start();
  c.Text(4, c.Height() - 4, "Acquired: " + BandscanAcquiredText, {HAlign::Left, VAlign::Bottom});
  int strongest = 0, widest = 0;
  for (const TStationList& s : StationList) {
    strongest = std::max(strongest, s.Signal);
    if (s.Channel >= 1 && s.Channel <= kScanChannels - 2)
      widest = std::max(widest, canvas.TextWidth(StationLabel(s, Extended), Grid));
  }
  // The reserved space was made for a narrower face: labels wider than it
  // get the room they need, as far as the plot keeps 100 pixels.
  const int extra = std::clamp(widest + 2 - labelSpace_, 0, std::max(0, c.Height() - 278));
  c.PlotArea(
      {40, 15, ExtendedTopInset(c.Height(), labelSpace_ + extra, strongest, 139 + extra), 38});
  DrawBandscan(c, canvas, true);
  if (target == chart::kTargetPaint) c.CursorReadout(c.Width() - 150, c.Height() - 17, 0);
  c.Finish();
}

// Strongest stations first; a label that would run into one already written
// is left out, and one too long for the room above its station is shortened.
void Bandscan::DrawStationLabels(chart::Chart& c, const Canvas& canvas) {
  TextOptions look{HAlign::Center, VAlign::Center, true};
  look.Bold = Grid;
  std::vector<const TStationList*> order;
  for (const TStationList& s : StationList)
    if (s.Channel >= 1 && s.Channel <= kScanChannels - 2) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(), [](const TStationList* a, const TStationList* b) {
    return a->Signal > b->Signal;
  });
  std::vector<TextBox> written;
  for (const TStationList* s : order) {
    std::string label = StationLabel(*s, Extended);
    if (label.empty()) continue;
    // The rotated text starts at the anchor and reads upwards from it.
    const int x = c.ToPixelX(kBandLowMHz + s->Channel / 10.0);
    const int from = c.ToPixelY(std::min(s->Signal + 2, 100));
    int w = canvas.TextWidth(label, look.Bold);
    while (w > from - 3 && label.size() > 3) {
      if (label.ends_with("..")) label.resize(label.size() - 2);
      label.pop_back();
      label += "..";
      w = canvas.TextWidth(label, look.Bold);
    }
    const int y = from - w / 2;
    const TextBox box = TextBounds(canvas, x, y, label, look);
    if (std::any_of(written.begin(), written.end(),
                    [&box](const TextBox& b) { return b.Overlaps(box); }))
      continue;
    written.push_back(box);
    c.Text(x, y, label, look);
  }
}

// Axes, the green bands, (labels), the curve in the chosen style.
void Bandscan::DrawBandscan(chart::Chart& c, const Canvas& canvas, bool extended) {
  const std::string unit = LevelsInDbuv() ? "[dBuV]" : "[dB]";
  const std::vector<PointD> curve = BuildBandscanCurve(DisplayLevel);
  const std::string yTitle = "Signal " + unit;
  const chart::YAxisOptions yOptions{false, kBlack, Grid};
  c.XAxis("Frequency [MHz]", kBandLowMHz, kBandHighMHz);
  c.YAxis(yTitle, 0, 100, yOptions);
  // Pale green at the bottom to white at the top.
  for (int i = 1; i <= 10; ++i)
    c.FillRect(kBandLowMHz, (i - 1) * 10, kBandHighMHz, i * 10, ToRGB(0.33, 1.0, 0.9 + i / 100.0));
  if (extended) DrawStationLabels(c, canvas);
  std::vector<PointD> area;
  if (Style == 2 || Style == 3) area = BuildBandscanArea(curve);
  c.YAxis(yTitle, 0, 100, yOptions);  // its grid over the bands

  switch (Style) {
    case 0:
    case 1: {
      c.SetPen(ToRGB(0.6667, 0.4, 0.6), 1);
      c.Bars(curve, 0.4);
      const double width = Style == 0 ? 0.0682 : 0.11;
      // Stronger points are darker blue.
      for (const PointD& p : curve) c.Bar(p.X, width, p.Y, ToRGB(0.6667, 0.4, 0.5 - 0.2 * p.Y / 100));
      break;
    }
    case 2:
    case 3: {
      const bool blue = Style == 2;
      c.SetPen(blue ? ToRGB(0.67, 0.4, extended ? 0.75 : 0.7) : ToRGB(0, 0, 0.7), 2);
      c.Line(curve);
      c.FillPolygon(area, blue ? ToRGB(0.67, 0.5, 0.2) : kBlack);
      break;
    }
    default: {
      const bool heavy = Style == 5;
      c.SetPen(ToRGB(0, 0, 0.7), heavy ? 3 : 2);
      c.Line(curve);
      c.SetPen(kBlack, heavy ? 2 : 1);
      c.Line(curve);
      break;
    }
  }
}

}  // namespace sondaro
