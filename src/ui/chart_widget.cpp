#include "ui/chart_widget.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

namespace sondaro {

namespace {

chart::Modifiers ModifiersOf(const QMouseEvent* e) {
  return {e->modifiers().testFlag(Qt::ShiftModifier), e->modifiers().testFlag(Qt::ControlModifier)};
}

}  // namespace

ChartWidget::ChartWidget(QSize size, DrawFn draw, chart::ChartMemory& memory, QWidget* parent)
    : QWidget(parent),
      draw_(std::move(draw)),
      memory_(memory),
      canvas_(size.width(), size.height()) {
  setFixedSize(size);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartWidget::RequestRepaint() {
  refreshed_ = false;
  update();
}

void ChartWidget::SetChartSize(QSize size) {
  if (size == this->size()) return;
  setFixedSize(size);
  canvas_.Resize(size.width(), size.height());
  RequestRepaint();
}

void ChartWidget::DirectRefresh() {
  // A hidden chart gets no paint event to show the picture; its next paint
  // draws from the data anyway.
  if (!isVisible()) return;
  if (draw_) draw_(chart::kTargetRefresh, canvas_);
  refreshed_ = true;
  update();
}

const QImage& ChartWidget::Picture() {
  if (!refreshed_) {
    canvas_.FillRect(0, 0, canvas_.Width(), canvas_.Height(), kWhite);
    if (draw_) draw_(chart::kTargetPaint, canvas_);
  }
  refreshed_ = false;
  return canvas_.Image();
}

// Every paint draws the whole chart from the current data: about a
// millisecond, and no picture can outlive a change nobody announced.
void ChartWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, Picture());
}

// Back on its page: a gesture that the page change ended leaves no cursor.
void ChartWidget::showEvent(QShowEvent*) {
  refreshed_ = false;
  FollowPointerShape();
}

void ChartWidget::FollowPointerShape() {
  if (memory_.Zooming())
    setCursor(Qt::CrossCursor);
  else if (memory_.Confinement())
    setCursor(memory_.CursorMode() == 3 ? Qt::SizeHorCursor : Qt::CrossCursor);
  else
    unsetCursor();
}

// Mouse down: the chart is drawn afresh with the cursor or zoom started.
void ChartWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint at = e->position().toPoint();
  memory_.MouseDown(at.x(), at.y(), ModifiersOf(e));
  RequestRepaint();
  FollowPointerShape();
  if (AfterPointer) AfterPointer();
}

void ChartWidget::mouseMoveEvent(QMouseEvent* e) {
  QPoint at = e->position().toPoint();
  if (auto r = memory_.Confinement()) {
    // The pointer stays inside the plot while the button is held.
    const QPoint held(std::clamp(at.x(), r->Left, r->Right), std::clamp(at.y(), r->Top, r->Bottom));
    if (held != at) {
      QCursor::setPos(mapToGlobal(held));
      at = held;
    }
  }
  if (!memory_.MouseMove(at.x(), at.y())) return;
  RequestRepaint();
  if (AfterPointer) AfterPointer();
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint at = e->position().toPoint();
  if (memory_.MouseUp(at.x(), at.y(), ModifiersOf(e))) RequestRepaint();
  FollowPointerShape();
}

}  // namespace sondaro
