#pragma once
// The save dialog for text files that the RDS page, the raw group capture and
// the measurement report share. It starts in the folder of its last use.
#include <functional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace sondaro {

class TextFileDialog {
 public:
  static constexpr const char* kFilter = "Text file (*.txt)";
  static constexpr const char* kDefaultExtension = "txt";

  TextFileDialog(Dialogs& dialogs, std::string folder);
  // Shows the dialog proposing `proposedName` (may be empty) in Folder. The
  // chosen path, with ".txt" added when it has no extension (asking before
  // that name replaces a file: the rule of core/save_dialog.h), or "" when
  // cancelled. A chosen file makes its folder the next starting folder.
  [[nodiscard]] std::string Ask(const std::string& proposedName);

  // A save through this dialog failed: "Can't write to file " + path goes to
  // ReportFailure, the one way every failed save is told.
  void SaveFailed(const std::string& path) const;
  std::function<void(const std::string&)> ReportFailure;

  // Adds the trailing "/" when missing.
  void SetFolder(std::string folder);

  // Starting folder with a trailing "/" (SD3Dir in the settings).
  std::string Folder;

 private:
  Dialogs& dialogs_;
};

// Writes lines to a file, CR LF after each. False (with the reason in
// `error`) when the file cannot be created or written.
[[nodiscard]] bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                                  std::string* error = nullptr);

// A relative file name is taken from `folder` (with its trailing "/").
[[nodiscard]] std::string FileInFolder(const std::string& folder, const std::string& name);

}  // namespace sondaro
