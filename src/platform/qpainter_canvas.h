#pragma once
// The chart canvas on a QImage, drawn with QPainter: the off-screen bitmap of
// chart images and the backing picture of the chart widgets.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>

#include "core/canvas.h"

namespace sondaro {

// The face of every chart text (the fonts-dejavu-core package).
inline constexpr const char* kChartFontFamily = "DejaVu Sans";

class QImageCanvas final : public BitmapCanvas {
 public:
  explicit QImageCanvas(int width = 1, int height = 1);
  ~QImageCanvas() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetPen(Color color, int width) override;
  void FillRect(int x, int y, int w, int h, Color color) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Polyline(std::span<const PixelPoint> points) override;
  void Polygon(std::span<const PixelPoint> points, Color fill) override;
  void Text(int x, int y, std::string_view text, const TextOptions& options) override;
  void SetClip(int x, int y, int w, int h) override;
  void ResetClip() override;
  int TextWidth(std::string_view text, bool bold = false) const override;
  int TextHeight() const override;
  void Resize(int width, int height) override;
  RgbImage Pixels() override;

  // The picture, with all drawing so far finished.
  const QImage& Image();
  // Charts use one small sans-serif face everywhere: kChartFontFamily.
  static QFont ChartFont();

 private:
  [[nodiscard]] QFont Face(bool bold) const;
  QPainter& Painter();
  void End();

  // Made white at the first drawing: a chart on a page never shown costs
  // no memory.
  void EnsureImage();
  QImage image_;
  int width_ = 1, height_ = 1;
  QFont font_;
  std::unique_ptr<QPainter> painter_;
  QPen pen_;
};

}  // namespace sondaro
