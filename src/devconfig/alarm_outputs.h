#pragma once
// The M140's four alarm outputs: thirteen values edited in a dialog, written
// to the analyzer with "AR<letter>:<nn>*X" orders, or read back from its
// memory with "4CE,00E?h". They live only in the dialog and the analyzer.
#include <array>
#include <functional>
#include <string>

#include "core/timer.h"
#include "core/view.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"

namespace sondaro {

struct AlarmFieldDef {
  const char* Group;
  const char* Label;
  int Min, Max, Step, Initial;
  char Letter;    // "ARA:" .. "ARM:"
  int Scale;      // dialog value = wire value * Scale
  int ReadBack;   // first character (1-based) of its byte in the read-back text
};

inline constexpr int kAlarmFieldCount = 13;

// In dialog order.
inline constexpr std::array<AlarmFieldDef, kAlarmFieldCount> kAlarmFields{{
    {"Alarm 1 - Signal lost", "Time duration [s]", 0, 990, 10, 30, 'I', 10, 17},
    {"Alarm 2 - Silence detector", "Time duration [s]", 0, 990, 10, 60, 'J', 10, 19},
    {"Alarm 2 - Silence detector", "AVE minimum [kHz]", 0, 99, 1, 25, 'A', 1, 1},
    {"Alarm 3 - Overmodulation", "Time duration [s]", 0, 990, 10, 60, 'K', 10, 21},
    {"Alarm 3 - Overmodulation", "MAX Hold maximum [kHz]", 0, 99, 1, 88, 'B', 1, 3},
    {"Alarm 3 - Overmodulation", "Max At maximum [kHz]", 0, 99, 1, 78, 'C', 1, 5},
    {"Alarm 3 - Overmodulation", "AVE maximum [kHz]", 0, 99, 1, 78, 'D', 1, 7},
    {"Alarm 4 - Pilot or RDS level error", "Time duration [s]", 0, 990, 10, 60, 'L', 10, 23},
    {"Alarm 4 - Pilot or RDS level error", "Pilot minimum [Hz]", 0, 9900, 100, 5800, 'E', 100, 9},
    {"Alarm 4 - Pilot or RDS level error", "Pilot maximum [Hz]", 0, 9900, 100, 7700, 'F', 100, 11},
    {"Alarm 4 - Pilot or RDS level error", "RDS minimum [Hz]", 0, 9900, 100, 0, 'G', 100, 13},
    {"Alarm 4 - Pilot or RDS level error", "RDS maximum [Hz]", 0, 9900, 100, 8500, 'H', 100, 15},
    {"General settings", "Time hysteresis [s]", 0, 99, 1, 1, 'M', 1, 25},
}};

inline constexpr int kAlarmConfigLength = 28;

enum class AlarmDialogResult { Ok, Read, Cancel };

// Reads the analyzer's 28-character reply into `values` (dialog order).
// A pair that is not hexadecimal, or whose value lies outside its field's
// range, leaves that field unchanged; the returned text names each refused
// field (empty when all were taken).
[[nodiscard]] std::string ApplyAlarmReadBack(const std::string& hex,
                                             std::array<int, kAlarmFieldCount>& values);

class AlarmOutputs {
 public:
  AlarmOutputs(TimerSet& timers, CommandQueue& queue, MeasurementState& state,
               StatusBar& status);

  // "Alarm Outputs..." (Options menu); also re-entered by the read-back tick.
  void AlarmOutputs1Click();
  // Read-back tick, every 100 ms while a read is pending.
  void TimerShowAlarmTimer();

  // Current dialog values, dialog order.
  std::array<int, kAlarmFieldCount> Values{};
  // "Read" is enabled only while the link is up; asked each time the dialog shows.
  std::function<bool()> LinkConnected;
  // The modal dialog; edits Values. Without one (headless) nothing happens.
  std::function<AlarmDialogResult(AlarmOutputs&)> ShowDialog;
  // Fields the last read-back refused, shown in the dialog; empty when none.
  std::string ReadBackNotice;

  [[nodiscard]] bool ReadEnabled() const { return LinkConnected && LinkConnected(); }
  [[nodiscard]] bool ReadPending() const { return timer_.Enabled(); }

 private:
  void SendValues();
  void StartRead();

  CommandQueue& queue_;
  MeasurementState& state_;
  StatusBar& status_;
  Timer timer_;
  int ticks_ = 0;
};

}  // namespace sondaro
