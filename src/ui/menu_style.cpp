#include "ui/menu_style.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QStyleOptionMenuItem>
#include <cmath>

namespace sondaro {

namespace {
const QColor kFrameGrey(128, 128, 128);

// The colour "Apply" chose; the application carries it for every menu.
QColor ThemeColour() {
  const QColor c = qApp->property("sondaroTheme").value<QColor>();
  return c.isValid() ? c : QColor(219, 219, 219);
}

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
  return 0.2126 * Linear(c.red()) + 0.7152 * Linear(c.green()) + 0.0722 * Linear(c.blue());
}
}  // namespace

double MenuStyle::ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

MenuStyle::Highlight MenuStyle::HighlightFor(const QColor& theme) {
  Highlight h{theme.darker(130), theme.darker(170), Qt::white};
  // A light theme leaves white text unreadable on the plain darkened ends.
  while (ContrastRatio(h.Text, h.Top) < kMinimumContrast ||
         ContrastRatio(h.Text, h.Bottom) < kMinimumContrast) {
    h.Top = h.Top.darker(110);
    h.Bottom = h.Bottom.darker(110);
  }
  return h;
}

void MenuStyle::DrawFocusFrame(QPainter* p, const QRect& r, qreal radius) {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setBrush(Qt::NoBrush);
  p->setPen(QPen(FocusColour(), 2));
  p->drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), radius, radius);
  p->restore();
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                  const QSize& size, const QWidget* widget) const {
  QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
  // Room right of the caption for its focus frame.
  if (type == CT_CheckBox || type == CT_RadioButton) return s + QSize(kCaptionFrameGap, 0);
  if (type != CT_MenuItem) return s;
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (item && item->menuItemType != QStyleOptionMenuItem::Separator) s.setHeight(kItemHeight);
  s.setWidth(s.width() + kExtraWidth);
  return s;
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
  if (metric == PM_MenuPanelWidth) return kMenuFrame;
  return QProxyStyle::pixelMetric(metric, option, widget);
}

// Push buttons: a gradient from white to the theme colour, darker while
// pressed, framed in grey, or in the focus frame while focused.
void MenuStyle::DrawButtonPanel(const QStyleOption* option, QPainter* p) const {
  const QRect r = option->rect.adjusted(0, 0, -1, -1);
  const bool down = option->state & (State_Sunken | State_On);
  const QColor theme = ThemeColour();
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, down ? theme : QColor(Qt::white));
  g.setColorAt(1, down ? theme.darker(125) : theme);
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setBrush(g);
  p->setPen(kFrameGrey);
  p->drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  p->restore();
  if (option->state & State_HasFocus) DrawFocusFrame(p, option->rect);
}

// A grey line round the menu; its right and bottom edges doubled in a
// darker grey read as a shadow against the page behind.
void MenuStyle::DrawMenuFrame(const QStyleOption* option, QPainter* p) {
  const QRect r = option->rect;
  p->save();
  p->setPen(kFrameGrey);
  p->drawRect(r.adjusted(0, 0, -1, -1));
  p->setPen(QColor(64, 64, 64));
  for (int i = 0; i < 2; ++i) {
    p->drawLine(r.right() - i, r.top() + i, r.right() - i, r.bottom() - i);
    p->drawLine(r.left() + i, r.bottom() - i, r.right() - i, r.bottom() - i);
  }
  p->restore();
}

void MenuStyle::DrawFocusRect(const QStyleOption* option, QPainter* p, const QWidget* widget) {
  // A push button's panel already carries the frame.
  if (qobject_cast<const QPushButton*>(widget)) return;
  QRect r = option->rect;
  // The platform's frame hugs a check box's caption; this one stands clear.
  if (qobject_cast<const QAbstractButton*>(widget))
    r = r.adjusted(-kCaptionFrameGap, -1, kCaptionFrameGap, 1) & widget->rect();
  DrawFocusFrame(p, r, 2);
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* p,
                              const QWidget* widget) const {
  switch (element) {
    case PE_PanelButtonCommand:
      DrawButtonPanel(option, p);
      return;
    case PE_FrameMenu:
      DrawMenuFrame(option, p);
      return;
    case PE_FrameGroupBox:
      DrawGroupBoxFrame(option->rect, p);
      return;
    case PE_FrameFocusRect:
      DrawFocusRect(option, p, widget);
      return;
    case PE_FrameLineEdit:
      QProxyStyle::drawPrimitive(element, option, p, widget);
      if (option->state & State_HasFocus) DrawFocusFrame(p, option->rect);
      return;
    default:
      QProxyStyle::drawPrimitive(element, option, p, widget);
  }
}

void MenuStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* p, const QWidget* widget) const {
  QProxyStyle::drawComplexControl(control, option, p, widget);
  const bool framed = control == CC_ComboBox || control == CC_SpinBox ||
                      control == CC_ScrollBar || control == CC_Slider;
  if (framed && (option->state & State_HasFocus)) DrawFocusFrame(p, option->rect);
}

