#include "ui/theme_box.h"

#include <QGridLayout>
#include <QPushButton>

#include "app/app.h"

namespace sondaro {

namespace {

QScrollBar* ThemeBar(int maximum) {
  auto* bar = new QScrollBar(Qt::Horizontal);
  bar->setRange(0, maximum);
  // Arrow keys step by one, so any value can be set exactly; a scroll bar
  // turns them round by default (Right would lower the value).
  bar->setFocusPolicy(Qt::StrongFocus);
  bar->setInvertedControls(false);
  return bar;
}

QLabel* ValueLabel() {
  auto* label = new QLabel;
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance("000") + 2);
  return label;
}

}  // namespace

// Caption and value above each bar, the bar on a row of its own across the
// box; the swatch and "Apply" at the ends of the caption rows.
ThemeBox::ThemeBox(App& app, QWidget* parent) : QGroupBox("Theme", parent), app_(app) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(1);
  grid->setHorizontalSpacing(6);
  hue_ = ThemeBar(255);
  saturation_ = ThemeBar(160);
  hueValue_ = ValueLabel();
  saturationValue_ = ValueLabel();
  swatch_ = new QFrame;
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setFixedSize(40, 20);
  swatch_->setAutoFillBackground(true);
  auto* apply = new QPushButton("Apply");
  systemFont_ = new QCheckBox("Use System Font (requires restart)");
  auto* hueCaption = new QLabel("Hue");
  auto* saturationCaption = new QLabel("Saturation");
  hueCaption->setBuddy(hue_);
  saturationCaption->setBuddy(saturation_);
  // Added in the order Tab takes: the bars, "Apply", the check box.
  grid->addWidget(hueCaption, 0, 0);
  grid->addWidget(hueValue_, 0, 1);
  grid->addWidget(hue_, 1, 0, 1, 4);
  grid->addWidget(saturationCaption, 2, 0);
  grid->addWidget(saturationValue_, 2, 1);
  grid->addWidget(saturation_, 3, 0, 1, 4);
  grid->addWidget(swatch_, 0, 3, Qt::AlignRight);
  grid->addWidget(apply, 2, 3, Qt::AlignRight);
  grid->addWidget(systemFont_, 4, 0, 1, 4);
  grid->setColumnStretch(2, 1);

  auto preview = [this] {
    app_.shell.SetThemePosition(hue_->value(), saturation_->value());
    ShowValues();
  };
  connect(hue_, &QScrollBar::valueChanged, this, preview);
  connect(saturation_, &QScrollBar::valueChanged, this, preview);
  connect(apply, &QPushButton::clicked, this, [this] { app_.shell.ApplyTheme(); });
  connect(systemFont_, &QCheckBox::toggled, this, [this](bool on) { app_.shell.UseSystemFont = on; });
  app_.view.Add(this);
  Changed(Area::Shell);
}

ThemeBox::~ThemeBox() { app_.view.Remove(this); }

void ThemeBox::ShowValues() {
  hueValue_->setNum(hue_->value());
  saturationValue_->setNum(saturation_->value());
}

void ThemeBox::Changed(Area area) {
  if (area != Area::Shell) return;
  const QSignalBlocker h(hue_), s(saturation_), f(systemFont_);
  hue_->setValue(app_.shell.Hue());
  saturation_->setValue(app_.shell.Saturation());
  systemFont_->setChecked(app_.shell.UseSystemFont);
  ShowValues();
  const Color c = app_.shell.Swatch();
  QPalette p = swatch_->palette();
  p.setColor(QPalette::Window, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
  swatch_->setPalette(p);
}

}  // namespace sondaro
