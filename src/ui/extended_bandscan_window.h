#pragma once
// The resizable window "Extended Bandscan": the bandscan chart with a label
// above every station, filling the window, and a bottom panel with the label
// switches, "Lock", the chart size, "Save Bitmap" and "Close".
#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include "ui/chart_widget.h"

namespace sondaro {

class App;

class ExtendedBandscanWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ExtendedBandscanWindow(App& app, QWidget* parent = nullptr);
  [[nodiscard]] ChartWidget* Chart() const { return chart_; }
  [[nodiscard]] QSize ChartSize() const { return chart_->size(); }
  void RepaintChart() { chart_->RequestRepaint(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void CBSClick();     // any "Show" box
  void CBLOCKClick();  // "Lock"
  void FollowChartArea();

  App& app_;
  QSize minimum_;  // the chart at its smallest and the whole bottom panel
  QWidget* area_;
  ChartWidget* chart_;
  QCheckBox* showFreq_;
  QCheckBox* showPI_;
  QCheckBox* showPS_;
  QCheckBox* lock_;
  QLabel* width_;
  QLabel* height_;
};

}  // namespace sondaro