void MenuStyle::DrawSeparator(const QStyleOptionMenuItem& item, QPainter* p) const {
  const QRect r = item.rect;
  const int y = r.center().y();
  int lineEnd = r.right() - 4;
  if (!item.text.isEmpty()) {
    const int w = item.fontMetrics.horizontalAdvance(item.text);
    p->setPen(item.palette.color(QPalette::Text));
    p->drawText(QRect(r.right() - w - 4, r.top(), w, r.height()), Qt::AlignVCenter, item.text);
    lineEnd = r.right() - w - 8;
  }
  p->setPen(kFrameGrey);
  p->drawLine(r.left() + kTextLeft, y, lineEnd, y);
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                            const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (element == CE_MenuItem && item) {
    DrawMenuItem(item, p, widget);
    return;
  }
  if (element == CE_MenuBarItem && item && (item->state & State_Selected)) {
    // The open menu's title in the same readable colours as its items.
    QStyleOptionMenuItem title = *item;
    const Highlight h = HighlightFor(ThemeColour());
    title.palette.setColor(QPalette::Highlight, h.Top);
    title.palette.setColor(QPalette::HighlightedText, h.Text);
    QProxyStyle::drawControl(element, &title, p, widget);
    return;
  }
  QProxyStyle::drawControl(element, option, p, widget);
  if (element == CE_TabBarTab && (option->state & State_HasFocus))
    DrawFocusFrame(p, option->rect.adjusted(2, 2, -2, 0));
}

void MenuStyle::DrawMenuItem(const QStyleOptionMenuItem* item, QPainter* p,
                             const QWidget* widget) const {
  const QStyleOption* option = item;
  p->save();
  const QRect r = item->rect;
  const QColor theme = ThemeColour();
  // The side bar behind the icons, then the item's own background.
  p->fillRect(r, item->palette.color(QPalette::Base));
  p->fillRect(QRect(r.left(), r.top(), kTextLeft - 4, r.height()), theme);
  if (item->menuItemType == QStyleOptionMenuItem::Separator) {
    DrawSeparator(*item, p);
    p->restore();
    return;
  }
  const bool enabled = item->state & State_Enabled;
  const bool highlighted = enabled && (item->state & State_Selected);
  QColor text = enabled ? item->palette.color(QPalette::Text)
                        : item->palette.color(QPalette::Disabled, QPalette::Text);
  if (highlighted) {
    const Highlight h = HighlightFor(theme);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, h.Top);
    g.setColorAt(1, h.Bottom);
    p->fillRect(r.adjusted(1, 1, -1, -1), g);
    p->setPen(kFrameGrey);
    p->drawRect(r.adjusted(0, 0, -1, -1));
    text = h.Text;
  }
  const int iconSize = pixelMetric(PM_SmallIconSize, option, widget);
  if (!item->icon.isNull()) {
    item->icon.paint(p, QRect(r.left() + kIconLeft - iconSize / 2 + 4,
                              r.top() + (r.height() - iconSize) / 2, iconSize, iconSize));
  } else if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
    p->setPen(text);
    p->drawText(QRect(r.left() + kIconLeft - 4, r.top(), 16, r.height()), Qt::AlignCenter,
                QStringLiteral("\u2713"));
  }
  const int left = r.left() + (highlighted ? kTextLeftHighlighted : kTextLeft);
  const QString label = item->text.section('\t', 0, 0);
  const QString shortcut = item->text.section('\t', 1);
  p->setPen(text);
  const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
  p->drawText(QRect(left, r.top(), r.width() - left, r.height()), flags | Qt::AlignLeft, label);
  if (!shortcut.isEmpty())
    p->drawText(r.adjusted(0, 0, -20, 0), flags | Qt::AlignRight, shortcut);
  if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
    QStyleOption arrow = *option;
    arrow.rect = QRect(r.right() - 14, r.top() + (r.height() - 8) / 2, 8, 8);
    arrow.palette.setColor(QPalette::ButtonText, text);
    proxy()->drawPrimitive(PE_IndicatorArrowRight, &arrow, p, widget);
  }
  p->restore();
}

// Drawn rather than taken from the platform style's frame image: reading that
// image at the first paint would load every image format plugin.
void MenuStyle::DrawGroupBoxFrame(const QRect& rect, QPainter* p) const {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setBrush(Qt::NoBrush);
  p->setPen(QColor(0, 0, 0, 50));
  p->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  p->setPen(QColor(255, 255, 255, 120));  // the light inner edge
  p->drawRoundedRect(QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5), 1.5, 1.5);
  p->restore();
}

QIcon MenuStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                              const QWidget* widget) const {
  const bool horizontal = icon == SP_ToolBarHorizontalExtensionButton;
  if (!horizontal && icon != SP_ToolBarVerticalExtensionButton)
    return QProxyStyle::standardIcon(icon, option, widget);
  QPixmap chevron(16, 16);
  chevron.fill(Qt::transparent);
  QPainter p(&chevron);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  for (const int at : {4, 9}) {  // two arrow heads, pointing right (or down)
    const QPolygonF head = horizontal ? QPolygonF{{QPointF(at, 4), QPointF(at + 3, 8), QPointF(at, 12)}}
                                      : QPolygonF{{QPointF(4, at), QPointF(8, at + 3), QPointF(12, at)}};
    p.drawPolyline(head);
  }
  return QIcon(chevron);
}

}  // namespace sondaro
