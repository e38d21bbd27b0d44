#pragma once
// Time source of the engine. Everything that measures or stamps time asks a
// Clock, so tests can run the whole program in virtual time.
#include <cstdint>

namespace sondaro {

// Milliseconds since an arbitrary monotonic origin.
using Millis = std::int64_t;

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds; never goes back.
  [[nodiscard]] virtual Millis Now() const = 0;
  // Local wall-clock time in milliseconds since 1970-01-01 00:00 local time,
  // for date and time texts.
  [[nodiscard]] virtual Millis WallNow() const = 0;
  // Blocks the calling thread (the places where the program pauses on
  // purpose: the 600 ms of "Acquire All", the capture queue flush ...).
  virtual void Sleep(Millis ms) = 0;
};

class RealClock final : public Clock {
 public:
  [[nodiscard]] Millis Now() const override;
  [[nodiscard]] Millis WallNow() const override;
  void Sleep(Millis ms) override;
};

// Test clock: time only moves when told to. Sleep moves time without running
// timers, as a blocked thread would.
class VirtualClock final : public Clock {
 public:
  // Wall time starts at 2024-01-15 12:00:00 unless given.
  explicit VirtualClock(Millis wallStart = 1705320000000);
  [[nodiscard]] Millis Now() const override { return now_; }
  [[nodiscard]] Millis WallNow() const override { return wallStart_ + now_; }
  void Sleep(Millis ms) override;
  void Set(Millis now);

 private:
  Millis now_ = 0;
  Millis wallStart_;
};

}  // namespace sondaro
