#pragma once
// How a simulated analyzer is set up.
#include <cstdint>
#include <string>

namespace sondaro::sim {

enum class DeviceModel {
  M40,   // reports the level as a raw figure
  M140,  // reports the level in dBuV and has the alarm outputs
};

struct SimOptions {
  DeviceModel Device = DeviceModel::M140;
  std::string WorldFile;  // empty: the built-in world
  std::uint64_t Seed = 1;
  // An RDS group log to replay as the "G" stream of one station: the
  // station at RdsLogKHz, or the first station of the world when 0.
  std::string RdsLogFile;
  int RdsLogKHz = 0;
};

}  // namespace sondaro::sim
