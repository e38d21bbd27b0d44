#include "devconfig/dip_switches.h"

#include "link/command_set.h"

namespace sondaro {

DipSwitches::DipSwitches(CommandQueue& queue) : queue_(queue) {
  for (int n = 0; n < kDipSwitchCount; ++n) Positions[n] = kDipSwitches[n].Initial;
}

void DipSwitches::DIPSwitches1Click() {
  if (!ShowDialog || !ShowDialog(*this)) return;
  // All five go out, changed or not: the analyzer may have been set by hand.
  for (int n = 0; n < kDipSwitchCount; ++n) {
    if (auto command = DipCommand(n, Positions[n] == 0 ? 0 : 1)) queue_.Send(*command);
  }
}

}  // namespace sondaro
