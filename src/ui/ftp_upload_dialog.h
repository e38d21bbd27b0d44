#pragma once
// Options > "FTP Upload...": the account the FTP script commands use. Edits
// take effect at once; the fields are saved at exit.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

class QFormLayout;

namespace sondaro {

struct FtpAccount;

class FtpUploadDialog : public QDialog {
  Q_OBJECT
 public:
  FtpUploadDialog(FtpAccount& account, QWidget* parent = nullptr);

 private:
  QLineEdit* AddField(QFormLayout* form, const char* label, std::string& value);
  FtpAccount& account_;
};

}  // namespace sondaro
