// Arbitrary bytes as script lines: as a script file, as text arriving at the
// socket control server, and as the text a second start hands over. The
// interpreter must never crash, a line must always come back (no hang), and
// the socket buffer stays bounded.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_app.h"

using namespace sondaro;

namespace {

// Hand-off parameters: the text up to the first NUL, split at line ends;
// the script body is what follows the NUL.
std::vector<std::string> HandOffParameters(const std::string& text) {
  std::vector<std::string> out;
  const std::string head = text.substr(0, text.find('\0'));
  if (head.empty()) return out;
  std::size_t start = 0;
  for (std::size_t end; (end = head.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(head.substr(start, end - start));
  out.push_back(head.substr(start));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::FuzzApp& f = fuzz::FuzzApp::Get();
  const fuzz::ResetAfter reset(f);
  App& app = f.app;
  ScriptInterpreter& script = app.automation.script;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string file = fuzz::ScriptFile();

  switch (data[0] % 3) {
    case 0:
      fuzz::WriteScriptFile(text);
      script.ExeScript(file);
      break;
    case 1: {
      SocketControl& socket = app.automation.socket;
      socket.Settings.Enabled = true;
      socket.Apply();
      for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = 1 + static_cast<unsigned char>(text[i]) % 61;
        socket.ClientRead(1 + static_cast<int>(i % 3), text.substr(i, n));
        i += n;
        // Complete lines and the unfinished one, each at most the limit.
        if (socket.WaitingCharacters() > 3 * 2 * kSocketInputLimit) std::abort();
        f.Advance(30);
      }
      break;
    }
    default: {
      // A second start in another folder names the script last.
      const std::size_t nul = text.find('\0');
      fuzz::WriteScriptFile(nul == std::string::npos ? std::string() : text.substr(nul + 1));
      std::vector<std::string> parameters = HandOffParameters(text);
      parameters.push_back(file);
      const std::string handed = HandOffText(parameters);
      const std::string received = ReceivedHandOff(handed);
      if (!received.empty() && received.back() == ' ') std::abort();
      // Nothing after the script's name survives a program name before it.
      if (received.size() < file.size() ||
          received.compare(received.size() - file.size(), file.size(), file) != 0)
        std::abort();
      app.ReceiveHandOff(handed);
      break;
    }
  }
  // A bounded run: scripts may loop on purpose, but every tick must return.
  // Ticks that may run a line are few (a loop shows what it reaches in a
  // few rounds, and calls run out of stack sooner here); sleeps pass in one
  // step; 10 s of virtual time in all.
  const Millis end = f.clock.Now() + 10000;
  for (int tick = 0; tick < 40 && script.Running() && f.clock.Now() < end;) {
    const Millis now = f.clock.Now();
    if (now < script.state.SleepUntil) {
      f.Advance(std::min(script.state.SleepUntil, end) - now);
      continue;
    }
    f.Advance(100);
    ++tick;
    if (script.state.CallStack.size() > script.MaxCallDepth) std::abort();
    // The analyzer never answers: give up the waits at once rather than
    // running 4 s of ticks for each.
    if (app.link.queue.MaSeCekat()) app.link.queue.Clear();
  }
  return 0;
}
