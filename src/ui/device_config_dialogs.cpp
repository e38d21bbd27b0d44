#include "ui/device_config_dialogs.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <map>

namespace sondaro {

bool ShowDipSwitchesDialog(QWidget* parent, DipSwitches& dip) {
  QDialog dialog(parent);
  dialog.setWindowTitle("DIP Switches");
  auto* column = new QVBoxLayout(&dialog);
  std::array<QButtonGroup*, kDipSwitchCount> groups{};
  for (int n = 0; n < kDipSwitchCount; ++n) {
    const DipSwitchDef& def = kDipSwitches[n];
    auto* box = new QGroupBox(def.Caption);
    auto* row = new QHBoxLayout(box);
    groups[n] = new QButtonGroup(box);
    int id = 0;
    for (const char* item : {def.Item0, def.Item1}) {
      auto* radio = new QRadioButton(item);
      groups[n]->addButton(radio, id++);
      row->addWidget(radio);
    }
    if (QAbstractButton* b = groups[n]->button(dip.Positions[n])) b->setChecked(true);
    column->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  column->addWidget(buttons);
  const bool ok = dialog.exec() == QDialog::Accepted;
  for (int n = 0; n < kDipSwitchCount; ++n) dip.Positions[n] = groups[n]->checkedId();
  return ok;
}

namespace {

// Leaving the Alarm 1 time empty puts its minimum back; the other fields
// fall back to their last value as spin boxes do.
class EmptyToMinimum final : public QObject {
 public:
  explicit EmptyToMinimum(QSpinBox* box) : QObject(box), box_(box) {
    box->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::FocusOut && box_->findChild<QLineEdit*>()->text().isEmpty())
      box_->setValue(box_->minimum());
    return false;
  }

 private:
  QSpinBox* box_;
};

constexpr int kReadResult = 2;

}  // namespace

AlarmDialogResult ShowAlarmOutputsDialog(QWidget* parent, AlarmOutputs& alarms) {
  QDialog dialog(parent);
  dialog.setWindowTitle("M140 Alarm Outputs Configuration");
  auto* column = new QVBoxLayout(&dialog);
  std::map<std::string, QFormLayout*> groups;
  std::array<QSpinBox*, kAlarmFieldCount> fields{};
  for (int i = 0; i < kAlarmFieldCount; ++i) {
    const AlarmFieldDef& def = kAlarmFields[i];
    QFormLayout*& form = groups[def.Group];
    if (!form) {
      auto* box = new QGroupBox(def.Group);
      form = new QFormLayout(box);
      column->addWidget(box);
    }
    auto* spin = new QSpinBox;
    spin->setRange(def.Min, def.Max);
    spin->setSingleStep(def.Step);
    spin->setValue(alarms.Values[i]);
    if (i == 0) new EmptyToMinimum(spin);
    form->addRow(def.Label, spin);
    fields[i] = spin;
  }
  if (!alarms.ReadBackNotice.empty()) {
    auto* notice = new QLabel(QString::fromStdString(alarms.ReadBackNotice));
    notice->setWordWrap(true);
    notice->setStyleSheet("color: #b00000");
    column->addWidget(notice);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* read = buttons->addButton("Read", QDialogButtonBox::ActionRole);
  read->setEnabled(alarms.ReadEnabled());
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(read, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kReadResult); });
  column->addWidget(buttons);
  const int result = dialog.exec();
  for (int i = 0; i < kAlarmFieldCount; ++i) alarms.Values[i] = fields[i]->value();
  if (result == QDialog::Accepted) return AlarmDialogResult::Ok;
  return result == kReadResult ? AlarmDialogResult::Read : AlarmDialogResult::Cancel;
}

}  // namespace sondaro
