// Feeds arbitrary bytes to the link as received data, in chunks, and lets the
// parser work them off: it must never crash, and the buffer must stay bounded.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "support/fakes.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app(AppPorts{clock, serial, tcp, dialogs});
  app.link.connection.BitBtn2Click();
  app.link.state.CurrentMode = data && size ? data[0] % 3 : 0;
  std::size_t i = 0;
  while (i < size) {
    const std::size_t n = 1 + data[i] % 97;
    serial.Arrive(std::string(reinterpret_cast<const char*>(data) + i, std::min(n, size - i)));
    i += n;
    AdvanceVirtual(clock, app.timers, 20);
    if (app.link.connection.ReceiveBuffer().size() > kReceiveBufferLimit + 97) std::abort();
  }
  AdvanceVirtual(clock, app.timers, 2000);
  return 0;
}
