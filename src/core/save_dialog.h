#pragma once
// The one rule of every save dialog of the program (chart images, data files,
// the RDS page, the raw group capture, the report): a name typed without an
// extension gets the dialog's default one, and since the dialog never saw
// that name, the user is asked before it replaces an existing file.
#include <string>
#include <string_view>

#include "core/ports.h"

namespace sondaro {

// Whether a file name ends in an extension: a dot followed by letters and
// digits, at least one a letter ("dev.jpg", "a.mp3"). Names made from
// readings keep their dots: "RDS  98.50 MHz" and "Report 98.50" have none.
[[nodiscard]] bool HasFileExtension(std::string_view path);

// Shows the save dialog proposing `proposal` (a folder, or a file in it) and
// applies the rule above. The chosen path, or "" when cancelled or when the
// user declines to replace the file.
[[nodiscard]] std::string AskSaveName(Dialogs& dialogs, const std::string& caption,
                                      const std::string& proposal, const std::string& filter,
                                      const std::string& defaultExtension);

}  // namespace sondaro
