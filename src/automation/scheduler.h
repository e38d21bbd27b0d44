#pragma once
// The weekly task scheduler: 48 tasks, each a text saying what to do, a set
// of weekdays and up to 24 times of day. Once in every new minute the first
// task due at that minute runs:
//
//   "C:/jobs/hourly.fms"  a script (a running one is stopped first)
//   "send:*R"             the device command "*R"
//   "EXIT", "REBOOT", "SHUTDOWN"
//   anything else         opened like a document or started as a program
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "automation/script_host.h"
#include "automation/script_interpreter.h"
#include "core/timer.h"

namespace sondaro {

inline constexpr int kScheduledTasks = 48;
inline constexpr int kTimeSlots = 24;

struct TimeSlot {
  int Hour = -1, Minute = -1;  // -1: unset
  [[nodiscard]] bool IsSet() const { return Hour >= 0 && Hour < 24 && Minute >= 0 && Minute < 60; }
  bool operator==(const TimeSlot&) const = default;
};
using TimeSlots = std::array<TimeSlot, kTimeSlots>;

struct ScheduledTask {
  std::string Text;   // empty: the task is unused
  std::uint16_t Days = 0;  // bit 0 Monday ... bit 6 Sunday
  TimeSlots Times{};
};

[[nodiscard]] inline bool BitOn(int value, int bit) { return ((value >> bit) & 1) != 0; }

// Times in the settings file: two characters per slot, 64 + hour and
// 64 + minute, "?" for an unset half; 07:30 is "G^".
[[nodiscard]] std::string EncodeTimes(const TimeSlots& slots);
// A character that is no valid hour or minute reads as -1; slots a short
// text does not reach keep what they held.
void DecodeTimes(std::string_view text, TimeSlots& slots);

class Scheduler {
 public:
  static constexpr Millis kTickMs = 1000;

  Scheduler(TimerSet& timers, ScriptInterpreter& script, ScriptHost& host);

  // Scheduler tick: checks the tasks once in each new minute.
  void Timer8Timer();
  // Runs task `number` (1..48) by its text; false, after reporting, when it
  // could not be started.
  bool RunTask(int number);
  // Closes the main window, then asks the system to restart or power off.
  void Reboot(bool powerOff);

  // The "Task Scheduler" dialog holds the tick off while it is open.
  void DialogOpened() { timer8_.SetEnabled(false); }
  void DialogClosed() { timer8_.SetEnabled(true); }
  // "Delete" of the dialog for row `number`: asks "Delete the item?" when
  // the task has a text; then the task is emptied.
  void DeleteTask(int number);

  [[nodiscard]] ScheduledTask& Task(int number) { return Tasks[static_cast<std::size_t>(number - 1)]; }
  [[nodiscard]] Timer& Timer8() { return timer8_; }

  std::array<ScheduledTask, kScheduledTasks> Tasks{};
  bool SchedulerEnabled = false;  // "Enabled"
  Millis LastCheck = 0;           // wall clock of the last check; midnight at start
  std::string FileFolder;         // start folder of "Find File..."
  // A task that could not be started; the scheduler goes on.
  std::function<void(const std::string&)> ReportFailure;

 private:
  void Fail(int number, const std::string& why);
  void RunScriptTask(int number, const std::string& file);

  Clock& clock_;
  ScriptInterpreter& script_;
  ScriptHost& host_;
  Timer timer8_;
};

}  // namespace sondaro
