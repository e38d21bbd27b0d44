#include "platform/qpainter_canvas.h"

#include <QFontMetrics>
#include <QPolygon>
#include <algorithm>

#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {

QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QPolygon ToQPolygon(std::span<const PixelPoint> points) {
  QPolygon p(static_cast<int>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i)
    p.setPoint(static_cast<int>(i), points[i].X, points[i].Y);
  return p;
}

}  // namespace

QFont QImageCanvas::ChartFont() {
  // One face on every machine, so a chart image drawn here looks the same as
  // one drawn anywhere else (tools/install-deps.sh installs it); a list of
  // alternatives would let each machine's fonts move the texts.
  QFont f(QString::fromLatin1(kChartFontFamily));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  return f;
}

QImageCanvas::QImageCanvas(int width, int height)
    : font_(ChartFont()), pen_(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin) {
  Resize(width, height);
}

QImageCanvas::~QImageCanvas() { End(); }

QPainter& QImageCanvas::Painter() {
  if (!painter_) {
    EnsureImage();
    painter_ = std::make_unique<QPainter>(&image_);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setFont(font_);
    painter_->setPen(pen_);
  }
  return *painter_;
}

void QImageCanvas::End() {
  if (painter_) painter_->end();
  painter_.reset();
}

void QImageCanvas::SetPen(Color color, int width) {
  pen_.setColor(ToQColor(color));
  pen_.setWidth(std::max(1, width));
  Painter().setPen(pen_);
}

void QImageCanvas::FillRect(int x, int y, int w, int h, Color color) {
  if (w <= 0 || h <= 0) return;
  Painter().fillRect(QRect(x, y, w, h), ToQColor(color));
}

void QImageCanvas::Line(int x1, int y1, int x2, int y2) { Painter().drawLine(x1, y1, x2, y2); }

void QImageCanvas::Polyline(std::span<const PixelPoint> points) {
  if (points.size() < 2) return;
  if (pen_.width() <= 1) {
    Painter().drawPolyline(ToQPolygon(points));
    return;
  }
  // A wide polyline is stroked as one outline with joins, which costs
  // QPainter a quarter of a second for a jagged 1800-point series; separate
  // segments with square caps close the corners as well and cost 1 ms.
  std::vector<QLine> segments;
  segments.reserve(points.size());
  for (std::size_t i = 1; i < points.size(); ++i)
    segments.emplace_back(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
  Painter().drawLines(segments.data(), static_cast<int>(segments.size()));
}

void QImageCanvas::Polygon(std::span<const PixelPoint> points, Color fill) {
  if (points.size() < 3) return;
  QPainter& p = Painter();
  p.setPen(Qt::NoPen);
  p.setBrush(ToQColor(fill));
  p.drawPolygon(ToQPolygon(points));
  p.setBrush(Qt::NoBrush);
  p.setPen(pen_);
}

void QImageCanvas::Text(int x, int y, std::string_view text, const TextOptions& options) {
  const QString s = FromLatin1(std::string(text));
  QPainter& p = Painter();
  const QFont font = Face(options.Bold);
  const QFontMetrics fm(font);
  const int w = fm.horizontalAdvance(s), h = fm.height();
  p.save();
  if (options.Bold) p.setFont(font);
  int left, top;
  if (options.Rotate90) {
    // Reads upwards, centred on the anchor.
    p.translate(x, y);
    p.rotate(-90);
    left = -w / 2;
    top = -h / 2;
  } else {
    left = options.H == HAlign::Left ? x : (options.H == HAlign::Center ? x - w / 2 : x - w);
    top = options.V == VAlign::Top ? y : (options.V == VAlign::Center ? y - h / 2 : y - h);
  }
  if (options.Background) p.fillRect(QRect(left, top, w, h), ToQColor(*options.Background));
  p.setPen(ToQColor(options.TextColor));
  p.drawText(left, top + fm.ascent(), s);
  p.restore();
}

void QImageCanvas::SetClip(int x, int y, int w, int h) {
  Painter().setClipRect(QRect(x, y, std::max(0, w), std::max(0, h)));
}

void QImageCanvas::ResetClip() { Painter().setClipping(false); }

QFont QImageCanvas::Face(bool bold) const {
  QFont face = font_;
  face.setBold(bold);
  return face;
}

int QImageCanvas::TextWidth(std::string_view text, bool bold) const {
  return QFontMetrics(Face(bold)).horizontalAdvance(FromLatin1(std::string(text)));
}

int QImageCanvas::TextHeight() const { return QFontMetrics(font_).height(); }

void QImageCanvas::Resize(int width, int height) {
  End();
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  image_ = QImage();
}

void QImageCanvas::EnsureImage() {
  if (!image_.isNull()) return;
  image_ = QImage(width_, height_, QImage::Format_RGB32);
  image_.fill(Qt::white);
}

const QImage& QImageCanvas::Image() {
  End();
  EnsureImage();
  return image_;
}

RgbImage QImageCanvas::Pixels() {
  const QImage rgb = Image().convertToFormat(QImage::Format_RGB888);
  RgbImage out{rgb.width(), rgb.height(), {}};
  const std::size_t row = static_cast<std::size_t>(rgb.width()) * 3;
  out.Pixels.resize(row * rgb.height());
  for (int y = 0; y < rgb.height(); ++y)
    std::copy_n(rgb.constScanLine(y), row, out.Pixels.data() + row * y);
  return out;
}

}  // namespace sondaro
