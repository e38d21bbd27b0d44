// Feeds arbitrary bytes to the link as received data, in chunks, and lets the
// parser work them off: it must never crash, and the buffer must stay bounded.
// The first byte picks the mode and what runs while the replies arrive (MPX
// stream, bandscan, raw group capture), so the bulk replies meet the states
// that read them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_app.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::FuzzApp& f = fuzz::FuzzApp::Get();
  const fuzz::ResetAfter reset(f);
  App& app = f.app;
  const std::uint8_t setup = data[0];
  app.link.state.CurrentMode = setup % 3;
  if (setup & 0x04) app.mpx.GradBtn47Click();
  if (setup & 0x08) app.bandscan.IAeverButton24Click();
  if (setup & 0x10) app.rds.raw.IAeverButton35Click();
  f.Advance(20);

  for (std::size_t i = 1; i < size;) {
    const std::size_t n = 1 + data[i] % 97;
    f.Arrive({reinterpret_cast<const char*>(data) + i, std::min(n, size - i)});
    i += n;
    f.Advance(20);
    if (app.link.connection.ReceiveBuffer().size() > kReceiveBufferLimit + 97) std::abort();
  }
  // The parser takes one section per tick: let it work off what is left. A
  // tick that leaves the buffer as it was (an unfinished section, noise
  // without a header) leaves it so for good, as nothing more arrives; 100 ms
  // is the parser's longest interval, so each step holds a tick.
  const std::string& buffer = app.link.connection.ReceiveBuffer();
  for (int tick = 0; tick < 200 && !buffer.empty(); ++tick) {
    const std::size_t before = buffer.size();
    f.Advance(20);
    if (buffer.size() == before) {
      f.Advance(80);
      if (buffer.size() == before) break;
    }
  }
  f.Advance(200);
  // The RDS page shows what arrived: its lines and consistency report are
  // made when read (and dropped again by the reset).
  if (f.repliesArrived) (void)app.rds.data.TextBox();
  return 0;
}
