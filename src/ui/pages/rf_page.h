#pragma once
// The page "RF Carrier": the carrier spectrum and deviation histogram chart
// in its captioned frame, "Run", "Stop", "Clear", "Save Bitmap" and the
// group "Settings" with "Mask", "Max hold" and "Histogram".
#include <QCheckBox>

#include "ui/chart_widget.h"
#include "ui/page.h"

namespace sondaro {

class RfPage : public Page {
  Q_OBJECT
 public:
  explicit RfPage(App& app, QWidget* parent = nullptr);
  ~RfPage() override;
  void Refresh(Area area) override;
  void RepaintChart(ChartTag tag) override;
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }

 private:
  ChartWidget* chart_;
  QCheckBox* mask_;
  QCheckBox* maxHold_;
  QCheckBox* histogram_;
};

}  // namespace sondaro
