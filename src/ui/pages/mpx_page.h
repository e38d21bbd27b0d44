#pragma once
// The page "MPX": the five-panel chart, "Run", "Single", "Stop", the time
// base switch "Double", "Clear", "Save FFTD" and "Save Bitmap".
#include <QCheckBox>

#include "ui/chart_widget.h"
#include "ui/page.h"

namespace sondaro {

class MpxPage : public Page {
  Q_OBJECT
 public:
  explicit MpxPage(App& app, QWidget* parent = nullptr);
  ~MpxPage() override;
  void Refresh(Area area) override;
  void RepaintChart(ChartTag tag) override;
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }
  [[nodiscard]] QCheckBox* DoubleBox() const { return double_; }

 private:
  ChartWidget* chart_;
  QCheckBox* double_;
};

}  // namespace sondaro
