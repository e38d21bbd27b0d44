#pragma once
// The port list keeps the analyzer's classic "COM1".."COM256" names; each maps
// to a device of this system. COM1..COM4 are the first USB serial adapters
// (what an analyzer is attached through today), then ACM devices, then the
// built-in ports. A per-port override (a pseudo-terminal, say) wins.
#include <map>
#include <string>

namespace sondaro {

inline constexpr int kComPortCount = 256;

// The name the port is known by on the analyzer's home platform: "COM9",
// "\\.\COM12".
[[nodiscard]] std::string ClassicComName(int portNumber);

// Device path for port number 1..256.
[[nodiscard]] std::string ComDevicePath(int portNumber,
                                        const std::map<int, std::string>& overrides = {});

}  // namespace sondaro
