#include "core/privileged_port.h"

namespace sondaro {

std::string PrivilegedPortHint(const std::string& appFolder, int port) {
  return "On Linux only programs with the capability to bind ports below 1024 may listen "
         "there. Allow this program once with\n  sudo setcap cap_net_bind_service=+ep " +
         appFolder +
         "sondaro\nor let every program use the port with\n  sudo sysctl "
         "net.ipv4.ip_unprivileged_port_start=" +
         std::to_string(port);
}

}  // namespace sondaro
