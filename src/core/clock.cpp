#include "core/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace sondaro {

Millis RealClock::Now() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Millis RealClock::WallNow() const {
  using namespace std::chrono;
  const auto sys = system_clock::now();
  const std::time_t t = system_clock::to_time_t(sys);
  std::tm local{};
  localtime_r(&t, &local);
  const Millis ms = duration_cast<milliseconds>(sys.time_since_epoch()).count() % 1000;
  return static_cast<Millis>(t + local.tm_gmtoff) * 1000 + ms;
}

void RealClock::Sleep(Millis ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

VirtualClock::VirtualClock(Millis wallStart) : wallStart_(wallStart) {}

void VirtualClock::Sleep(Millis ms) {
  if (ms > 0) now_ += ms;
}

void VirtualClock::Set(Millis now) {
  if (now > now_) now_ = now;
}

}  // namespace sondaro
