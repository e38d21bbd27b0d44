// The exit watchdog asks for a quit, then ends the process, unless the close
// finishes (the watchdog is destroyed) first.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/exit_watchdog.h"

namespace sondaro {
namespace {

using namespace std::chrono_literals;

TEST(ExitWatchdog, AHangingCloseIsAskedToQuitThenEnded) {
  std::atomic<int> quits{0}, ends{0};
  {
    ExitWatchdog w([&] { ++quits; }, [&] { ++ends; }, 30ms, 30ms);
    w.Start();
    w.Start();  // started once
    std::this_thread::sleep_for(300ms);  // the close "hangs"
  }
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(ends, 1);
}

TEST(ExitWatchdog, AFinishedCloseDisarmsIt) {
  std::atomic<int> quits{0}, ends{0};
  {
    ExitWatchdog w([&] { ++quits; }, [&] { ++ends; }, 200ms, 200ms);
    w.Start();
  }
  {
    ExitWatchdog unused([&] { ++quits; }, [&] { ++ends; });
  }
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(ends, 0);
}

}  // namespace
}  // namespace sondaro
