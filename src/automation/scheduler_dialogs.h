#pragma once
// What the dialogs "Task Scheduler" and "Times" hold and how their fields
// behave; the Qt dialogs only show this state and forward keys and clicks.
#include <array>
#include <string>

#include "automation/scheduler.h"

namespace sondaro {

inline constexpr const char* kTaskFileFilter =
    "All files (*);;RDS files (*.rds);;EXE files (*.exe)";

// "Find File..." of the "Task Scheduler" dialog: the chosen path goes into
// task `number`; the dialog starts in the program folder, then in the last
// chosen file's.
void FindTaskFile(Scheduler& scheduler, Dialogs& dialogs, int number);

// The dialog "Times" for one task.
class TimesEditor {
 public:
  static constexpr std::size_t kEntryLength = 5;  // "HH:MM"

  TimesEditor(int number, const ScheduledTask& task);

  // Keys the entry field takes: digits, ":" and backspace.
  [[nodiscard]] static bool AcceptsKey(char key);
  // The entry's new text after a key: cut to 5 characters, and ":" added
  // when it has just grown to two. The caret goes to the end.
  void SetEntry(std::string text);
  // "Add" (and Enter): a valid, new HH:MM goes into the first free row and
  // the filled rows are sorted; false when nothing was added.
  bool Add();
  // "Delete" (and Del in the list) on a row: the rows below move up.
  void Delete(int row);
  // "OK": days and times back into the task.
  void Ok(ScheduledTask& task) const;

  std::string Label;                 // "Item Number: n"
  std::array<bool, 7> Days{};        // "Monday" ... "Sunday"
  std::array<std::string, kTimeSlots> Rows;
  std::string Entry;                 // "HH:MM" field
};

}  // namespace sondaro
