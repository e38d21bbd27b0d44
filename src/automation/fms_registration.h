#pragma once
// Registration of script files with the desktop: a MIME type for "*.fms"
// and a desktop entry that opens such a file with this program, so opening
// a script from the file manager starts the program with the file as its
// only parameter (or hands it to the running instance).
#include <functional>
#include <string>

#include "core/shell.h"

namespace sondaro {

inline constexpr const char* kScriptMimeType = "application/x-sondaro-script";
inline constexpr const char* kScriptDesktopFile = "sondaro-script.desktop";
inline constexpr const char* kScriptMimeFile = "sondaro-script.xml";

// $XDG_DATA_HOME, else $HOME/.local/share; `env` reads a variable.
[[nodiscard]] std::string XdgDataHome(const std::function<std::string(const char*)>& env);

[[nodiscard]] std::string ScriptMimeInfo();
[[nodiscard]] std::string ScriptDesktopEntry(const std::string& programPath);

// Writes <dataHome>/mime/packages/sondaro-script.xml and
// <dataHome>/applications/sondaro-script.desktop, then asks the desktop
// (through the shell, when there is one) to refresh its databases and make
// the entry the default for the type. False with `error` set when a file
// could not be written.
bool RegisterScriptFiles(const std::string& programPath, const std::string& dataHome,
                         Shell* shell, std::string& error);

}  // namespace sondaro
