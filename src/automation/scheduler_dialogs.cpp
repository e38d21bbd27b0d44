#include "automation/scheduler_dialogs.h"

#include <algorithm>

#include "core/text.h"
#include "output/save_files.h"

namespace sondaro {

namespace {

// "07:30" -> 7 and 30 from the first and last two characters.
std::optional<TimeSlot> SlotOfText(const std::string& text) {
  const auto hour = ReadInt32(text.substr(0, 2));
  const auto minute = ReadInt32(text.substr(text.size() - 2));
  if (!hour || !minute) return std::nullopt;
  return TimeSlot{*hour, *minute};
}

}  // namespace

void FindTaskFile(Scheduler& scheduler, Dialogs& dialogs, int number) {
  const std::string chosen = dialogs.OpenFileName("Open", scheduler.FileFolder, kTaskFileFilter);
  if (chosen.empty()) return;
  scheduler.Task(number).Text = chosen;
  scheduler.FileFolder = FolderOf(chosen);
}

TimesEditor::TimesEditor(int number, const ScheduledTask& task)
    : Label("Item Number: " + std::to_string(number)) {
  for (int d = 0; d < 7; ++d) Days[static_cast<std::size_t>(d)] = BitOn(task.Days, d);
  for (std::size_t i = 0; i < Rows.size(); ++i) {
    const TimeSlot& s = task.Times[i];
    if (s.IsSet()) Rows[i] = IntToDva(s.Hour) + ":" + IntToDva(s.Minute);
  }
}

bool TimesEditor::AcceptsKey(char key) {
  return (key >= '0' && key <= '9') || key == ':' || key == '\b';
}

void TimesEditor::SetEntry(std::string text) {
  if (text.size() > kEntryLength) text.resize(kEntryLength);
  if (Entry.size() < 2 && text.size() == 2) text += ':';
  Entry = std::move(text);
}

bool TimesEditor::Add() {
  if (Entry.size() < kEntryLength) return false;
  const auto free = std::find_if(Rows.begin(), Rows.end(),
                                 [](const std::string& r) { return r.size() < 4; });
  if (free == Rows.end()) return false;
  const std::optional<TimeSlot> slot = SlotOfText(Entry);
  if (!slot || !slot->IsSet()) return false;  // the entry keeps its text to be corrected
  if (std::find(Rows.begin(), Rows.end(), Entry) != Rows.end()) {
    Entry.clear();
    return false;
  }
  *free = Entry;
  std::sort(Rows.begin(), free + 1);
  Entry.clear();
  return true;
}

void TimesEditor::Delete(int row) {
  if (row < 0 || row >= kTimeSlots || Rows[static_cast<std::size_t>(row)].empty()) return;
  std::move(Rows.begin() + row + 1, Rows.end(), Rows.begin() + row);
  Rows.back().clear();
}

void TimesEditor::Ok(ScheduledTask& task) const {
  task.Days = 0;
  for (int d = 0; d < 7; ++d)
    if (Days[static_cast<std::size_t>(d)]) task.Days = static_cast<std::uint16_t>(task.Days | (1 << d));
  for (std::size_t i = 0; i < Rows.size(); ++i) {
    const std::optional<TimeSlot> slot =
        Rows[i].size() == kEntryLength ? SlotOfText(Rows[i]) : std::nullopt;
    task.Times[i] = slot.value_or(TimeSlot{});
  }
}

}  // namespace sondaro
