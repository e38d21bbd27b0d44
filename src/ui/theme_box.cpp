#include "ui/theme_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/app.h"

namespace sondaro {

ThemeBox::ThemeBox(App& app, QWidget* parent) : QGroupBox("Theme", parent), app_(app) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(2);
  hue_ = new QScrollBar(Qt::Horizontal);
  hue_->setRange(0, 255);
  saturation_ = new QScrollBar(Qt::Horizontal);
  saturation_->setRange(0, 160);
  swatch_ = new QFrame;
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setFixedSize(28, 28);
  swatch_->setAutoFillBackground(true);
  auto* apply = new QPushButton("Apply");
  systemFont_ = new QCheckBox("Use System Font (requires restart)");
  grid->addWidget(new QLabel("Hue"), 0, 0);
  grid->addWidget(hue_, 0, 1);
  grid->addWidget(new QLabel("Saturation"), 1, 0);
  grid->addWidget(saturation_, 1, 1);
  grid->addWidget(swatch_, 0, 2, 2, 1);
  grid->addWidget(apply, 0, 3, 2, 1);
  grid->addWidget(systemFont_, 2, 0, 1, 4);

  auto preview = [this] { app_.shell.SetThemePosition(hue_->value(), saturation_->value()); };
  connect(hue_, &QScrollBar::valueChanged, this, preview);
  connect(saturation_, &QScrollBar::valueChanged, this, preview);
  connect(apply, &QPushButton::clicked, this, [this] { app_.shell.ApplyTheme(); });
  connect(systemFont_, &QCheckBox::toggled, this, [this](bool on) { app_.shell.UseSystemFont = on; });
  app_.view.Add(this);
  Changed(Area::Shell);
}

ThemeBox::~ThemeBox() { app_.view.Remove(this); }

void ThemeBox::Changed(Area area) {
  if (area != Area::Shell) return;
  const QSignalBlocker h(hue_), s(saturation_), f(systemFont_);
  hue_->setValue(app_.shell.Hue());
  saturation_->setValue(app_.shell.Saturation());
  systemFont_->setChecked(app_.shell.UseSystemFont);
  const Color c = app_.shell.Swatch();
  QPalette p = swatch_->palette();
  p.setColor(QPalette::Window, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
  swatch_->setPalette(p);
}

}  // namespace sondaro
