#include "platform/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "platform/qt_dialogs.h"

namespace sondaro {

bool QtShell::StartProgram(const std::string& program, const std::string& parameters,
                           const std::string& folder, std::string* error) {
  QProcess process;
  process.setProgram(FromLatin1(program));
  process.setArguments(QProcess::splitCommand(FromLatin1(parameters)));
  if (!folder.empty()) process.setWorkingDirectory(FromLatin1(folder));
  if (process.startDetached()) return true;
  if (error) {
    *error = ToLatin1(process.errorString());
    const QFileInfo info(FromLatin1(program));
    if (info.exists() && !info.isExecutable()) *error = program + " is not executable";
  }
  return false;
}

bool QtShell::OpenDocument(const std::string& path) {
  const QString text = FromLatin1(path);
  const QUrl url = text.contains("://") ? QUrl(text) : QUrl::fromLocalFile(text);
  return QDesktopServices::openUrl(url);
}

bool QtShell::RestartComputer(bool powerOff, std::string* error) {
  QProcess process;
  process.start("systemctl", {powerOff ? "poweroff" : "reboot"});
  const bool finished = process.waitForFinished(15000);
  if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
    return true;
  if (error) {
    const QString why = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    *error = ToLatin1(why.isEmpty() ? process.errorString() : why);
  }
  return false;
}

}  // namespace sondaro
