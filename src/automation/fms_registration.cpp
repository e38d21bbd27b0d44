#include "automation/fms_registration.h"

#include <filesystem>

#include "automation/script_files.h"

namespace sondaro {

namespace fs = std::filesystem;

std::string XdgDataHome(const std::function<std::string(const char*)>& env) {
  const std::string xdg = env("XDG_DATA_HOME");
  if (!xdg.empty() && xdg.front() == '/') return xdg;
  return env("HOME") + "/.local/share";
}

std::string ScriptMimeInfo() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
         "  <mime-type type=\"" +
         std::string(kScriptMimeType) +
         "\">\n"
         "    <comment>Sondaro Script File</comment>\n"
         "    <sub-class-of type=\"text/plain\"/>\n"
         "    <glob pattern=\"*.fms\"/>\n"
         "  </mime-type>\n"
         "</mime-info>\n";
}

namespace {

// One quoted argument of an Exec key: the quoting rule escapes " ` $ \ with
// a backslash, then the string rule doubles every backslash, and "%" is
// written "%%". /opt/my "x"/sondaro -> "/opt/my \\"x\\"/sondaro"
std::string ExecArgument(const std::string& path) {
  std::string quoted;
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  std::string out = "\"";
  for (char c : quoted) {
    if (c == '\\') out += "\\\\";
    else if (c == '%') out += "%%";
    else out += c;
  }
  return out + "\"";
}

}  // namespace

std::string ScriptDesktopEntry(const std::string& programPath) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Sondaro\n"
         "Comment=Sondaro Script File\n"
         "Exec=" +
         ExecArgument(programPath) +
         " %f\n"
         "MimeType=" +
         std::string(kScriptMimeType) +
         ";\n"
         "NoDisplay=true\n"
         "Terminal=false\n";
}

bool RegisterScriptFiles(const std::string& programPath, const std::string& dataHome,
                         Shell* shell, std::string& error) {
  const std::string mimeDir = dataHome + "/mime";
  const std::string appsDir = dataHome + "/applications";
  std::error_code ec;
  fs::create_directories(mimeDir + "/packages", ec);
  fs::create_directories(appsDir, ec);
  const std::string mimeFile = mimeDir + "/packages/" + kScriptMimeFile;
  const std::string desktopFile = appsDir + "/" + kScriptDesktopFile;
  if (!WriteTextFile(mimeFile, ScriptMimeInfo(), false)) {
    error = "Can't write to file " + mimeFile;
    return false;
  }
  if (!WriteTextFile(desktopFile, ScriptDesktopEntry(programPath), false)) {
    error = "Can't write to file " + desktopFile;
    return false;
  }
  // The desktop reads the files once its caches are rebuilt; a missing
  // tool only delays that until the next login.
  if (shell) {
    shell->StartProgram("update-mime-database", "\"" + mimeDir + "\"", "");
    shell->StartProgram("update-desktop-database", "\"" + appsDir + "\"", "");
    shell->StartProgram("xdg-mime",
                        std::string("default ") + kScriptDesktopFile + " " + kScriptMimeType, "");
  }
  return true;
}

}  // namespace sondaro
