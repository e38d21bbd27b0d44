#include "core/timer.h"

#include <algorithm>
#include <limits>

namespace sondaro {

namespace {
constexpr Millis kMinInterval = 1;
constexpr Millis kNever = std::numeric_limits<Millis>::max();
}

Timer::Timer(TimerSet& set, Millis interval, bool enabled, std::function<void()> handler)
    : set_(set),
      interval_(std::max(interval, kMinInterval)),
      enabled_(enabled),
      due_(set.GetClock().Now() + interval_),
      handler_(std::move(handler)) {
  set_.Add(this);
}

Timer::~Timer() { set_.Remove(this); }

void Timer::SetInterval(Millis interval) {
  interval = std::max(interval, kMinInterval);
  if (interval == interval_) return;
  interval_ = interval;
  due_ = set_.GetClock().Now() + interval_;
  set_.Changed();
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_) {
    due_ = set_.GetClock().Now() + interval_;
    set_.Changed();
  }
}

void Timer::Restart() {
  enabled_ = true;
  due_ = set_.GetClock().Now() + interval_;
  set_.Changed();
}

void TimerSet::Remove(Timer* t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

// These two run for every firing; one comparison of the due time per timer
// keeps them cheap where every comparison is counted (fuzzing builds).
std::optional<Millis> TimerSet::NextDue() const {
  Millis best = kNever;
  for (const Timer* t : timers_)
    if (t->enabled_ && t->due_ < best) best = t->due_;
  if (best == kNever) return std::nullopt;
  return best;
}

Timer* TimerSet::Earliest(Millis limit) const {
  Timer* best = nullptr;
  // Strictly before: the first of timers due together wins.
  Millis bestDue = limit < kNever ? limit + 1 : kNever;
  for (Timer* t : timers_)
    if (t->enabled_ && t->due_ < bestDue) {
      best = t;
      bestDue = t->due_;
    }
  return best;
}

void TimerSet::RunDue(Millis now) {
  // Every firing re-arms past now, so this ends; the bound is a safety net.
  for (int guard = 0; guard < 100000; ++guard) {
    Timer* t = Earliest(now);
    if (!t) return;
    // The next period counts from this firing; the handler may change it.
    t->due_ = now + t->interval_;
    if (t->handler_) t->handler_();
  }
}

}  // namespace sondaro

namespace sondaro {

void AdvanceVirtual(VirtualClock& clock, TimerSet& timers, Millis ms) {
  const Millis target = clock.Now() + ms;
  while (true) {
    const auto next = timers.NextDue();
    if (!next || *next > target) break;
    clock.Set(*next);
    timers.RunDue(clock.Now());
  }
  clock.Set(target);
}

}  // namespace sondaro
