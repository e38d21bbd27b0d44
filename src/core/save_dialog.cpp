#include "core/save_dialog.h"

#include <cctype>
#include <filesystem>

namespace sondaro {

bool HasFileExtension(std::string_view path) {
  const std::string_view base = path.substr(path.rfind('/') + 1);
  const std::size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == base.size()) return false;
  bool letter = false;
  for (const char c : base.substr(dot + 1)) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isalnum(u)) return false;
    letter = letter || std::isalpha(u);
  }
  return letter;
}

std::string AskSaveName(Dialogs& dialogs, const std::string& caption, const std::string& proposal,
                        const std::string& filter, const std::string& defaultExtension) {
  std::string chosen = dialogs.SaveFileName(caption, proposal, filter);
  if (chosen.empty() || defaultExtension.empty() || HasFileExtension(chosen)) return chosen;
  chosen += "." + defaultExtension;
  std::error_code ec;
  if (std::filesystem::exists(chosen, ec) &&
      !dialogs.Confirm(chosen + " already exists.\nDo you want to replace it?"))
    return {};
  return chosen;
}

}  // namespace sondaro
