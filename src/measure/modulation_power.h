#pragma once
// Modulation power of the page "Modulation Power": the analyzer reports one
// value in dBr per second while its stream runs ("*P" starts it, "*p" stops
// it). The history keeps up to 48 hours; statistics and chart cover the last
// 30 minutes.
#include <functional>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/clock.h"
#include "core/view.h"
#include "link/device_link.h"
#include "measure/chart/chart.h"

namespace sondaro {

class ModulationPower {
 public:
  static constexpr std::size_t kHistoryCap = 172800;  // 48 hours of seconds
  static constexpr std::size_t kWindow = 1800;        // 30 minutes
  static constexpr int kChartWidth = 609, kChartHeight = 201;

  ModulationPower(Clock& clock, View& view, DeviceLink& link);

  void BitBtn14Click();   // "Run"
  void BitBtn15Click();   // "Stop"
  void GradBtn14Click();  // "Clear"
  void StorePmValue(float value);
  void ClearPM();
  void VymalujPM(int target, Canvas& canvas);
  void Repaint();

  std::vector<float> PmHistory;
  std::vector<chart::PointD> PmWindow;
  float PmMax = 0, PmMin = 0, PmAve = 0;
  std::string LastValueText = kClearedLastValue;
  std::string PmLastText, PmMaxText, PmMinText, PmAveText;

  chart::ChartMemory Chart;
  // Puts the analyzer into measuring mode before the stream starts.
  std::function<void()> EnterMeasuringMode;

  static inline const std::string kClearedLastValue = "Last value:" + std::string(26, ' ');

 private:
  Clock& clock_;
  View& view_;
  DeviceLink& link_;
};

}  // namespace sondaro
