#include "rds/text_file_dialog.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/save_dialog.h"

namespace sondaro {

namespace {
std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

TextFileDialog::TextFileDialog(Dialogs& dialogs, std::string folder)
    : Folder(WithSlash(std::move(folder))), dialogs_(dialogs) {}

void TextFileDialog::SetFolder(std::string folder) { Folder = WithSlash(std::move(folder)); }

std::string TextFileDialog::Ask(const std::string& proposedName) {
  const std::string chosen =
      AskSaveName(dialogs_, "Save As", Folder + proposedName, kFilter, kDefaultExtension);
  if (const auto slash = chosen.rfind('/'); slash != std::string::npos)
    Folder = chosen.substr(0, slash + 1);
  return chosen;
}

void TextFileDialog::SaveFailed(const std::string& path) const {
  if (ReportFailure) ReportFailure("Can't write to file " + path);
}

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
  }
  if (out) return true;
  if (error) *error = std::strerror(errno);
  return false;
}

std::string FileInFolder(const std::string& folder, const std::string& name) {
  if (name.empty() || name.front() == '/') return name;
  return WithSlash(folder) + name;
}

}  // namespace sondaro
