#include "measure/modulation_power.h"

#include <algorithm>
#include <cmath>

#include "core/formats.h"
#include "core/text.h"
#include "link/bulk_replies.h"
#include "link/command_set.h"

namespace sondaro {

namespace {
constexpr Color kNavy = MakeColor(0, 0, 128);
constexpr double kPointsPerMinute = 60;
}  // namespace

ModulationPower::ModulationPower(Clock& clock, View& view, DeviceLink& link)
    : clock_(clock), view_(view), link_(link) {}

void ModulationPower::BitBtn14Click() {
  if (EnterMeasuringMode) EnterMeasuringMode();
  link_.Send(cmd::kPmOn);
}

void ModulationPower::BitBtn15Click() { link_.Send(cmd::kPmOff); }

void ModulationPower::GradBtn14Click() { ClearPM(); }

void ModulationPower::StorePmValue(float value) {
  if (value == kNoPmValue || PmHistory.size() >= kHistoryCap) return;
  PmHistory.push_back(value);
  const std::size_t n = std::min(PmHistory.size(), kWindow);
  const std::size_t first = PmHistory.size() - n;
  PmWindow.resize(n);
  PmMin = 100;
  PmMax = -100;
  double sum = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const float v = PmHistory[first + j];
    PmWindow[j] = {j / kPointsPerMinute, v};
    if (v > PmMax) PmMax = v;
    if (v < PmMin) PmMin = v;
    sum += v;
  }
  PmAve = static_cast<float>(sum / n);
  const Millis now = clock_.WallNow();
  LastValueText = "Last value: " + FormatFixed(value, 1) + " dBr (at " + DateTimeToStr(now) + ")";
  PmLastText = FormatFixed(value, 1) + " dBr";
  PmMaxText = FormatFixed(PmMax, 1);
  PmMinText = FormatFixed(PmMin, 1);
  PmAveText = FormatFixed(PmAve, 2);
  view_.Changed(Area::ModulationPower);
  // The chart follows every tenth value.
  if (PmHistory.size() % 10 == 0) Repaint();
}

void ModulationPower::ClearPM() {
  PmHistory.clear();
  PmHistory.shrink_to_fit();
  PmWindow.clear();
  PmMax = 0;
  PmMin = 0;
  LastValueText = kClearedLastValue;
  PmLastText.clear();
  PmMaxText.clear();
  PmMinText.clear();
  PmAveText.clear();
  view_.Changed(Area::ModulationPower);
  Repaint();
}

void ModulationPower::Repaint() { view_.Repaint(ChartTag::PM); }

void ModulationPower::VymalujPM(int target, Canvas& canvas) {
  const double n = static_cast<double>(PmWindow.size());
  const double minutes = std::max(5.0, std::trunc((n - 1) / kPointsPerMinute + 1));
  chart::Chart c(canvas, Chart, target);
  c.Start();
  c.TextRow(183, {{90, "MAX: " + FormatFixed(PmMax, 1) + " dBr"},
                  {190, "MIN: " + FormatFixed(PmMin, 1) + " dBr"},
                  {285, "AVE: " + FormatFixed(PmAve, 2) + " dBr"},
                  {605, LastValueText, HAlign::Right}});
  c.PlotArea({42, 10, 10, 55});
  c.XAxis("Time [min]", 0, minutes);
  const double bottom = PmMin < -1 ? std::trunc(PmMin - 1.0) : -1;
  const double top = PmMax > 1 ? std::trunc(PmMax + 1.0) : 1;
  c.YAxis("[dBr]", bottom, top);
  c.SetPen(kNavy, 2);
  c.Line(PmWindow);
  c.CursorReadout(8, c.Height() - 37, 0);
  c.Finish();
}

}  // namespace sondaro
