#include "automation/script_files.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace sondaro {

namespace fs = std::filesystem;

std::string ResolveInFolder(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/' || folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

ScriptFileRead ReadScriptFile(const std::string& path, std::size_t maxLines,
                              std::size_t maxLength, std::vector<std::string>& lines) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return ScriptFileRead::Missing;
  if (fs::is_directory(status)) return ScriptFileRead::Failed;
  // Read in blocks of our own: the stream needs no buffer of its own.
  std::ifstream in;
  in.rdbuf()->pubsetbuf(nullptr, 0);
  in.open(path, std::ios::binary);
  if (!in) return ScriptFileRead::Failed;
  std::string line;
  bool leading = true;  // still removing leading blanks
  bool afterCr = false;
  auto finish = [&] {
    lines.push_back(std::move(line));
    line.clear();
    leading = true;
  };
  char buf[8192];
  while (lines.size() < maxLines && in) {
    in.read(buf, sizeof buf);
    const std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got && lines.size() < maxLines; ++i) {
      const char c = buf[i];
      if (c == '\n') {
        if (!afterCr) finish();  // the LF of CR LF ends nothing more
        afterCr = false;
        continue;
      }
      afterCr = false;
      if (c == '\r') {
        finish();
        afterCr = true;
        continue;
      }
      if (leading && c == ' ') continue;
      leading = false;
      if (line.size() < maxLength) line += c;
    }
  }
  if (in.bad()) return ScriptFileRead::Failed;
  if (lines.size() < maxLines && !line.empty()) lines.push_back(std::move(line));
  return ScriptFileRead::Ok;
}

bool WriteTextFile(const std::string& path, const std::string& text, bool append) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

bool ShellOpen(Shell& shell, const std::string& target, const std::string& parameters,
               const std::string& folder, const std::string& appFolder, std::string& error) {
  const std::string workFolder = folder.empty() ? appFolder : ResolveInFolder(appFolder, folder);
  if (target.find("://") != std::string::npos) {
    if (shell.OpenDocument(target)) return true;
    error = "no program opens " + target;
    return false;
  }
  const std::string path = ResolveInFolder(appFolder, target);
  std::error_code ec;
  if (fs::exists(path, ec)) {
    if (fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0)
      return shell.StartProgram(path, parameters, workFolder, &error);
    if (shell.OpenDocument(path)) return true;
    error = "no program opens " + path;
    return false;
  }
  if (target.find('/') == std::string::npos)
    return shell.StartProgram(target, parameters, workFolder, &error);
  error = path + " not found";
  return false;
}

namespace {

// A command-line argument for the shell's splitting: blanks kept inside
// double quotes, a quote itself written as three.
std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

bool StartTextEditor(Shell& shell, const std::string& file,
                     const std::function<std::string(const char*)>& env) {
  const std::string folder = fs::path(file).parent_path().string();
  std::string editor = env("VISUAL");
  if (editor.empty()) editor = env("EDITOR");
  if (!editor.empty()) {
    // "vim" needs a terminal; "code --wait" takes its own arguments.
    if (shell.StartProgram("x-terminal-emulator", "-e " + editor + " " + Quote(file), folder))
      return true;
    const auto blank = editor.find(' ');
    const std::string program = editor.substr(0, blank);
    const std::string args = blank == std::string::npos ? "" : editor.substr(blank + 1) + " ";
    if (shell.StartProgram(program, args + Quote(file), folder)) return true;
  }
  for (const char* gui : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed",
                          "pluma", "featherpad"})
    if (shell.StartProgram(gui, Quote(file), folder)) return true;
  return shell.OpenDocument(file);
}

}  // namespace sondaro
