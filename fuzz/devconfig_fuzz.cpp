// The alarm configuration read back from the analyzer: "Read" in the dialog
// asks for it, the bytes below arrive as the reply, and the dialog comes back
// with what was taken. Whatever arrives, every value stays inside its field's
// range, and "OK" afterwards writes only well-formed orders.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_app.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzApp& f = fuzz::FuzzApp::Get();
  const fuzz::ResetAfter reset(f);
  AlarmOutputs& alarms = f.app.alarms;
  for (int i = 0; i < kAlarmFieldCount; ++i) alarms.Values[i] = kAlarmFields[i].Initial;
  int shown = 0;
  alarms.ShowDialog = [&shown](AlarmOutputs&) {
    return ++shown == 1 ? AlarmDialogResult::Read : AlarmDialogResult::Ok;
  };
  alarms.AlarmOutputs1Click();
  f.Advance(50);
  f.serial.Written.clear();
  f.Arrive(std::string(reinterpret_cast<const char*>(data), size));
  // The read gives up after about 3 s.
  for (int tick = 0; tick < 40 && shown < 2; ++tick) f.Advance(100);
  if (shown != 2) std::abort();
  for (int i = 0; i < kAlarmFieldCount; ++i)
    if (alarms.Values[i] < kAlarmFields[i].Min || alarms.Values[i] > kAlarmFields[i].Max)
      std::abort();
  f.Advance(3000);
  for (const std::string& w : f.serial.Written)
    if (w.rfind("AR", 0) == 0 && (w.size() < 7 || w[3] != ':' || w.substr(w.size() - 2) != "*X"))
      std::abort();
  alarms.ShowDialog = nullptr;
  return 0;
}
