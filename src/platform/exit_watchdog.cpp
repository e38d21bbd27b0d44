#include "platform/exit_watchdog.h"

namespace sondaro {

ExitWatchdog::ExitWatchdog(std::function<void()> closeRequest, std::function<void()> terminate,
                           Ms first, Ms grace)
    : closeRequest_(std::move(closeRequest)), terminate_(std::move(terminate)),
      first_(first), grace_(grace) {}

ExitWatchdog::~ExitWatchdog() {
  {
    std::lock_guard lock(mutex_);
    disarmed_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void ExitWatchdog::Start() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable() || disarmed_) return;
  thread_ = std::thread([this] { Run(); });
}

bool ExitWatchdog::WaitDisarmed(Ms ms) {
  std::unique_lock lock(mutex_);
  return wake_.wait_for(lock, ms, [this] { return disarmed_; });
}

void ExitWatchdog::Run() {
  if (WaitDisarmed(first_)) return;
  closeRequest_();
  if (WaitDisarmed(grace_)) return;
  terminate_();
}

}  // namespace sondaro
