#pragma once
// Outgoing command queue and reply pacing. Send() queues a command and notes
// which reply is awaited; the pacing tick writes one command at a time and
// holds back the next after commands that keep the analyzer busy.
#include <functional>
#include <string>
#include <vector>

#include "core/timer.h"
#include "link/measurement_state.h"

namespace sondaro {

struct TCekej {
  std::string Letter;     // one character: "F" for "?F"
  Millis RequestTime = 0;  // when last queued; 0 once answered
  bool Answered = true;
};

class CommandQueue {
 public:
  static constexpr std::size_t kCapacity = 30;
  static constexpr Millis kReplyWaitMs = 4000;

  CommandQueue(TimerSet& timers, MeasurementState& state,
               std::function<void(const std::string&)> writeCommand);

  void Send(const std::string& command);
  void PridejDoCekej(const std::string& letter);
  void OdeberZCekej(const std::string& letter);
  // True while a reply is awaited (queued less than 4000 ms ago).
  [[nodiscard]] bool MaSeCekat() const;
  // Pacing tick: writes the first queued command.
  void Timer10Timer();
  // Forgets the queued commands and the awaited replies.
  void Clear() {
    queue_.clear();
    pending_.clear();
  }

  [[nodiscard]] const std::vector<std::string>& Commands() const { return queue_; }
  [[nodiscard]] const std::vector<TCekej>& PendingReplies() const { return pending_; }
  [[nodiscard]] bool Empty() const { return queue_.empty(); }
  [[nodiscard]] Timer& Timer10() { return timer10_; }

 private:
  Clock& clock_;
  MeasurementState& state_;
  std::function<void(const std::string&)> writeCommand_;
  // At most kCapacity commands: a vector keeps its storage from one
  // command to the next, where a deque takes and frees blocks as it goes.
  std::vector<std::string> queue_;
  std::vector<TCekej> pending_;
  Timer timer10_;
};

// Interval that holds back the next command after `written`.
[[nodiscard]] Millis PacingAfter(const std::string& written);

}  // namespace sondaro
