#include "ui/top_bar.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {

QLabel* Lamp(const QString& caption, QHBoxLayout* row) {
  auto* text = new QLabel(caption);
  auto* lamp = new QLabel;
  lamp->setFixedSize(10, 10);
  row->addWidget(lamp);
  row->addWidget(text);
  return lamp;
}

void SetLamp(QLabel* lamp, LampColour c) {
  lamp->setStyleSheet(c == LampColour::Yellow ? "background: rgb(255,255,0); border: 1px solid gray;"
                                              : "background: rgb(128,0,0); border: 1px solid gray;");
}

}  // namespace

TopBar::TopBar(App& app, QWidget* parent) : QWidget(parent), app_(app) {
  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(4, 2, 4, 0);
  rows->setSpacing(0);

  auto* first = new QHBoxLayout;
  first->setSpacing(4);
  controls_ = new QWidget;
  (new QHBoxLayout(controls_))->setContentsMargins(0, 0, 0, 0);
  first->addWidget(controls_);
  first->addStretch();
  tx_ = Lamp("TX", first);
  rx_ = Lamp("RX", first);
  rows->addLayout(first);

  auto* second = new QHBoxLayout;
  second->setSpacing(4);
  frequency_ = Readout("Frequency", nullptr, 92);
  second->addWidget(frequency_->parentWidget());
  auto* signalFrame = new QGroupBox("Signal");
  auto* signalLayout = new QVBoxLayout(signalFrame);
  signalLayout->setContentsMargins(4, 2, 4, 2);
  signal_ = new QProgressBar;
  signal_->setRange(0, 5);
  signal_->setTextVisible(false);
  signal_->setFixedHeight(14);
  signalLayout->addWidget(signal_);
  signalFrame->setFixedWidth(70);
  second->addWidget(signalFrame);
  pilot_ = Readout("Pilot");
  second->addWidget(pilot_->parentWidget());
  rds_ = Readout("RDS");
  second->addWidget(rds_->parentWidget());
  third_ = Readout("Phase Diff.", &thirdFrame_, 96);
  second->addWidget(thirdFrame_);
  second->addStretch();
  script_ = new QWidget;
  (new QHBoxLayout(script_))->setContentsMargins(0, 0, 0, 0);
  second->addWidget(script_);
  rows->addLayout(second);

  Refresh(Area::Readouts);
  Refresh(Area::Lamps);
}

QLabel* TopBar::Readout(const QString& caption, QGroupBox** frame, int width) {
  auto* box = new QGroupBox(caption);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 2, 4, 2);
  auto* label = new QLabel;
  label->setFont(QFont("Monospace", 9, QFont::Bold));
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  box->setFixedWidth(width);
  if (frame) *frame = box;
  return label;
}

void TopBar::Refresh(Area area) {
  const Readouts& r = app_.link.readouts;
  if (area == Area::Readouts || area == Area::Online) {
    frequency_->setText(FromLatin1(r.Label1));
    pilot_->setText(FromLatin1(r.Label15));
    rds_->setText(FromLatin1(r.Label14));
    third_->setText(FromLatin1(r.Label22));
    thirdFrame_->setTitle(FromLatin1(r.Beveles5Caption));
    signal_->setValue(std::clamp(r.ProgressBar1, 0, 5));
  }
  if (area == Area::Readouts || area == Area::Online || area == Area::Mode ||
      area == Area::Connection) {
    // Readings that are not current stay readable but grey.
    const auto current = app_.tuning.CurrentReadouts(app_.link.connection.LinkUp());
    for (QWidget* w : {static_cast<QWidget*>(frequency_), static_cast<QWidget*>(signal_),
                       static_cast<QWidget*>(pilot_), static_cast<QWidget*>(rds_)})
      w->setEnabled(current.Live);
    third_->setEnabled(current.Third);
  }
  if (area == Area::Lamps) {
    SetLamp(tx_, app_.link.connection.TxLamp());
    SetLamp(rx_, app_.link.connection.RxLamp());
  }
}

}  // namespace sondaro
