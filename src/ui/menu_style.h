#pragma once
// The program's own look: push buttons on a white-to-theme gradient, and
// menus with 22-pixel items 32 pixels wider than the
// platform's, on the theme's side bar; the highlighted item framed in grey
// with white text; separators that carry a caption show it right-aligned
// before their line.
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace sondaro {

class MenuStyle final : public QProxyStyle {
 public:
  static constexpr int kItemHeight = 22;
  static constexpr int kExtraWidth = 32;
  static constexpr int kIconLeft = 11;
  static constexpr int kTextLeft = 28;
  static constexpr int kTextLeftHighlighted = 26;

  using QProxyStyle::QProxyStyle;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  // The menu bar's overflow chevron is drawn, not read from an image file:
  // reading one would load every image format plugin at start.
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                     const QWidget* widget) const override;

 private:
  void DrawSeparator(const QStyleOptionMenuItem& item, QPainter* p) const;
  void DrawGroupBoxFrame(const QRect& rect, QPainter* p) const;
};

}  // namespace sondaro
