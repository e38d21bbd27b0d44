#pragma once
// What the save commands of charts and data files share: the save dialog
// with its start folder and default extension, and writing a file.
#include <string>

#include "core/ports.h"

namespace sondaro {

// A relative path is taken from `folder`.
[[nodiscard]] std::string ResolvePath(const std::string& folder, const std::string& path);
// Folder of a file with a trailing "/"; empty when the path has none.
[[nodiscard]] std::string FolderOf(const std::string& path);
// Shows the save dialog in `folder`, proposing `name`. A name typed without
// an extension gets `defaultExtension`, and the user is asked before such a
// name replaces an existing file. Empty when cancelled.
[[nodiscard]] std::string AskSaveName(Dialogs& dialogs, const std::string& folder,
                                      const std::string& name, const std::string& filter,
                                      const std::string& defaultExtension);
// Creates or truncates the file and writes the bytes; false on any failure
// (what was written stays).
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace sondaro
