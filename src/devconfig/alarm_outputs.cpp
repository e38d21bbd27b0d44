#include "devconfig/alarm_outputs.h"

#include <algorithm>

#include "link/command_set.h"

namespace sondaro {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string ApplyAlarmReadBack(const std::string& hex, std::array<int, kAlarmFieldCount>& values) {
  std::string refused;
  for (int i = 0; i < kAlarmFieldCount; ++i) {
    const AlarmFieldDef& f = kAlarmFields[i];
    const std::size_t at = static_cast<std::size_t>(f.ReadBack - 1);
    const int hi = at + 1 < hex.size() ? HexDigit(hex[at]) : -1;
    const int lo = at + 1 < hex.size() ? HexDigit(hex[at + 1]) : -1;
    const int value = (hi < 0 || lo < 0) ? -1 : (hi * 16 + lo) * f.Scale;
    // A value the dialog could not hold would be written back as something
    // else on the next OK: keep the field as it was and say so.
    if (value < f.Min || value > f.Max) {
      if (!refused.empty()) refused += ", ";
      refused += std::string(f.Group).substr(0, 7) + " " + f.Label;
      continue;
    }
    values[i] = value;
  }
  return refused;
}

AlarmOutputs::AlarmOutputs(TimerSet& timers, CommandQueue& queue, MeasurementState& state,
                           StatusBar& status)
    : queue_(queue), state_(state), status_(status),
      timer_(timers, 100, false, [this] { TimerShowAlarmTimer(); }) {
  for (int i = 0; i < kAlarmFieldCount; ++i) Values[i] = kAlarmFields[i].Initial;
}

void AlarmOutputs::AlarmOutputs1Click() {
  status_.SetText("");
  timer_.SetEnabled(false);
  if (!ShowDialog) return;
  switch (ShowDialog(*this)) {
    case AlarmDialogResult::Ok: SendValues(); break;
    case AlarmDialogResult::Read: StartRead(); break;
    case AlarmDialogResult::Cancel: break;
  }
}

void AlarmOutputs::SendValues() {
  ReadBackNotice.clear();
  // Sent by letter, A to M; each value in its wire unit (whole 10 s, 100 Hz).
  for (char letter = 'A'; letter <= 'M'; ++letter) {
    const auto field = std::find_if(kAlarmFields.begin(), kAlarmFields.end(),
                                     [letter](const AlarmFieldDef& f) { return f.Letter == letter; });
    const int value = Values[static_cast<std::size_t>(field - kAlarmFields.begin())];
    if (auto command = AlarmCommand(letter, value / field->Scale)) queue_.Send(*command);
  }
}

void AlarmOutputs::StartRead() {
  state_.AlarmConfigHex.clear();
  ticks_ = 0;
  timer_.SetEnabled(true);
  queue_.Send(cmd::kReadAlarmConfig);
  status_.SetText("Reading actual configuration...");
}

void AlarmOutputs::TimerShowAlarmTimer() {
  ++ticks_;
  const bool received = state_.AlarmConfigHex.size() == kAlarmConfigLength;
  if (!received && ticks_ <= 30) return;
  if (received) {
    const std::string refused = ApplyAlarmReadBack(state_.AlarmConfigHex, Values);
    ReadBackNotice = refused.empty() ? "" : "The analyzer sent invalid values; kept: " + refused;
  }
  // Shown anew with what was read, or as it was after about 3 s without a reply.
  AlarmOutputs1Click();
}

}  // namespace sondaro
