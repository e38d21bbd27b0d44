#pragma once
// Files and programs that scripts reach: reading a script file, the text
// files of SAVETEXT / APPENDTEXT, the "open" of EXECUTE and the script
// editor. Relative names are taken in the program folder.
#include <functional>
#include <string>
#include <vector>

#include "core/shell.h"

namespace sondaro {

// `path` itself when absolute, else `folder` + `path`.
[[nodiscard]] std::string ResolveInFolder(const std::string& folder, const std::string& path);

enum class ScriptFileRead { Ok, Missing, Failed };

// Reads at most `maxLines` lines (CR LF, LF or CR ends), each with its
// leading blanks removed and cut to `maxLength` characters.
ScriptFileRead ReadScriptFile(const std::string& path, std::size_t maxLines,
                              std::size_t maxLength, std::vector<std::string>& lines);

// Creates (or, with append, extends) the file and writes `text` as it is.
[[nodiscard]] bool WriteTextFile(const std::string& path, const std::string& text, bool append);

// The shell "open" of a program, document or URL: an executable file is
// started with `parameters` in `folder`; any other existing file, and
// anything with "://", is opened with its associated program; a bare name is
// looked up on the search path. False with `error` set when nothing started.
bool ShellOpen(Shell& shell, const std::string& target, const std::string& parameters,
               const std::string& folder, const std::string& appFolder, std::string& error);

// Opens `file` in the user's text editor: $VISUAL or $EDITOR in a terminal
// window, else the first desktop text editor found, else the desktop's
// handler of the file. `env` reads an environment variable.
bool StartTextEditor(Shell& shell, const std::string& file,
                     const std::function<std::string(const char*)>& env);

}  // namespace sondaro
