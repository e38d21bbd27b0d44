#pragma once
// The drawing surface of the charts. The engine draws through this port; the
// platform draws with QPainter on an image, tests record the calls.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sondaro {

// RGB colour with red in the low byte, then green, then blue.
using Color = std::uint32_t;
[[nodiscard]] constexpr Color MakeColor(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
[[nodiscard]] constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
[[nodiscard]] constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
[[nodiscard]] constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Color kWhite = MakeColor(255, 255, 255);
inline constexpr Color kBlack = MakeColor(0, 0, 0);

struct PixelPoint {
  int X = 0, Y = 0;
  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

enum class HAlign { Left, Center, Right };  // text starts / is centred / ends at the anchor
enum class VAlign { Top, Center, Bottom };  // top / middle / bottom of the text at the anchor

struct TextOptions {
  // Brace-initialised in order, e.g. {HAlign::Right, VAlign::Bottom}.
  TextOptions(HAlign h = HAlign::Left, VAlign v = VAlign::Top, bool rotate90 = false,
              Color textColor = kBlack, std::optional<Color> background = std::nullopt)
      : H(h), V(v), Rotate90(rotate90), TextColor(textColor), Background(background) {}
  HAlign H;
  VAlign V;
  // Reads upwards, centred on the anchor whatever the alignment.
  bool Rotate90;
  Color TextColor;
  // Box filled behind the text.
  std::optional<Color> Background;
  bool Bold = false;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;
  // Pen for Line and Polyline.
  virtual void SetPen(Color color, int width) = 0;
  // Fills the w x h pixels from (x, y), without outline.
  virtual void FillRect(int x, int y, int w, int h, Color color) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void Polyline(std::span<const PixelPoint> points) = 0;
  // Filled, without outline.
  virtual void Polygon(std::span<const PixelPoint> points, Color fill) = 0;
  virtual void Text(int x, int y, std::string_view text, const TextOptions& options) = 0;
  // Later drawing stays inside the rectangle until ResetClip.
  virtual void SetClip(int x, int y, int w, int h) = 0;
  virtual void ResetClip() = 0;
  // In the face the text is drawn in: regular, or bold.
  [[nodiscard]] virtual int TextWidth(std::string_view text, bool bold = false) const = 0;
  [[nodiscard]] virtual int TextHeight() const = 0;
};

// The box a text takes on the canvas: x from Left up to, not including,
// Right; y likewise. A rotated text is as wide as the face is high.
struct TextBox {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  [[nodiscard]] bool Overlaps(const TextBox& o) const {
    return Left < o.Right && o.Left < Right && Top < o.Bottom && o.Top < Bottom;
  }
  friend bool operator==(const TextBox&, const TextBox&) = default;
};

[[nodiscard]] inline TextBox TextBounds(const Canvas& canvas, int x, int y, std::string_view text,
                                        const TextOptions& options) {
  const int w = canvas.TextWidth(text, options.Bold), h = canvas.TextHeight();
  if (options.Rotate90) return {x - h / 2, y - w / 2, x - h / 2 + h, y - w / 2 + w};
  const int left = options.H == HAlign::Left ? x : (options.H == HAlign::Center ? x - w / 2 : x - w);
  const int top = options.V == VAlign::Top ? y : (options.V == VAlign::Center ? y - h / 2 : y - h);
  return {left, top, left + w, top + h};
}

// 24-bit picture, rows top to bottom, three bytes per pixel (R, G, B).
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;
  [[nodiscard]] Color At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * Width + x) * 3;
    return MakeColor(Pixels[i], Pixels[i + 1], Pixels[i + 2]);
  }
};

// An off-screen bitmap: sized before each use, read back as pixels.
class BitmapCanvas : public Canvas {
 public:
  // New size; the picture becomes white.
  virtual void Resize(int width, int height) = 0;
  [[nodiscard]] virtual RgbImage Pixels() = 0;
};

}  // namespace sondaro
