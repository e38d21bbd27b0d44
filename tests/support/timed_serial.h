#pragma once
// The analyzer's side of a serial line that notes when each command arrived,
// for checks of the pacing between commands.
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "support/fakes.h"

namespace sondaro::test {

using TimedCommands = std::vector<std::pair<Millis, std::string>>;

class TimedSerial : public FakeSerialPort {
 public:
  explicit TimedSerial(const Clock& clock) : clock_(clock) {}
  void Write(const std::string& bytes) override {
    Log.emplace_back(clock_.Now(), bytes);
    FakeSerialPort::Write(bytes);
  }
  [[nodiscard]] std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& entry : Log) texts.push_back(entry.second);
    return texts;
  }
  TimedCommands Log;

 private:
  const Clock& clock_;
};

}  // namespace sondaro::test
