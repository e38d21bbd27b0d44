#pragma once
// Block error rate of the received RDS groups: the share of blocks lost over
// the last 10 s and the last minute, counted from the raw "G" stream.
#include <deque>
#include <optional>
#include <string>

#include "core/clock.h"
#include "rds/raw_capture.h"

namespace sondaro {

// Lost blocks of one group: those sent as "----" (or not hexadecimal). A
// group of four zero words counts as four lost blocks: receivers write it in
// place of a group they lost sync on, and no station sends PI 0000 with
// nothing in it.
[[nodiscard]] int LostBlocks(const RawGroup& group);

class BlockErrorRate {
 public:
  static constexpr Millis kShortWindow = 10'000;
  static constexpr Millis kLongWindow = 60'000;

  void Add(Millis now, const RawGroup& group);
  void Clear() { groups_.clear(); }
  // Lost blocks / received blocks over (now - window, now], 0..1; nothing
  // when no group arrived in that time.
  [[nodiscard]] std::optional<double> Rate(Millis now, Millis window) const;
  // The rate in percent with one decimal ("2.5"), "-" without groups.
  [[nodiscard]] std::string Text(Millis now, Millis window) const;

 private:
  struct Arrival {
    Millis At;
    int Lost;
  };
  // Only the last minute is kept: at most a few hundred entries at the
  // analyzer's 11.4 groups per second.
  std::deque<Arrival> groups_;
};

}  // namespace sondaro
