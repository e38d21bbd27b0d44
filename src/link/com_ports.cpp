#include "link/com_ports.h"

namespace sondaro {

std::string ClassicComName(int portNumber) {
  return (portNumber > 9 ? "\\\\.\\COM" : "COM") + std::to_string(portNumber);
}

std::string ComDevicePath(int portNumber, const std::map<int, std::string>& overrides) {
  if (auto it = overrides.find(portNumber); it != overrides.end() && !it->second.empty())
    return it->second;
  // COM1-COM8: ttyUSB0-7; COM9-COM16: ttyACM0-7; COM17 and up: ttyS0...
  if (portNumber >= 1 && portNumber <= 8) return "/dev/ttyUSB" + std::to_string(portNumber - 1);
  if (portNumber >= 9 && portNumber <= 16) return "/dev/ttyACM" + std::to_string(portNumber - 9);
  return "/dev/ttyS" + std::to_string(portNumber - 17);
}

}  // namespace sondaro
