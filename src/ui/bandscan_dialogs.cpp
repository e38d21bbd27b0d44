#include "ui/bandscan_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "measure/bandscan.h"

namespace sondaro {

BandscanCalibrationDialog::BandscanCalibrationDialog(Bandscan& bandscan, QWidget* parent)
    : QDialog(parent), bandscan_(bandscan) {
  setWindowTitle("Bandscan calibration");
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Max. Signal value:"));
  spin_ = new QSpinBox;
  spin_->setRange(kMaxSignalMin, kMaxSignalMax);
  spin_->setValue(bandscan_.MaxSignal);
  row->addWidget(spin_);
  row->addStretch(1);
  column->addLayout(row);
  auto* instruction = new QLabel(
      "Apply >3 mV signal to the ZEMBRIN40 antenna input and set the Signal value from page 5.");
  instruction->setWordWrap(true);
  column->addWidget(instruction);
  column->addWidget(new QLabel("(Does not apply to the M140.)"));
  auto* buttons = new QHBoxLayout;
  auto* setDefault = new QPushButton("Set Default");
  auto* close = new QPushButton("Close");
  buttons->addWidget(setDefault);
  buttons->addStretch(1);
  buttons->addWidget(close);
  column->addLayout(buttons);
  connect(setDefault, &QPushButton::clicked, this, [this] { spin_->setValue(kMaxSignalDefault); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  setFixedWidth(340);
}

void BandscanCalibrationDialog::done(int result) {
  bandscan_.SetMaxSignal(spin_->value());
  QDialog::done(result);
}

void Bandscancalibration1Click(Bandscan& bandscan, QWidget* parent) {
  BandscanCalibrationDialog dialog(bandscan, parent);
  dialog.exec();
}

LogWindow::LogWindow(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setWindowTitle("Log Window");
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  text_ = new QPlainTextEdit;
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  column->addWidget(text_);
  resize(420, 360);
}

void LogWindow::ShowText(const QString& text) {
  text_->setPlainText(text);
  show();
  raise();
}

}  // namespace sondaro
