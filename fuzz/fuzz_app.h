#pragma once
// One App per fuzzing process, on fake ports in virtual time. Building an
// App costs far more than running an input through it, so it is built once
// and Reset() puts back what an input can change. It runs when the input
// ends (ResetAfter), in the same call: what the input allocated is freed
// again before libFuzzer compares its malloc and free counts, so most inputs
// need no leak scan of the whole heap.
//
// What Reset() does not put back (kept between inputs): the histogram,
// modulation-power and MPX sample stores beyond what a frequency change
// clears, the bandscan's stored results, the view's dirty flags, the virtual
// clock (it only moves on), settings values a loaded script or file changed
// (the socket server's port, address and token, the TCP host a CONNECT
// chose, the settings file's values), and the capacity of buffers that were
// emptied. None of these decide whether the parser or interpreter reads a
// byte; a finding that needs them shows as one that does not repeat alone.
#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "app/app.h"
#include "support/fakes.h"

namespace sondaro::fuzz {

// A socket server that never listens on anything real.
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

// A folder of this process only, under TMPDIR (the fuzz script points that
// into the build tree).
inline std::string PrivateFolder() {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string f = std::string(tmp && *tmp ? tmp : "/tmp") + "/sondaro_fuzz_" +
                    std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(f);
    return f;
  }();
  return folder;
}

// The file a script input is written to; it stays between inputs, as
// writing over a file costs far less than making one.
inline std::string ScriptFile() { return PrivateFolder() + "job.fms"; }

// Puts `text` in the script file. Written over and cut to length rather
// than emptied first: a file emptied and written again is flushed to the
// disk when closed.
inline void WriteScriptFile(const std::string& text) {
  const int fd = ::open(ScriptFile().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  if (::ftruncate(fd, static_cast<off_t>(text.size())) != 0) std::abort();
  ::close(fd);
}

// Tells whether anything was made in the private folder since the last ask.
// The sweep leaves no folder behind, so anything an input writes, however
// deep, begins with a new entry at the top. Without inotify it always says
// yes.
class FolderWatch {
 public:
  explicit FolderWatch(const std::string& folder)
      : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FolderWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  bool Changed() {
    if (fd_ < 0) return true;
    alignas(inotify_event) char events[4096];
    bool any = false;
    while (::read(fd_, events, sizeof events) > 0) any = true;
    return any;
  }

 private:
  int fd_;
};

struct FuzzApp {
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  NoNetwork network;
  RecordingShell shell;
  App app{Ports()};

  // Keywords that write files wherever their arguments say, or end the
  // program, are taken out: the fuzzer would scatter files over the disk.
  FuzzApp() {
    // Arguments that name each other double at every step; they are cut at
    // this length instead of a megabyte, through the same code. Calls run
    // out of stack within the lines an input may run.
    app.automation.script.MaxArgumentLength = 4096;
    app.automation.script.MaxCallDepth = 8;
    CommandTable& table = app.automation.script.Commands();
    for (const std::string& name : table.Names())
      if (name.find("SAVE") != std::string::npos || name == "APPENDTEXT" || name == "EXIT")
        table.Remove(name);
  }

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  // The analyzer sends bytes.
  void Arrive(std::string_view bytes) {
    repliesArrived = true;
    serial.Arrive(bytes);
  }

  // Back to a serial link just opened in measuring mode, nothing running,
  // nothing queued or awaited, an empty private folder.
  void Reset() {
    ScriptInterpreter& script = app.automation.script;
    if (script.Running()) script.StopScript();
    if (app.mpx.StreamRunning()) app.mpx.GradBtn49Click();
    if (app.bandscan.Running()) app.bandscan.IAeverButton25Click();
    app.rds.raw.IAeverButton36Click();
    app.automation.socket.ClearRunOverride();
    app.automation.socket.Settings.Enabled = false;
    app.automation.socket.Apply();
    app.link.connection.BitBtn3Click();
    app.link.queue.Clear();
    app.link.state = MeasurementState{};
    app.link.state.LastActivity = clock.Now();
    app.link.readouts = Readouts{};
    // Only replies fill the stores a frequency change clears; clearing
    // them costs more than a short input.
    if (std::exchange(repliesArrived, false)) app.link.parser.FrequencyChangeReset();
    app.link.queue.Clear();  // the reset may have queued "*R"
    serial.Waiting.clear();
    // What the fakes record, and the script's variables, would otherwise pile
    // up over millions of inputs and slow every leak check down.
    dialogs.Messages.clear();
    app.status.SetText({});
    shell.Started.clear();
    shell.Opened.clear();
    tcp.Attempts.clear();
    tcp.Written.clear();
    script.state.Variables.clear();
    script.state.ScriptLines.clear();
    script.state.CallStack.clear();
    script.state.ProcedureName.clear();
    SweepFolder();
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    serial.Written.clear();
  }

  bool repliesArrived = true;
  FolderWatch folderWatch{PrivateFolder()};

  // Empties the private folder but for the script file.
  void SweepFolder() {
    if (!folderWatch.Changed()) return;
    std::error_code ec;
    const std::filesystem::path keep = ScriptFile();
    for (const auto& entry : std::filesystem::directory_iterator(PrivateFolder(), ec))
      if (entry.path() != keep) std::filesystem::remove_all(entry.path(), ec);
  }

  static FuzzApp& Get() {
    // Never destroyed: libFuzzer leaves through exit(), and tearing the App
    // down there would race its own checks for nothing.
    static FuzzApp* app = [] {
      auto* a = new FuzzApp;
      a->Reset();
      return a;
    }();
    return *app;
  }

 private:
  AppPorts Ports() {
    AppPorts ports{clock, serial, tcp, dialogs, &network};
    ports.shell = &shell;
    ports.appFolder = PrivateFolder();
    ports.userConfigFolder = PrivateFolder() + "user/";
    return ports;
  }
};

// Puts the App back when an input ends, in the same call: what the input
// allocated is then freed before libFuzzer compares its malloc and free
// counts, so a balanced input needs no leak scan.
struct ResetAfter {
  explicit ResetAfter(FuzzApp& app) : f(app) {}
  ~ResetAfter() { f.Reset(); }
  ResetAfter(const ResetAfter&) = delete;
  ResetAfter& operator=(const ResetAfter&) = delete;
  FuzzApp& f;
};

}  // namespace sondaro::fuzz
