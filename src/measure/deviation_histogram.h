#pragma once
// The frequency deviation histogram of the page "Frequency Deviation": the
// latest 122 one-kHz bins from the analyzer, their statistics, and the chart
// as a histogram or as an accumulated distribution.
#include <array>
#include <functional>
#include <string>

#include "core/canvas.h"
#include "core/clock.h"
#include "core/view.h"
#include "link/bulk_replies.h"
#include "link/device_link.h"
#include "measure/chart/chart.h"

namespace sondaro {

// The analyzer samples the deviation 20 times a second.
inline constexpr int kSamplesPerSecond = 20;
inline constexpr int kSamplesPerMinute = 60 * kSamplesPerSecond;  // 1200
inline constexpr int kSamplesPerHour = 60 * kSamplesPerMinute;    // 72000

// "Total time: H:MM:SS" for a number of samples.
[[nodiscard]] std::string TotalTimeTextOf(long long samples);

class DeviationHistogram {
 public:
  static constexpr int kLimitMin = 50, kLimitMax = 110;
  static constexpr int kDrawnBins = 121;  // bin 121 counts but has no bar
  static constexpr int kChartWidth = 521, kChartHeight = 233;

  DeviationHistogram(Clock& clock, View& view, DeviceLink& link);

  void BitBtn12Click();        // "Acquire"
  void GradBtn43Click();       // "Reset": the analyzer restarts its accumulation
  void IAeverButton30Click();  // "Change": histogram <-> accumulated view
  void SEDEVLIMChange();       // the deviation limit spin box changed
  // Sets the spin box (clamped to its 50..110), firing its change handler
  // when the value changes.
  void SetDeviationLimit(int kHz);
  void StoreHistogram(const HistogramCounts& counts);
  void ClearFDev();
  void VymalujDEV(int target, Canvas& canvas);
  // Redraw request for the screen.
  void Repaint();
  // Caption of the frame around the chart, following the view.
  [[nodiscard]] std::string FrameCaption() const;

  HistogramCounts Bins{};
  float MaxCount = 1.0f;
  int MaxAtKHz = 0;
  int MinKHz = 0;
  int TotalSamples = 0;
  int AboveThresholdKHz = 76;
  long double AbovePercent = -1;  // -1: not computed for the current limit
  std::string AcquiredText;
  std::string TotalTimeText = "Total time: 0:00:00";
  std::string MinText;
  bool ShowHistogram = true;
  int DeviationLimit = 75;  // the spin box's value before the settings are read

  // Data cursor and zoom of the chart.
  chart::ChartMemory Chart;
  // "Online Deviation and Signal" is checked.
  std::function<bool()> OnlineChecked;

 private:
  Clock& clock_;
  View& view_;
  DeviceLink& link_;
};

}  // namespace sondaro
