// Arbitrary bytes as script lines: as a script file, and as text arriving
// at the socket control server. The interpreter must never crash, a line
// must always come back (no hang), and the socket buffer stays bounded.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/app.h"
#include "support/fakes.h"

using namespace sondaro;

namespace {

class NoNetwork final : public NetworkFactory {
 public:
  std::unique_ptr<TcpServer> MakeTcpServer() override { return std::make_unique<Server>(); }
  class Server final : public TcpServer {
   public:
    bool Listen(const std::string&, int) override { return listening_ = true; }
    void Stop() override { listening_ = false; }
    bool IsListening() const override { return listening_; }
    std::vector<TcpServerClient*> Clients() const override { return {}; }
    bool listening_ = false;
  };
};

// Keywords that write files anywhere the arguments say are taken out: the
// fuzzer would scatter files over the disk.
void RemoveWriters(CommandTable& table) {
  for (const std::string& name : table.Names())
    if (name.find("SAVE") != std::string::npos || name == "APPENDTEXT" || name == "EXIT")
      table.Remove(name);
}

const std::string& ScriptPath() {
  static const std::string path = "/tmp/script_line_fuzz_" + std::to_string(::getpid()) + ".fms";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  NoNetwork network;
  RecordingShell shell;
  AppPorts ports{clock, serial, tcp, dialogs, &network};
  ports.shell = &shell;
  ports.appFolder = "/tmp/";
  App app(ports);
  ScriptInterpreter& script = app.automation.script;
  RemoveWriters(script.Commands());
  app.link.connection.BitBtn2Click();
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  if (data[0] % 2 == 0) {
    std::ofstream(ScriptPath(), std::ios::binary | std::ios::trunc) << text;
    script.ExeScript(ScriptPath());
  } else {
    SocketControl& socket = app.automation.socket;
    socket.Settings.Enabled = true;
    socket.Apply();
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t n = 1 + static_cast<unsigned char>(text[i]) % 61;
      socket.ClientRead(1, text.substr(i, n));
      i += n;
      // Complete lines and the unfinished one, each at most the limit.
      if (socket.WaitingCharacters() > 2 * kSocketInputLimit) std::abort();
      AdvanceVirtual(clock, app.timers, 30);
    }
  }
  // A bounded number of ticks: scripts may loop on purpose, but every tick
  // must return.
  for (int tick = 0; tick < 300 && script.Running(); ++tick) {
    AdvanceVirtual(clock, app.timers, 100);
    if (script.state.CallStack.size() > ScriptState::kMaxCallDepth) std::abort();
    // The analyzer never answers; let the waits run out quickly.
    if (app.link.queue.MaSeCekat()) AdvanceVirtual(clock, app.timers, CommandQueue::kReplyWaitMs);
  }
  script.StopScript();
  return 0;
}
