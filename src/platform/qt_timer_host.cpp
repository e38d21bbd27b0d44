#include "platform/qt_timer_host.h"

#include <algorithm>

namespace sondaro {

QtTimerHost::QtTimerHost(TimerSet& timers, Clock& clock, QObject* parent)
    : QObject(parent), timers_(timers), clock_(clock) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &QtTimerHost::Fire);
  // Coalesce the many re-arm requests of one event into one.
  timers_.OnScheduleChanged = [this] {
    if (rearmQueued_) return;
    rearmQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { Rearm(); }, Qt::QueuedConnection);
  };
  Rearm();
}

QtTimerHost::~QtTimerHost() { timers_.OnScheduleChanged = nullptr; }

void QtTimerHost::Rearm() {
  rearmQueued_ = false;
  const auto due = timers_.NextDue();
  if (!due) {
    timer_.stop();
    return;
  }
  const Millis wait = std::clamp<Millis>(*due - clock_.Now(), 0, 24 * 3600 * 1000);
  timer_.start(static_cast<int>(wait));
}

void QtTimerHost::Fire() {
  timers_.RunDue(clock_.Now());
  Rearm();
}

}  // namespace sondaro
