// The program's look under the offscreen platform: a focus frame on every
// kind of control, framed menus whose highlighted item can be read, and the
// Setup page's theme bars.
#include <gtest/gtest.h>

#include "support/gui_app.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QtTest/QTest>
#include <functional>

#include "support/window_fixture.h"
#include "ui/menu_style.h"
#include "ui/theme_box.h"
#include "ui/tuning_controls.h"

namespace sondaro {
namespace {

bool NearFocusColour(QRgb px) {
  const QColor want = MenuStyle::FocusColour();
  return std::abs(qRed(px) - want.red()) < 24 && std::abs(qGreen(px) - want.green()) < 24 &&
         std::abs(qBlue(px) - want.blue()) < 24;
}

int FocusPixels(QWidget* w) {
  const QImage image = w->grab().toImage();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += NearFocusColour(image.pixel(x, y));
  return n;
}

// Each kind of control, focused and not: only the focused one wears the
// frame, and the frame goes most of the way round it.
TEST(WindowStyle, EveryKindOfControlShowsKeyboardFocus) {
  test::Gui();
  MenuStyle style;
  struct Case {
    const char* name;
    std::function<QWidget*()> make;
  };
  const std::vector<Case> cases{
      {"push button", [] { return new QPushButton("Acquire"); }},
      {"mode button", [] { return new ModeButton("Measuring"); }},
      {"check box", [] { return new QCheckBox("Online Deviation and Signal"); }},
      {"radio button", [] { return new QRadioButton("Serial RS232"); }},
      {"combo box", [] {
         auto* c = new QComboBox;
         c->addItems({"Measuring", "RDS"});
         return c;
       }},
      {"spin box", [] { return new QSpinBox; }},
      {"line edit", [] { return new QLineEdit("127.0.0.1"); }},
      {"scroll bar", [] {
         auto* b = new QScrollBar(Qt::Horizontal);
         b->setFocusPolicy(Qt::StrongFocus);
         b->setFixedWidth(200);
         return b;
       }},
      {"tab bar", [] {
         auto* t = new QTabBar;
         t->addTab("Frequency Deviation");
         t->addTab("Setup");
         return t;
       }},
  };
  for (const Case& c : cases) {
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    QWidget* control = c.make();
    auto* other = new QLineEdit;  // takes the focus away
    control->setStyle(&style);
    row->addWidget(control);
    row->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    other->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(control->hasFocus()) << c.name;
    EXPECT_EQ(FocusPixels(control), 0) << c.name;

    control->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(control->hasFocus()) << c.name;
    const int framed = FocusPixels(control);
    // A two-pixel frame round the control, or round the caption of a check
    // box and the current tab: at least the caption's outline.
    const int caption = control->fontMetrics().height();
    EXPECT_GE(framed, 4 * caption) << c.name;
  }
}

QImage DrawMenuItem(const MenuStyle& style, const QColor& theme, const QString& text) {
  qApp->setProperty("sondaroTheme", theme);
  QStyleOptionMenuItem item;
  item.rect = QRect(0, 0, 220, MenuStyle::kItemHeight);
  item.state = QStyle::State_Enabled | QStyle::State_Selected;
  item.menuItemType = QStyleOptionMenuItem::Normal;
  item.text = text;
  item.palette = QApplication::palette();
  item.fontMetrics = QFontMetrics(QApplication::font());
  QImage image(item.rect.size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  QPainter p(&image);
  style.drawControl(QStyle::CE_MenuItem, &item, &p, nullptr);
  p.end();
  qApp->setProperty("sondaroTheme", QVariant());
  return image;
}

// The highlighted item's text against its gradient at both ends meets the
// AA level (4.5:1) on any theme the bars can set, pale yellow included.
TEST(WindowStyle, HighlightedMenuItemIsReadableOnEveryTheme) {
  test::Gui();
  MenuStyle style;
  const QColor themes[] = {QColor(219, 219, 219), QColor(255, 255, 255), QColor(250, 250, 180),
                           QColor(180, 250, 250),  QColor(250, 190, 190), QColor(40, 40, 90)};
  for (const QColor& theme : themes) {
    const QImage image = DrawMenuItem(style, theme, "Run Script...");
    // Right of the caption, the gradient alone: just inside the grey frame.
    const QColor top = image.pixelColor(200, 1);
    const QColor bottom = image.pixelColor(200, MenuStyle::kItemHeight - 2);
    const QColor frame = image.pixelColor(200, 0);
    EXPECT_EQ(frame, QColor(128, 128, 128)) << theme.name().toStdString();
    // The caption is drawn in white.
    bool whiteText = false;
    for (int x = MenuStyle::kTextLeftHighlighted; x < 120; ++x)
      for (int y = 4; y < MenuStyle::kItemHeight - 4; ++y)
        whiteText |= image.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(whiteText) << theme.name().toStdString();
    EXPECT_GE(MenuStyle::ContrastRatio(Qt::white, top), 4.5) << theme.name().toStdString();
    EXPECT_GE(MenuStyle::ContrastRatio(Qt::white, bottom), 4.5) << theme.name().toStdString();
  }
}

TEST(WindowStyle, ContrastRatioFollowsTheWcagFormula) {
  EXPECT_DOUBLE_EQ(MenuStyle::ContrastRatio(Qt::white, Qt::black), 21.0);
  EXPECT_DOUBLE_EQ(MenuStyle::ContrastRatio(Qt::black, Qt::white), 21.0);
  EXPECT_DOUBLE_EQ(MenuStyle::ContrastRatio(QColor(128, 128, 128), QColor(128, 128, 128)), 1.0);
  // White text passes 4.5:1 on grey 118 and fails on 119.
  EXPECT_NEAR(MenuStyle::ContrastRatio(Qt::white, QColor(119, 119, 119)), 4.48, 0.01);
  EXPECT_NEAR(MenuStyle::ContrastRatio(Qt::white, QColor(118, 118, 118)), 4.54, 0.01);
}

// A drop-down menu stands out from the page under it: a grey line round
// it, doubled in dark grey on the right and bottom.
TEST(WindowStyle, MenusAreFramed) {
  test::Gui();
  MenuStyle style;
  QMenu menu;
  menu.setStyle(&style);
  menu.addAction("Acquire All");
  menu.addAction("Save Bitmap");
  const QImage image = menu.grab().toImage();
  const int h = image.height(), w = image.width();
  EXPECT_EQ(image.pixelColor(0, h / 2), QColor(128, 128, 128));
  EXPECT_EQ(image.pixelColor(w / 2, 0), QColor(128, 128, 128));
  EXPECT_EQ(image.pixelColor(w - 1, h / 2), QColor(64, 64, 64));
  EXPECT_EQ(image.pixelColor(w - 2, h / 2), QColor(64, 64, 64));
  EXPECT_EQ(image.pixelColor(w / 2, h - 1), QColor(64, 64, 64));
  EXPECT_EQ(image.pixelColor(w / 2, h - 2), QColor(64, 64, 64));
}

struct SetupPage : test::WindowRig<> {
  SetupPage() {
    window.Pages()->setCurrentIndex(6);
    window.show();
    QApplication::processEvents();
    page = window.Pages()->currentWidget();
    theme = page->findChild<ThemeBox*>();
  }
  QWidget* page = nullptr;
  ThemeBox* theme = nullptr;
};

// Hue and saturation bars wide enough to give every step a pixel, each
// with its value beside it, following the bar and the settings alike.
TEST(WindowStyle, ThemeBarsAreWideAndShowTheirValues) {
  SetupPage w;
  ASSERT_TRUE(w.theme);
  const auto bars = w.theme->findChildren<QScrollBar*>();
  ASSERT_EQ(bars.size(), 2);
  auto shows = [&w](int value) {
    int n = 0;
    for (auto* l : w.theme->findChildren<QLabel*>()) n += l->text() == QString::number(value);
    return n;
  };
  for (QScrollBar* bar : bars) {
    EXPECT_GE(bar->width(), 256);
    EXPECT_TRUE(bar->focusPolicy() & Qt::TabFocus);
    // Right and Up raise the value by one, Left lowers it.
    bar->setValue(40);
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(bar->value(), 41);
    QTest::keyClick(bar, Qt::Key_Up);
    EXPECT_EQ(bar->value(), 42);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(bar->value(), 41);
  }
  bars[0]->setValue(201);
  bars[1]->setValue(99);
  EXPECT_EQ(w.app.shell.Hue(), 201);
  EXPECT_EQ(shows(201), 1);
  EXPECT_EQ(shows(99), 1);
  w.app.shell.SetThemePosition(12, 150);
  w.app.view.Changed(Area::Shell);
  EXPECT_EQ(shows(12), 1);
  EXPECT_EQ(shows(150), 1);
}

// The Setup page's controls stand inside the page and clear of each other.
TEST(WindowStyle, SetupPageControlsDoNotOverlap) {
  SetupPage w;
  QList<QWidget*> children;
  for (QObject* o : w.page->children())
    if (auto* c = qobject_cast<QWidget*>(o); c && !c->isWindow() && c->isVisible()) children << c;
  ASSERT_GE(children.size(), 8);
  for (qsizetype i = 0; i < children.size(); ++i) {
    const QRect a = children[i]->geometry();
    EXPECT_TRUE(w.page->rect().contains(a)) << children[i]->metaObject()->className();
    for (qsizetype j = i + 1; j < children.size(); ++j)
      EXPECT_FALSE(a.intersects(children[j]->geometry()))
          << children[i]->metaObject()->className() << " / "
          << children[j]->metaObject()->className();
  }
}

}  // namespace
}  // namespace sondaro
