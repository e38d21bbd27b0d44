#pragma once
// A chart on screen: a fixed-size widget whose every paint event draws the
// chart afresh from its current data (target 0, from white), so nothing it
// shows can be older than the data; and the mouse handed to the chart's data
// cursor and zoom.
#include <QImage>
#include <QWidget>
#include <functional>

#include "measure/chart/chart.h"
#include "platform/qpainter_canvas.h"

namespace sondaro {

class ChartWidget : public QWidget {
  Q_OBJECT
 public:
  using DrawFn = std::function<void(int target, Canvas&)>;
  ChartWidget(QSize size, DrawFn draw, chart::ChartMemory& memory, QWidget* parent = nullptr);

  // The chart's data changed: schedules a paint event.
  void RequestRepaint();
  // A new size for a chart that follows its window; redrawn at the next paint.
  void SetChartSize(QSize size);
  // Draws now over the current picture (target 1) and shows it; the paint
  // event that shows it does not draw again.
  void DirectRefresh();
  // What a paint event shows now.
  const QImage& Picture();
  // After a press or move has gone to the cursor (the bandscan selects the
  // frequency under it).
  std::function<void()> AfterPointer;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void FollowPointerShape();

  DrawFn draw_;
  chart::ChartMemory& memory_;
  QImageCanvas canvas_;
  // The picture was just drawn by a direct refresh and not shown yet.
  bool refreshed_ = false;
};

}  // namespace sondaro
