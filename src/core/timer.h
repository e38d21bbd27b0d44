#pragma once
// Timers with the semantics of a GUI toolkit's timer component: a timer has an
// interval, an enabled flag and one handler; enabling it or changing its
// interval restarts the count from now. All timers of one program live in one
// TimerSet, which the host drives (a QTimer armed to NextDue(), or a test
// advancing virtual time).
#include <functional>
#include <optional>
#include <vector>

#include "core/clock.h"

namespace sondaro {

class TimerSet;

class Timer {
 public:
  Timer(TimerSet& set, Millis interval, bool enabled, std::function<void()> handler);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetInterval(Millis interval);  // restarts the count when it changes
  void SetEnabled(bool enabled);      // restarts the count when switched on
  void Restart();                     // stop, then start: count begins again
  void SetHandler(std::function<void()> handler) { handler_ = std::move(handler); }
  [[nodiscard]] Millis Interval() const { return interval_; }
  [[nodiscard]] bool Enabled() const { return enabled_; }
  [[nodiscard]] Millis Due() const { return due_; }

 private:
  friend class TimerSet;
  TimerSet& set_;
  Millis interval_;
  bool enabled_;
  Millis due_ = 0;
  std::function<void()> handler_;
};

class TimerSet {
 public:
  explicit TimerSet(Clock& clock) : clock_(clock) {}
  [[nodiscard]] Clock& GetClock() const { return clock_; }
  // Earliest due time of an enabled timer.
  [[nodiscard]] std::optional<Millis> NextDue() const;
  // Runs every timer due at or before now, earliest first (creation order on
  // ties). A timer that falls due again within now runs again.
  void RunDue(Millis now);
  // Called whenever a timer is armed or re-armed, so a real host can move its
  // wake-up earlier.
  std::function<void()> OnScheduleChanged;

 private:
  friend class Timer;
  void Changed() const {
    if (OnScheduleChanged) OnScheduleChanged();
  }
  void Add(Timer* t) { timers_.push_back(t); }
  void Remove(Timer* t);
  Timer* Earliest(Millis limit) const;
  Clock& clock_;
  std::vector<Timer*> timers_;
};

}  // namespace sondaro

namespace sondaro {

// Moves virtual time forward by ms, running every timer as it falls due, in
// order. Handlers that sleep move the clock further; time never goes back.
void AdvanceVirtual(VirtualClock& clock, TimerSet& timers, Millis ms);

}  // namespace sondaro
