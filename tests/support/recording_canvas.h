#pragma once
// A canvas that records what a chart draws, and paints its filled rectangles
// into a pixel buffer so that image files can be made from it. Text metrics
// are fixed: 6 pixels per character, 13 pixels high.
#include <algorithm>
#include <string>
#include <vector>

#include "core/canvas.h"

namespace sondaro::test {

class RecordingCanvas : public BitmapCanvas {
 public:
  struct TextCall {
    int X, Y;
    std::string Text;
    TextOptions Options;
  };
  struct FillCall {
    int X, Y, W, H;
    Color Fill;
  };
  struct LineCall {
    std::vector<PixelPoint> Points;  // two for a line
    Color Pen;
    int Width;
  };

  RecordingCanvas(int width = 1, int height = 1) { Resize(width, height); }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetPen(Color color, int width) override {
    pen_ = color;
    penWidth_ = width;
  }
  void FillRect(int x, int y, int w, int h, Color color) override {
    Fills.push_back({x, y, w, h, color});
    const int x0 = std::max({x, clip_.X, 0}), y0 = std::max({y, clip_.Y, 0});
    const int x1 = std::min({x + w, clip_.X + clip_.W, width_});
    const int y1 = std::min({y + h, clip_.Y + clip_.H, height_});
    for (int yy = y0; yy < y1; ++yy)
      for (int xx = x0; xx < x1; ++xx) {
        const std::size_t i = (static_cast<std::size_t>(yy) * width_ + xx) * 3;
        image_.Pixels[i] = static_cast<std::uint8_t>(RedOf(color));
        image_.Pixels[i + 1] = static_cast<std::uint8_t>(GreenOf(color));
        image_.Pixels[i + 2] = static_cast<std::uint8_t>(BlueOf(color));
      }
  }
  void Line(int x1, int y1, int x2, int y2) override {
    Lines.push_back({{{x1, y1}, {x2, y2}}, pen_, penWidth_});
  }
  void Polyline(std::span<const PixelPoint> points) override {
    Lines.push_back({{points.begin(), points.end()}, pen_, penWidth_});
  }
  void Polygon(std::span<const PixelPoint> points, Color fill) override {
    Polygons.push_back({{points.begin(), points.end()}, fill, 0});
  }
  void Text(int x, int y, std::string_view text, const TextOptions& options) override {
    Texts.push_back({x, y, std::string(text), options});
  }
  void SetClip(int x, int y, int w, int h) override { clip_ = {x, y, w, h}; }
  void ResetClip() override { clip_ = {0, 0, width_, height_}; }
  // Bold is a pixel wider a character, so a layout that measures with the
  // wrong face shows.
  int TextWidth(std::string_view text, bool bold = false) const override {
    return (bold ? 7 : 6) * static_cast<int>(text.size());
  }
  int TextHeight() const override { return 13; }
  void Resize(int width, int height) override {
    width_ = width;
    height_ = height;
    image_ = {width, height,
              std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 255)};
    clip_ = {0, 0, width, height};
    Clear();
  }
  RgbImage Pixels() override { return image_; }

  void Clear() {
    Texts.clear();
    Fills.clear();
    Lines.clear();
    Polygons.clear();
  }
  // The first text that starts with `prefix`, or nullptr.
  const TextCall* FindText(const std::string& prefix) const {
    for (const auto& t : Texts)
      if (t.Text.rfind(prefix, 0) == 0) return &t;
    return nullptr;
  }

  std::vector<TextCall> Texts;
  std::vector<FillCall> Fills;
  std::vector<LineCall> Lines;
  std::vector<LineCall> Polygons;  // Pen holds the fill

 private:
  struct Clip {
    int X, Y, W, H;
  };
  int width_ = 1, height_ = 1;
  Color pen_ = kBlack;
  int penWidth_ = 1;
  Clip clip_{};
  RgbImage image_;
};

}  // namespace sondaro::test
