#include "ui/tuning_controls.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"
#include "ui/menu_style.h"

namespace sondaro {

namespace {

QColor ToColor(const Rgb& c) { return QColor(c.R, c.G, c.B); }

QPushButton* SmallButton(const QString& text, int width) {
  auto* b = new QPushButton(text);
  b->setFixedSize(width, 20);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

void ModeButton::SetPressedLook(bool pressed) {
  if (pressed == pressedLook_) return;
  pressedLook_ = pressed;
  update();
}

void ModeButton::paintEvent(QPaintEvent*) {
  const ModeButtonLook look = LookOf(pressedLook_ || isDown());
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, ToColor(look.Top));
  g.setColorAt(1, ToColor(look.Bottom));
  p.fillRect(r, g);
  const QColor light = palette().color(QPalette::Light);
  const QColor dark = palette().color(QPalette::Dark);
  p.setPen(look.Sunken ? dark : light);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(look.Sunken ? light : dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  p.setPen(palette().color(isEnabled() ? QPalette::ButtonText : QPalette::PlaceholderText));
  p.drawText(rect().translated(look.Sunken ? 1 : 0, look.Sunken ? 1 : 0), Qt::AlignCenter, text());
  if (hasFocus()) MenuStyle::DrawFocusFrame(&p, rect(), 0);
}

TuningControls::TuningControls(App& app, QWidget* area) : QWidget(area), app_(app) {
  auto* areaLayout = area->layout() ? area->layout() : new QVBoxLayout(area);
  areaLayout->setContentsMargins(0, 0, 0, 0);
  areaLayout->addWidget(this);

  // One row: "<", the list, ">", "Tune", the mode buttons, the online switch.
  auto* column = new QHBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);

  auto* tuneRow = new QHBoxLayout;
  tuneRow->setSpacing(1);
  prev_ = SmallButton("<", 18);
  list_ = new QComboBox;
  list_->setMaxVisibleItems(16);
  // Styles that pop the whole list up beside the selection (Fusion) ignore
  // the line count unless the popup is a scrolling list.
  list_->setStyleSheet("QComboBox { combobox-popup: 0; }");
  list_->setFixedWidth(92);
  // The width is fixed: the size hint need not measure all 206 items (three
  // times over, at start).
  list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list_->setMinimumContentsLength(7);
  list_->setToolTip("Frequency");
  next_ = SmallButton(">", 18);
  tune_ = SmallButton("Tune", 40);
  tuneRow->addWidget(prev_);
  tuneRow->addWidget(list_);
  tuneRow->addWidget(next_);
  tuneRow->addWidget(tune_);
  column->addLayout(tuneRow);

  auto* modeRow = new QHBoxLayout;
  modeRow->setSpacing(2);
  measuring_ = new ModeButton("Measuring");
  rds_ = new ModeButton("RDS");
  measuring_->setFixedSize(72, 20);
  rds_->setFixedSize(40, 20);
  modeRow->addWidget(measuring_);
  modeRow->addWidget(rds_);
  column->addLayout(modeRow);

  online_ = new QCheckBox("Online Deviation and Signal");
  column->addWidget(online_);

  ModeTuning& t = app_.tuning;
  // "<" and ">" act on mouse-down, and on Space or Enter while focused.
  connect(prev_, &QPushButton::pressed, this, [&t] { t.Button2Click(); });
  connect(next_, &QPushButton::pressed, this, [&t] { t.Button1Click(); });
  prev_->installEventFilter(this);
  next_->installEventFilter(this);
  connect(list_, &QComboBox::activated, this, [&t](int i) { t.SelectFrequency(i); });
  connect(tune_, &QPushButton::clicked, this, [&t] { t.IAeverButton19Click(); });
  connect(measuring_, &QPushButton::clicked, this, [&t] { t.IAeverButton34Click(); });
  connect(rds_, &QPushButton::clicked, this, [&t] { t.IAeverButton33Click(); });
  connect(online_, &QCheckBox::toggled, this, [&t](bool on) { t.SetOnline(on); });

  // Double-click on the "Frequency" readout asks the analyzer again.
  for (QGroupBox* box : area->window()->findChildren<QGroupBox*>())
    if (box->title() == "Frequency")
      if (auto* label = box->findChild<QLabel*>()) {
        frequencyReadout_ = label;
        label->installEventFilter(this);
      }

  app_.view.Add(this);
  FillList();
  Changed(Area::Mode);
  Changed(Area::Online);
}

TuningControls::~TuningControls() { app_.view.Remove(this); }

bool TuningControls::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frequencyReadout_ && event->type() == QEvent::MouseButtonDblClick) {
    app_.tuning.Label1DblClick();
    return true;
  }
  if ((watched == prev_ || watched == next_) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == prev_) app_.tuning.Button2Click();
      else app_.tuning.Button1Click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TuningControls::FillList() {
  const QSignalBlocker block(list_);
  const auto& texts = app_.tuning.FrequencyList();
  if (list_->count() != static_cast<int>(texts.size())) {
    list_->clear();
    QStringList items;  // one insertion, not 206: this runs at start
    items.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& t : texts) items.append(FromLatin1(t));
    list_->addItems(items);
  }
  list_->setCurrentIndex(app_.tuning.FrequencyIndex());
}

void TuningControls::Changed(Area area) {
  if (area == Area::FrequencyList) FillList();
  if (area == Area::Mode) {
    measuring_->SetPressedLook(app_.tuning.MeasuringPressed());
    rds_->SetPressedLook(app_.tuning.RdsPressed());
  }
  if (area == Area::Online) {
    const QSignalBlocker block(online_);
    online_->setChecked(app_.tuning.Online());
  }
}

void InstallTuningMenus(App& app, QMenu* fileMenu, QMenu* editMenu) {
  ModeTuning& t = app.tuning;
  QMenu* files = fileMenu->addMenu("Load Internal File");
  for (int n = 1; n <= kInternalFileCount; ++n)
    files->addAction(QString("File %1").arg(n), [&t, n] { t.MLIFClick(n); });
  fileMenu->addAction("Acquire All", [&t] { t.BitBtn19Click(); });

  QMenu* offset = editMenu->addMenu("Carrier Offset");
  offset->addAction("Set as Normal", [&t] { t.SetasNormal2Click(); });
  offset->addAction("Read", [&t] { t.Read1Click(); });
}

}  // namespace sondaro
