#include "output/save_files.h"

#include <cstdio>

namespace sondaro {

std::string ResolvePath(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/' || folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string AskSaveNameIn(Dialogs& dialogs, const std::string& folder, const std::string& name,
                          const std::string& filter, const std::string& defaultExtension) {
  return AskSaveName(dialogs, "", name.empty() ? folder : ResolvePath(folder, name), filter,
                     defaultExtension);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed;
}

}  // namespace sondaro
