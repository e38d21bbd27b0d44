#pragma once
// What the save commands of charts and data files share: the save dialog
// with its start folder and default extension, and writing a file.
#include <string>

#include "core/ports.h"
#include "core/save_dialog.h"

namespace sondaro {

// A relative path is taken from `folder`.
[[nodiscard]] std::string ResolvePath(const std::string& folder, const std::string& path);
// Folder of a file with a trailing "/"; empty when the path has none.
[[nodiscard]] std::string FolderOf(const std::string& path);
// The save dialog of the charts and data files, in `folder` proposing `name`:
// the one rule of every save dialog (core/save_dialog.h).
[[nodiscard]] std::string AskSaveNameIn(Dialogs& dialogs, const std::string& folder,
                                        const std::string& name, const std::string& filter,
                                        const std::string& defaultExtension);
// Creates or truncates the file and writes the bytes; false on any failure
// (what was written stays).
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace sondaro
