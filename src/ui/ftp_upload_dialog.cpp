#include "ui/ftp_upload_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "output/ftp_session.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

FtpUploadDialog::FtpUploadDialog(FtpAccount& account, QWidget* parent)
    : QDialog(parent), account_(account) {
  setWindowTitle("FTP Upload");
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  AddField(form, "Host name[:Port]:", account_.Host);
  AddField(form, "User name:", account_.User);
  QLineEdit* password = AddField(form, "Password:", account_.Password);
  password->setEchoMode(QLineEdit::Password);
  password->setStyleSheet("lineedit-password-character: 42");  // "*"
  AddField(form, "Remote Dir:", account_.RemoteDir);
  AddField(form, "Local Dir:", account_.LocalDir);
  column->addLayout(form);
  auto* passive = new QCheckBox("Use passive mode for transfers (like a WWW browser)");
  passive->setChecked(account_.Passive);
  connect(passive, &QCheckBox::toggled, this, [this](bool on) { account_.Passive = on; });
  column->addWidget(passive);

  auto* help = new QLabel(
      "To use the FTP Upload, create a script file containing FTP related commands.\n\n"
      "Plain FTP sends the password unencrypted. Write the host as "
      "ftps://host[:port] to use FTP over explicit TLS (the server's certificate "
      "must be trusted by this computer).");
  help->setWordWrap(true);
  column->addWidget(help);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton("Close", QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
  setMinimumWidth(420);
}

QLineEdit* FtpUploadDialog::AddField(QFormLayout* form, const char* label, std::string& value) {
  auto* edit = new QLineEdit(FromLatin1(value));
  connect(edit, &QLineEdit::textChanged, this,
          [&value](const QString& text) { value = ToLatin1(text); });
  form->addRow(label, edit);
  return edit;
}

}  // namespace sondaro
