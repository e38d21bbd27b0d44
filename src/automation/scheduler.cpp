#include "automation/scheduler.h"

#include "automation/script_files.h"
#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

namespace {

constexpr char kUnsetChar = '?';  // 64 + (-1)

char EncodeHalf(int value, int limit) {
  return value >= 0 && value < limit ? static_cast<char>(64 + value) : kUnsetChar;
}

int DecodeHalf(char c, int limit) {
  const int value = static_cast<unsigned char>(c) - 64;
  return value >= 0 && value < limit ? value : -1;
}

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

// Monday 0 ... Sunday 6.
int WeekdayBit(const DateTimeParts& p) { return (p.DayOfWeek + 5) % 7; }

}  // namespace

std::string EncodeTimes(const TimeSlots& slots) {
  std::string text;
  text.reserve(2 * kTimeSlots);
  for (const TimeSlot& s : slots) {
    text += EncodeHalf(s.Hour, 24);
    text += EncodeHalf(s.Minute, 60);
  }
  return text;
}

void DecodeTimes(std::string_view text, TimeSlots& slots) {
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (2 * i < text.size()) slots[i].Hour = DecodeHalf(text[2 * i], 24);
    if (2 * i + 1 < text.size()) slots[i].Minute = DecodeHalf(text[2 * i + 1], 60);
  }
}

Scheduler::Scheduler(TimerSet& timers, ScriptInterpreter& script, ScriptHost& host)
    : FileFolder(host.AppFolder()),
      clock_(timers.GetClock()),
      script_(script),
      host_(host),
      timer8_(timers, kTickMs, true, [this] { Timer8Timer(); }) {}

void Scheduler::Timer8Timer() {
  if (!SchedulerEnabled) return;
  const Millis wall = clock_.WallNow();
  const DateTimeParts now = SplitWall(wall);
  // Once per new minute. LastCheck starts at midnight, so a start in a
  // minute 0 (14:00:20) checks nothing until 14:01.
  if (now.Minute == SplitWall(LastCheck).Minute) return;
  LastCheck = wall;
  const int day = WeekdayBit(now);
  for (int n = 1; n <= kScheduledTasks; ++n) {
    const ScheduledTask& task = Task(n);
    if (task.Text.empty() || !BitOn(task.Days, day)) continue;
    for (const TimeSlot& slot : task.Times) {
      if (slot.Hour == now.Hour && slot.Minute == now.Minute) {
        RunTask(n);  // one task per minute: the lowest number due
        return;
      }
    }
  }
}

bool Scheduler::RunTask(int number) {
  const std::string text = Task(number).Text;
  if (EqualsNoCase(text, "EXIT")) {
    host_.CloseMainWindow();
  } else if (EqualsNoCase(text, "REBOOT") || EqualsNoCase(text, "SHUTDOWN")) {
    Reboot(EqualsNoCase(text, "SHUTDOWN"));
  } else if (text.size() >= 5 && EqualsNoCase(text.substr(0, 5), "SEND:")) {
    host_.Send(text.substr(5));
  } else if (EndsWithNoCase(text, ".FMS")) {
    RunScriptTask(number, text);
    return script_.Running();
  } else {
    Shell* shell = host_.GetShell();
    std::string error = "nothing may be started here";
    if (!shell || !ShellOpen(*shell, text, "", "", host_.AppFolder(), error)) {
      Fail(number, error);
      return false;
    }
  }
  return true;
}

void Scheduler::RunScriptTask(int number, const std::string& file) {
  if (script_.Running()) script_.StopScript();
  script_.ExeScript(file);
  if (!script_.Running()) Fail(number, "the script " + file + " could not be run");
}

void Scheduler::Reboot(bool powerOff) {
  host_.CloseMainWindow();
  Shell* shell = host_.GetShell();
  std::string error = "nothing may be started here";
  if (!shell || !shell->RestartComputer(powerOff, &error))
    Fail(0, std::string(powerOff ? "power-off" : "restart") + " refused: " + error);
}

void Scheduler::DeleteTask(int number) {
  ScheduledTask& task = Task(number);
  if (!task.Text.empty() && !host_.GetDialogs().Confirm("Delete the item?")) return;
  task = ScheduledTask{};
}

void Scheduler::Fail(int number, const std::string& why) {
  if (!ReportFailure) return;
  ReportFailure(number > 0 ? "Scheduled task " + std::to_string(number) + " not started: " + why
                           : "Scheduled task: " + why);
}

}  // namespace sondaro
