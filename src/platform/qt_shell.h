#pragma once
// The desktop shell through QProcess (programs) and QDesktopServices
// (documents, folders and URLs); Latin-1 at the boundary.
#include "core/shell.h"

namespace sondaro {

class QtShell final : public Shell {
 public:
  bool StartProgram(const std::string& program, const std::string& parameters,
                    const std::string& folder, std::string* error = nullptr) override;
  bool OpenDocument(const std::string& path) override;
  // systemctl reboot / poweroff, which logind grants to the user of the
  // active session (or refuses, with its reason on stderr).
  bool RestartComputer(bool powerOff, std::string* error = nullptr) override;
};

}  // namespace sondaro
