#pragma once
// The analyzer's five configuration switches, set from the PC. The positions
// shown are the ones last chosen here (kept in the settings file); they are
// never read back from the analyzer.
#include <array>
#include <functional>

#include "link/command_queue.h"

namespace sondaro {

inline constexpr int kDipSwitchCount = 5;

struct DipSwitchDef {
  const char* Caption;
  const char* Item0;
  const char* Item1;
  int Initial;
};

inline constexpr std::array<DipSwitchDef, kDipSwitchCount> kDipSwitches{{
    {"0 - LCD backlight", "0 - Auto", "1 - Manual", 0},
    {"1 - Manual LCD backlight", "0 - Always off", "1 - Always on", 0},
    {"2 - Tuning step", "0 - 50 kHz", "1 - 100 kHz", 1},
    {"3 - Scan sensitivity", "0 - Low", "1 - High", 0},
    {"4 - Optional LED bargraph", "0 - Not installed", "1 - Installed", 0},
}};

class DipSwitches {
 public:
  explicit DipSwitches(CommandQueue& queue);

  // "DIP Switches..." (Options menu): the dialog edits Positions in place and
  // answers whether it was closed with OK. Choices made before a Cancel stay.
  void DIPSwitches1Click();

  // Item index per switch; -1 (no selection) counts as position 1.
  std::array<int, kDipSwitchCount> Positions{};
  // The modal dialog; without one (headless) nothing is shown or sent.
  std::function<bool(DipSwitches&)> ShowDialog;

 private:
  CommandQueue& queue_;
};

}  // namespace sondaro
