#pragma once
// The "Setup" page: the "Connection Type" box with Connect / Disconnect,
// "Preferred Mode", the 50 kHz tuning step and the analyzer's "EEPROM" box.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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
  void EnableConnectionFields();
  void OrderTabs(QWidget* scripts, QWidget* theme);
  QRadioButton* serial_;
  QRadioButton* tcp_;
  QLabel* portCaption_;
  QComboBox* port_;
  QPushButton* list_;
  QLabel* hostCaption_;
  QLineEdit* host_;
  QLabel* portTextCaption_;
  QLineEdit* portText_;
  QPushButton* connect_;
  QPushButton* disconnect_;
  QComboBox* preferredMode_;
  QCheckBox* fineTuning_;
  QCheckBox* usPty_;
  QCheckBox* scanRds_;  // "Include RDS data in Bandscan"
  QPushButton* saveSettings_;
  QWidget* limit_;
};

}  // namespace sondaro
