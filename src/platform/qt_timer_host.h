#pragma once
// Drives the engine's TimerSet from the Qt event loop: one precise QTimer is
// always armed to the earliest due engine timer.
#include <QObject>
#include <QTimer>

#include "core/timer.h"

namespace sondaro {

class QtTimerHost : public QObject {
  Q_OBJECT
 public:
  QtTimerHost(TimerSet& timers, Clock& clock, QObject* parent = nullptr);
  ~QtTimerHost() override;
  void Rearm();

 private:
  void Fire();
  TimerSet& timers_;
  Clock& clock_;
  QTimer timer_;
  bool rearmQueued_ = false;
};

}  // namespace sondaro
