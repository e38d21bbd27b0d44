#include "platform/qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>

namespace sondaro {

QString FromLatin1(const std::string& s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ToLatin1(const QString& s) { return s.toLatin1().toStdString(); }

void QtDialogs::ShowMessage(const std::string& text) {
  QMessageBox::information(parent_, "Sondaro", FromLatin1(text));
}

void QtDialogs::ShowError(const std::string& text) {
  QMessageBox::critical(parent_, "Sondaro", FromLatin1(text));
}

void QtDialogs::ShowWarning(const std::string& text) {
  QMessageBox::warning(parent_, "Sondaro", FromLatin1(text));
}

bool QtDialogs::Confirm(const std::string& text) {
  return QMessageBox::question(parent_, "Sondaro", FromLatin1(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::ConfirmWarning(const std::string& text) {
  return QMessageBox::warning(parent_, "Sondaro", FromLatin1(text),
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

namespace {

// Qt's file dialog starts about as large as the main window and would cover
// it exactly; it opens at a size of its own, room for the date column.
std::string RunFileDialog(QFileDialog& dialog) {
  QSize size(760, 500);
  if (const QScreen* screen = dialog.screen())
    size = size.boundedTo(screen->availableSize() * 9 / 10);
  dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return ToLatin1(dialog.selectedFiles().constFirst());
}

}  // namespace

std::string QtDialogs::OpenFileName(const std::string& caption, const std::string& folder,
                                    const std::string& filter) {
  QFileDialog dialog(parent_, FromLatin1(caption), FromLatin1(folder), FromLatin1(filter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog);
}

std::string QtDialogs::SaveFileName(const std::string& caption, const std::string& proposal,
                                    const std::string& filter) {
  QFileDialog dialog(parent_, FromLatin1(caption), FromLatin1(proposal), FromLatin1(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  return RunFileDialog(dialog);
}

}  // namespace sondaro
