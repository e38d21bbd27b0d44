#pragma once
// What to tell a user whose server cannot listen on a port below 1024.
#include <string>

namespace sondaro {

// "On Linux only programs with the capability ..." with the setcap and
// sysctl commands that allow this program (in `appFolder`) to use `port`.
[[nodiscard]] std::string PrivilegedPortHint(const std::string& appFolder, int port);

}  // namespace sondaro
