#include "core/timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sondaro {
namespace {

TEST(Timer, FiresPeriodicallyAndInCreationOrderOnTies) {
  VirtualClock clock;
  TimerSet set(clock);
  std::vector<std::string> log;
  Timer a(set, 100, true, [&] { log.push_back("a" + std::to_string(clock.Now())); });
  Timer b(set, 50, true, [&] { log.push_back("b" + std::to_string(clock.Now())); });
  AdvanceVirtual(clock, set, 200);
  EXPECT_EQ(log, (std::vector<std::string>{"b50", "a100", "b100", "b150", "a200", "b200"}));
  EXPECT_EQ(clock.Now(), 200);
}

TEST(Timer, ChangingIntervalOrEnablingRestartsTheCount) {
  VirtualClock clock;
  TimerSet set(clock);
  std::vector<Millis> fired;
  Timer t(set, 1000, true, [&] { fired.push_back(clock.Now()); });
  AdvanceVirtual(clock, set, 500);
  t.SetInterval(300);  // due 800, not 300
  t.SetInterval(300);  // same interval: no restart
  AdvanceVirtual(clock, set, 400);
  EXPECT_EQ(fired, (std::vector<Millis>{800}));
  t.SetEnabled(false);
  AdvanceVirtual(clock, set, 1000);
  t.SetEnabled(true);  // at 1900: due 2200
  AdvanceVirtual(clock, set, 300);
  EXPECT_EQ(fired, (std::vector<Millis>{800, 2200}));
}

TEST(Timer, HandlerMayRearmItselfAndSleepBlocksOtherTimers) {
  VirtualClock clock;
  TimerSet set(clock);
  std::vector<Millis> fast;
  Timer slow(set, 100, true, [&] { clock.Sleep(250); });
  Timer quick(set, 30, true, [&] { fast.push_back(clock.Now()); });
  AdvanceVirtual(clock, set, 120);
  // quick ran at 30, 60, 90; slow at 100 blocked until 350, so quick's 120
  // tick comes late, at 350.
  ASSERT_GE(fast.size(), 4u);
  EXPECT_EQ(fast[3], 350);
}

TEST(Timer, OneShotPatternAndDestructionUnregisters) {
  VirtualClock clock;
  TimerSet set(clock);
  int count = 0;
  {
    Timer shot(set, 80, false, {});
    shot.SetHandler([&] {
      ++count;
      shot.SetEnabled(false);
    });
    shot.Restart();
    AdvanceVirtual(clock, set, 500);
    EXPECT_EQ(count, 1);
  }
  EXPECT_FALSE(set.NextDue().has_value());
}

}  // namespace
}  // namespace sondaro
