#pragma once
// A chart on screen: a fixed-size widget with a backing picture that its
// drawing routine paints (target 0 from white in the paint event, target 1
// over the current picture), and the mouse handed to the chart's data cursor
// and zoom.
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

  // The chart's data changed: the next paint event redraws it (target 0).
  void RequestRepaint();
  // Draws now over the current picture (target 1) and shows it.
  void DirectRefresh();
  // What is on screen, after any pending repaint.
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
  void Redraw(int target);
  void FollowPointerShape();

  DrawFn draw_;
  chart::ChartMemory& memory_;
  QImageCanvas canvas_;
  bool dirty_ = true;
};

}  // namespace sondaro
