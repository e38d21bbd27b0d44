#pragma once
// The "Setup" page: the "Connection Type" box with Connect / Disconnect,
// "Preferred Mode", the 50 kHz tuning step and the analyzer's "EEPROM" box.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/page.h"

namespace sondaro {

class SetupPage : public Page {
  Q_OBJECT
 public:
  explicit SetupPage(App& app, QWidget* parent = nullptr);
  void Refresh(Area area) override;

 private:
  void ShowPortList();
  void BuildReceiverOptions();
  QRadioButton* serial_;
  QRadioButton* tcp_;
  QComboBox* port_;
  QLineEdit* host_;
  QLineEdit* portText_;
  QPushButton* connect_;
  QPushButton* disconnect_;
  QComboBox* preferredMode_;
  QCheckBox* fineTuning_;
  QCheckBox* usPty_;
  QCheckBox* scanRds_;  // "Include RDS data in Bandscan"
};

}  // namespace sondaro
