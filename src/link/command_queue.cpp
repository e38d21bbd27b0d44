#include "link/command_queue.h"

#include <algorithm>

namespace sondaro {

CommandQueue::CommandQueue(TimerSet& timers, MeasurementState& state,
                           std::function<void(const std::string&)> writeCommand)
    : clock_(timers.GetClock()),
      state_(state),
      writeCommand_(std::move(writeCommand)),
      timer10_(timers, 1000, true, [this] { Timer10Timer(); }) {}

void CommandQueue::Send(const std::string& command) {
  if (std::find(queue_.begin(), queue_.end(), command) != queue_.end()) return;
  if (queue_.size() < kCapacity) queue_.push_back(command);
  // A dropped query still counts as awaited, as the analyzer would be asked.
  if (!command.empty() && command[0] == '?') PridejDoCekej(command.substr(1, 1));
  if (command.size() == 3 && command[1] == '?') PridejDoCekej(command.substr(2, 1));
}

void CommandQueue::PridejDoCekej(const std::string& letter) {
  if (letter.size() != 1) return;
  for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
    if (it->Letter == letter) {
      it->RequestTime = clock_.Now();
      it->Answered = false;
      return;
    }
  }
  pending_.push_back({letter, clock_.Now(), false});
}

void CommandQueue::OdeberZCekej(const std::string& letter) {
  if (letter.size() != 1) return;
  for (TCekej& entry : pending_) {
    if (entry.Letter == letter) {
      entry.RequestTime = 0;
      entry.Answered = true;
    }
  }
}

bool CommandQueue::MaSeCekat() const {
  const Millis now = clock_.Now();
  return std::any_of(pending_.begin(), pending_.end(), [now](const TCekej& e) {
    if (e.Answered) return false;
    const Millis elapsed = now >= e.RequestTime ? now - e.RequestTime : e.RequestTime - now;
    return elapsed < kReplyWaitMs;
  });
}

Millis PacingAfter(const std::string& written) {
  Millis interval = 30;
  if (written == "?B") interval = 2000;
  if (written == "?H") interval = 1100;
  for (const char* busy : {"?S", "*C", "*E", "*D", "?T", "?D"})
    if (written == busy) interval = 400;
  if (written.size() >= 2 && written.compare(written.size() - 2, 2, "?W") == 0) interval = 450;
  return interval;
}

void CommandQueue::Timer10Timer() {
  state_.LastActivity = clock_.Now();
  timer10_.SetInterval(30);
  if (queue_.empty()) return;
  const std::string command = queue_.front();
  queue_.erase(queue_.begin());
  writeCommand_(command);
  timer10_.SetInterval(PacingAfter(command));
}

}  // namespace sondaro
