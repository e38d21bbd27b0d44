#include "rds/block_error_rate.h"

#include <bit>

#include "core/text.h"

namespace sondaro {

int LostBlocks(const RawGroup& g) {
  if (g.Missing == 0 && g.A == 0 && g.B == 0 && g.C == 0 && g.D == 0) return 4;
  return std::popcount(static_cast<unsigned>(g.Missing & 0xF));
}

void BlockErrorRate::Add(Millis now, const RawGroup& group) {
  while (!groups_.empty() && groups_.front().At <= now - kLongWindow) groups_.pop_front();
  groups_.push_back({now, LostBlocks(group)});
}

std::optional<double> BlockErrorRate::Rate(Millis now, Millis window) const {
  long long groups = 0, lost = 0;
  for (auto it = groups_.rbegin(); it != groups_.rend() && it->At > now - window; ++it) {
    ++groups;
    lost += it->Lost;
  }
  if (groups == 0) return std::nullopt;
  return static_cast<double>(lost) / static_cast<double>(4 * groups);
}

std::string BlockErrorRate::Text(Millis now, Millis window) const {
  const auto rate = Rate(now, window);
  return rate ? FormatFixed(*rate * 100.0, 1) : "-";
}

}  // namespace sondaro
