#include "ui/pages/setup_page.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "link/com_ports.h"
#include "platform/module_ports.h"
#include "platform/qt_dialogs.h"
#include "ui/deviation_limit_box.h"
#include "ui/script_setup_box.h"
#include "ui/theme_box.h"

namespace sondaro {

SetupPage::SetupPage(App& app, QWidget* parent) : Page(app, parent) {
  auto* box = new QGroupBox("Connection Type", this);
  box->setGeometry(8, 8, 300, 170);
  auto* grid = new QGridLayout(box);
  serial_ = new QRadioButton("Serial RS232");
  tcp_ = new QRadioButton("Ethernet TCP/IP");
  auto* group = new QButtonGroup(box);
  group->addButton(serial_, 0);
  group->addButton(tcp_, 1);
  port_ = new QComboBox;
  portCaption_ = new QLabel("RS232 Port");
  portCaption_->setBuddy(port_);
  for (int i = 1; i <= kComPortCount; ++i) port_->addItem(QString("COM%1").arg(i));
  list_ = new QPushButton("List...");
  host_ = new QLineEdit;
  host_->setMaxLength(255);
  portText_ = new QLineEdit;
  portText_->setMaxLength(5);
  connect_ = new QPushButton("Connect");
  disconnect_ = new QPushButton("Disconnect");
  hostCaption_ = new QLabel("Host:");
  hostCaption_->setBuddy(host_);
  portTextCaption_ = new QLabel("Port:");
  portTextCaption_->setBuddy(portText_);
  // Each connection type with its own fields under it, indented.
  grid->setVerticalSpacing(3);
  grid->setColumnMinimumWidth(0, 14);
  grid->addWidget(serial_, 0, 0, 1, 4);
  grid->addWidget(portCaption_, 1, 1);
  grid->addWidget(port_, 1, 2);
  grid->addWidget(list_, 1, 3);
  grid->addWidget(tcp_, 2, 0, 1, 4);
  grid->addWidget(hostCaption_, 3, 1);
  grid->addWidget(host_, 3, 2, 1, 2);
  grid->addWidget(portTextCaption_, 4, 1);
  grid->addWidget(portText_, 4, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(connect_);
  buttons->addWidget(disconnect_);
  grid->addLayout(buttons, 5, 0, 1, 4);

  LinkSettings& s = app_.link.connection.Settings;
  connect(group, &QButtonGroup::idClicked, this, [this, &s](int id) {
    s.RGCON = id;
    EnableConnectionFields();
  });
  connect(port_, &QComboBox::currentIndexChanged, this, [&s](int i) {
    if (i >= 0) s.ComPortIndex = i;
  });
  connect(host_, &QLineEdit::textEdited, this, [&s](const QString& t) { s.Host = ToLatin1(t); });
  connect(portText_, &QLineEdit::textEdited, this,
          [&s](const QString& t) { s.PortText = ToLatin1(t); });
  connect(connect_, &QPushButton::clicked, this, [this] { app_.link.connection.BitBtn2Click(); });
  connect(disconnect_, &QPushButton::clicked, this,
          [this] { app_.link.connection.BitBtn3Click(); });
  connect(list_, &QPushButton::clicked, this, &SetupPage::ShowPortList);
  BuildReceiverOptions();
  limit_ = new DeviationLimitBox(app_, this);
  limit_->setGeometry(320, 140, 176, 26);
  // Programme types named by the North American table from now on.
  usPty_ = new QCheckBox("US PTY Code", this);
  usPty_->setGeometry(502, 143, 118, 20);
  connect(usPty_, &QCheckBox::toggled, this, [this](bool on) { app_.rds.data.UsPtyCode = on; });
  scanRds_ = new QCheckBox("Include RDS data in Bandscan", this);
  scanRds_->setGeometry(12, 262, 290, 20);
  connect(scanRds_, &QCheckBox::toggled, this, [this](bool on) { app_.bandscan.ScanRDS = on; });
  auto* scripts = new ScriptSetupBox(app_, this);
  scripts->setGeometry(8, 186, 300, 70);
  // Below the row of the limit and US PTY, down to the page's foot: room
  // for theme bars as wide as the box.
  auto* theme = new ThemeBox(app_, this);
  theme->setGeometry(320, 168, 300, 134);
  OrderTabs(scripts, theme);
  Refresh(Area::Connection);
  Refresh(Area::Setup);
}

// Right of the connection box: the mode the analyzer is put in at every
// connect, the tuning step of the frequency list, and "Save Settings", which
// stores the analyzer's own settings in its EEPROM (not this program's).
void SetupPage::BuildReceiverOptions() {
  ModeTuning& t = app_.tuning;
  auto* modeLabel = new QLabel("Preferred Mode", this);
  modeLabel->setGeometry(320, 16, 96, 20);
  preferredMode_ = new QComboBox(this);
  preferredMode_->addItems({"Measuring", "RDS"});
  preferredMode_->setGeometry(420, 14, 110, 22);
  fineTuning_ = new QCheckBox("Enable 50 kHz tuning step (requires restart)", this);
  fineTuning_->setGeometry(320, 44, 300, 20);
  auto* eeprom = new QGroupBox("EEPROM", this);
  eeprom->setGeometry(316, 74, 150, 56);
  saveSettings_ = new QPushButton("Save Settings", eeprom);
  saveSettings_->setGeometry(10, 22, 130, 24);
  connect(preferredMode_, &QComboBox::activated, this, [&t](int i) { t.PreferredMode = i; });
  connect(fineTuning_, &QCheckBox::toggled, this, [&t](bool on) { t.FineTuningChecked = on; });
  connect(saveSettings_, &QPushButton::clicked, this, [&t] { t.IAeverButton21Click(); });
}

void SetupPage::Refresh(Area area) {
  if (area == Area::Setup) {
    const ModeTuning& t = app_.tuning;
    preferredMode_->setCurrentIndex(t.PreferredMode == 1 ? 1 : 0);
    fineTuning_->setChecked(t.FineTuningChecked);
    usPty_->setChecked(app_.rds.data.UsPtyCode);
    scanRds_->setChecked(app_.bandscan.ScanRDS);
  }
  if (area != Area::Connection && area != Area::Setup) return;
  const Connection& c = app_.link.connection;
  (c.Settings.RGCON == 1 ? tcp_ : serial_)->setChecked(true);
  port_->setCurrentIndex(c.Settings.ComPortIndex);
  if (host_->text() != FromLatin1(c.Settings.Host)) host_->setText(FromLatin1(c.Settings.Host));
  if (portText_->text() != FromLatin1(c.Settings.PortText))
    portText_->setText(FromLatin1(c.Settings.PortText));
  connect_->setEnabled(c.ConnectEnabled());
  disconnect_->setEnabled(c.DisconnectEnabled());
  EnableConnectionFields();
}

// Only the fields of the chosen connection type can be edited.
void SetupPage::EnableConnectionFields() {
  const bool tcp = app_.link.connection.Settings.RGCON == 1;
  for (QWidget* w : std::initializer_list<QWidget*>{portCaption_, port_, list_})
    w->setEnabled(!tcp);
  for (QWidget* w :
       std::initializer_list<QWidget*>{hostCaption_, host_, portTextCaption_, portText_})
    w->setEnabled(tcp);
}

// Tab goes down the left column (connection, scripts), then down the right
// (the theme box last).
void SetupPage::OrderTabs(QWidget* scripts, QWidget* theme) {
  QList<QWidget*> chain{serial_, tcp_, port_, list_, host_, portText_, connect_, disconnect_};
  for (QWidget* w : scripts->findChildren<QWidget*>()) chain << w;
  chain << scanRds_;
  chain << preferredMode_ << fineTuning_ << saveSettings_;
  for (QWidget* w : limit_->findChildren<QWidget*>()) chain << w;
  chain << usPty_;
  for (QWidget* w : theme->findChildren<QWidget*>()) chain << w;
  chain.removeIf([](QWidget* w) { return !(w->focusPolicy() & Qt::TabFocus); });
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

// "List...": the serial devices of this machine and the COM name each has.
void SetupPage::ShowPortList() {
  QDialog dialog(this);
  dialog.setWindowTitle("Serial Ports");
  auto* layout = new QVBoxLayout(&dialog);
  auto* table = new QTableWidget(0, 3);
  table->setHorizontalHeaderLabels({"Port", "Device", "Description"});
  const auto& overrides = app_.link.connection.Settings.DeviceOverrides;
  for (const SerialPortInfo& info :
       ListSerialPorts([this](const std::string& m) { app_.status.SetText(m); })) {
    QString com;
    for (int n = 1; n <= kComPortCount; ++n)
      if (ComDevicePath(n, overrides) == info.Device) com = QString("COM%1").arg(n);
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(com.isEmpty() ? "-" : com));
    table->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(info.Device)));
    table->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(info.Description)));
  }
  table->resizeColumnsToContents();
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(520, 260);
  dialog.exec();
}

}  // namespace sondaro
