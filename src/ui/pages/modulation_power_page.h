#pragma once
// The page "Modulation Power": the 30-minute chart and the buttons "Run",
// "Stop", "Clear", "Save Data", "Save Bitmap".
#include "ui/chart_widget.h"
#include "ui/page.h"

namespace sondaro {

class ModulationPowerPage : public Page {
  Q_OBJECT
 public:
  explicit ModulationPowerPage(App& app, QWidget* parent = nullptr);
  void Refresh(Area) override {}
  void RepaintChart(ChartTag tag) override;
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }

 private:
  ChartWidget* chart_;
};

}  // namespace sondaro
