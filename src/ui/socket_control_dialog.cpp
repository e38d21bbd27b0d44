#include "ui/socket_control_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "automation/socket_control.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {
constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kEveryInterface = "0.0.0.0";
}  // namespace

SocketControlDialog::SocketControlDialog(SocketControl& socket, QWidget* parent)
    : QDialog(parent), socket_(socket) {
  setWindowTitle("Socket Control");
  auto* column = new QVBoxLayout(this);
  auto* box = new QGroupBox("TCP/IP Socket Server");
  auto* form = new QFormLayout(box);
  enabled_ = new QCheckBox("Enabled");
  echo_ = new QCheckBox("Terminal Echo");
  port_ = new QLineEdit;
  port_->setMaxLength(5);
  port_->setFixedWidth(60);
  address_ = new QComboBox;
  address_->setEditable(true);
  address_->addItem("127.0.0.1 (this computer only)", kLoopback);
  address_->addItem("0.0.0.0 (every network interface)", kEveryInterface);
  form->addRow(enabled_);
  form->addRow(echo_);
  form->addRow("TCP/IP Port:", port_);
  form->addRow("Listen on:", address_);
  token_ = new QLineEdit;
  token_->setPlaceholderText("none: every client is accepted");
  form->addRow("Token:", token_);
  column->addWidget(box);

  auto* help = new QLabel(
      "To use the Socket Control, connect to the server specified above\n"
      "and send the script commands separated by <Enter>.");
  column->addWidget(help);
  // Every line runs as it arrives, EXECUTE included; say what the token
  // does and what it does not.
  auto* warning = new QLabel(
      "Warning: every line a client sends is run as a script line, including "
      "EXECUTE, which starts programs on this computer. Connections from web "
      "browsers are refused.\n"
      "With a token, a client's first line must be the token, or it is "
      "disconnected: this keeps out other users and programs that do not know it. "
      "The token and every line after it cross the network as plain text, and "
      "the token is kept unencrypted in kaveli.ini; anyone who can watch the "
      "network or read that file can use it. Listen on every network interface "
      "only in a network you trust.");
  warning->setWordWrap(true);
  warning->setStyleSheet("color: rgb(160,0,0);");
  column->addWidget(warning);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);

  const SocketControlSettings& s = socket_.Settings;
  enabled_->setChecked(s.Enabled);
  echo_->setChecked(s.Echo);
  port_->setText(FromLatin1(s.Port));
  token_->setText(FromLatin1(s.Token));
  const int known = address_->findData(FromLatin1(s.Address.empty() ? kEveryInterface : s.Address));
  if (known >= 0) address_->setCurrentIndex(known);
  else address_->setEditText(FromLatin1(s.Address));
  // Closing by any means applies the settings.
  connect(this, &QDialog::finished, this, [this] { Apply(); });
  // As wide as the help text; the warning wraps within.
  column->setSizeConstraint(QLayout::SetFixedSize);
}

void SocketControlDialog::Apply() {
  SocketControlSettings& s = socket_.Settings;
  s.Enabled = enabled_->isChecked();
  s.Echo = echo_->isChecked();
  s.Port = ToLatin1(port_->text());
  s.Token = ToLatin1(token_->text());
  const int index = address_->currentIndex();
  const QString text = address_->currentText();
  s.Address = index >= 0 && address_->itemText(index) == text
                  ? ToLatin1(address_->itemData(index).toString())
                  : ToLatin1(text.trimmed());
  socket_.ClearRunOverride();
  socket_.Apply();
}

}  // namespace sondaro
