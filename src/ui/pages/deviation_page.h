#pragma once
// The page "Frequency Deviation": the histogram chart in its captioned frame
// and the buttons "Acquire", "Reset", "Change", "Save Data", "Save Bitmap".
#include <QGroupBox>

#include "ui/chart_widget.h"
#include "ui/page.h"

namespace sondaro {

class DeviationPage : public Page {
  Q_OBJECT
 public:
  explicit DeviationPage(App& app, QWidget* parent = nullptr);
  void Refresh(Area area) override;
  void RepaintChart(ChartTag tag) override;
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }

 private:
  QGroupBox* frame_;
  ChartWidget* chart_;
};

}  // namespace sondaro
