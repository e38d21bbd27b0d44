#pragma once
// The program's own look: push buttons on a white-to-theme gradient, and
// menus with 22-pixel items 32 pixels wider than the
// platform's, on the theme's side bar, framed, with a drawn shadow edge; the
// highlighted item framed in grey with white text on a gradient dark enough
// to read it; separators that carry a caption show it right-aligned before
// their line. Every control with keyboard focus wears a blue frame.
#include <QColor>
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
  static constexpr int kMenuFrame = 2;
  static constexpr int kCaptionFrameGap = 3;

  // The highlighted menu item: gradient ends and the text on them.
  struct Highlight {
    QColor Top;
    QColor Bottom;
    QColor Text;
  };
  // WCAG AA for text.
  static constexpr double kMinimumContrast = 4.5;
  // The theme's gradient, darkened until white text on either end reaches
  // kMinimumContrast.
  static Highlight HighlightFor(const QColor& theme);
  // WCAG contrast ratio of two colours, 1 to 21.
  static double ContrastRatio(const QColor& a, const QColor& b);
  // The keyboard focus frame, two pixels wide just inside the rectangle;
  // custom-drawn buttons call it too.
  static QColor FocusColour() { return {0, 84, 190}; }
  static void DrawFocusFrame(QPainter* p, const QRect& r, qreal radius = 3);

  using QProxyStyle::QProxyStyle;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  // The menu bar's overflow chevron is drawn, not read from an image file:
  // reading one would load every image format plugin at start.
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                     const QWidget* widget) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget) const override;

 private:
  void DrawMenuItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* widget) const;
  void DrawSeparator(const QStyleOptionMenuItem& item, QPainter* p) const;
  void DrawGroupBoxFrame(const QRect& rect, QPainter* p) const;
  void DrawButtonPanel(const QStyleOption* option, QPainter* p) const;
  static void DrawMenuFrame(const QStyleOption* option, QPainter* p);
  static void DrawFocusRect(const QStyleOption* option, QPainter* p, const QWidget* widget);
};

}  // namespace sondaro
