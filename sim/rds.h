#pragma once
// RDS on the simulated station side (group building, checkwords, a replayed
// log) and on the analyzer side (the decoder behind the "?D" and "?T"
// replies).
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/world.h"

namespace sondaro::sim {

inline constexpr double kGroupsPerSecond = 1187.5 / 104.0;  // about 11.4

struct Group {
  std::array<std::uint16_t, 4> Blocks{};
  std::uint8_t Missing = 0;  // bit i: block i not received
  [[nodiscard]] int Type() const { return Blocks[1] >> 12; }
  [[nodiscard]] bool VersionB() const { return (Blocks[1] & 0x0800) != 0; }
};

// "G" body: four blocks of four hex digits, "----" for a lost one.
[[nodiscard]] std::string GroupText(const Group& g);

// 26-bit block: 16 information bits and the checkword with its offset word.
enum class Offset { A, B, C, Cp, D };
[[nodiscard]] std::uint32_t EncodeBlock(std::uint16_t info, Offset offset);

// The k-th group a station sends. Groups are numbered from an arbitrary
// epoch; wallMs is the local wall time of that group (for CT).
[[nodiscard]] Group StationGroup(const Station& s, std::int64_t k, std::int64_t wallMs);

// An off-air group log: one group per line as four blocks of hex digits or
// "----", anything after the blocks ignored; header lines in angle brackets
// may appear anywhere.
struct RdsLog {
  std::vector<Group> Groups;
};
struct RdsLogLoad {
  std::optional<RdsLog> Loaded;
  std::string Error;
};
[[nodiscard]] RdsLogLoad ParseRdsLog(const std::string& text);
[[nodiscard]] RdsLogLoad LoadRdsLog(const std::string& path);

// What the analyzer has decoded since it was tuned.
class RdsDecoder {
 public:
  void Reset() { *this = RdsDecoder{}; }
  void Feed(const Group& g);

  // The sections answering "?D", in order, ending with "EON"; each pair is
  // header and body. Items not decoded yet are left out.
  [[nodiscard]] std::vector<std::pair<std::string, std::string>> DataSections() const;
  // Body of "RDS Group Statistics": one 13-character slot per group type and
  // version, " 0A: " and the count in seven places, separated by CR LF.
  [[nodiscard]] std::string StatisticsBody() const;
  [[nodiscard]] std::uint32_t Count(int type, bool versionB) const {
    return counts_[type * 2 + (versionB ? 1 : 0)];
  }
  [[nodiscard]] std::optional<std::uint16_t> Pi() const { return pi_; }
  [[nodiscard]] std::string Ps() const { return ps_; }

 private:
  std::optional<std::uint16_t> pi_;
  std::optional<int> pty_;
  std::optional<bool> tp_, ta_, ms_;
  std::string ps_ = std::string(8, ' ');
  int psSeen_ = 0;  // bit per segment
  int di_ = 0, diSeen_ = 0;
  std::array<char, 64> rt_{};
  std::uint32_t rtSeen_ = 0;
  int rtAb_ = -1;
  std::string ptyn_ = std::string(8, ' ');
  int ptynSeen_ = 0;
  std::optional<int> ecc_;
  std::optional<std::string> ct_;
  std::vector<int> af_;  // kHz, in order of arrival
  struct Eon {
    std::string Ps = std::string(8, ' ');
    int Seen = 0;
  };
  std::map<std::uint16_t, Eon> eon_;
  std::array<std::uint32_t, 32> counts_{};
};

}  // namespace sondaro::sim
