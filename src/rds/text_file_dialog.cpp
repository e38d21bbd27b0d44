#include "rds/text_file_dialog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

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
  std::string chosen = dialogs_.SaveFileName("Save As", Folder + proposedName, kFilter);
  if (chosen.empty()) return {};
  const std::filesystem::path path(chosen);
  if (!path.has_extension()) chosen += ".txt";
  if (path.has_parent_path()) Folder = WithSlash(path.parent_path().string());
  return chosen;
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
