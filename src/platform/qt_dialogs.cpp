#include "platform/qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace sondaro {

QString FromLatin1(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ToLatin1(const QString& s) { return s.toLatin1().toStdString(); }

void QtDialogs::ShowMessage(const std::string& text) {
  QMessageBox::information(parent_, "Sondaro", FromLatin1(text));
}

bool QtDialogs::Confirm(const std::string& text) {
  return QMessageBox::question(parent_, "Sondaro", FromLatin1(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                           std::string& value) {
  bool ok = false;
  const QString v = QInputDialog::getText(parent_, FromLatin1(caption), FromLatin1(prompt),
                                          QLineEdit::Normal, FromLatin1(value), &ok);
  if (ok) value = ToLatin1(v);
  return ok;
}

std::string QtDialogs::OpenFileName(const std::string& caption, const std::string& folder,
                                    const std::string& filter) {
  return ToLatin1(QFileDialog::getOpenFileName(parent_, FromLatin1(caption), FromLatin1(folder),
                                               FromLatin1(filter)));
}

std::string QtDialogs::SaveFileName(const std::string& caption, const std::string& proposal,
                                    const std::string& filter) {
  return ToLatin1(QFileDialog::getSaveFileName(parent_, FromLatin1(caption),
                                               FromLatin1(proposal), FromLatin1(filter)));
}

}  // namespace sondaro
