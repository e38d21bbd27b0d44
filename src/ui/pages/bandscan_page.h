#pragma once
// The page "Bandscan": the bandscan chart, "Acquire", "Stop", "Extend",
// "Save Bitmap", "Text Result", the style slider, "Grid", and how far a
// running scan has come. It owns the "Extended Bandscan" and "Log Window"
// windows.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "ui/chart_widget.h"
#include "ui/page.h"

namespace sondaro {

class ExtendedBandscanWindow;
class LogWindow;

class BandscanPage : public Page {
  Q_OBJECT
 public:
  explicit BandscanPage(App& app, QWidget* parent = nullptr);
  ~BandscanPage() override;
  void Refresh(Area area) override;
  void RepaintChart(ChartTag tag) override;
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }
  [[nodiscard]] ExtendedBandscanWindow* Extended() const { return extended_; }
  [[nodiscard]] LogWindow* Log() const { return log_; }

 private:
  ChartWidget* chart_;
  QPushButton* acquire_;
  QPushButton* stop_;
  QSlider* style_;
  QCheckBox* grid_;
  QProgressBar* progress_;
  QLabel* progressText_;
  QLabel* stations_;
  ExtendedBandscanWindow* extended_;
  LogWindow* log_;
};

}  // namespace sondaro
