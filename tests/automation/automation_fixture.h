#pragma once
// An App in virtual time with fake link ports, a fake socket control
// listener and a recording shell; the test plays the analyzer's side.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "app/app.h"
#include "support/fakes.h"

namespace sondaro::test {

class FakeServerClient final : public TcpServerClient {
 public:
  explicit FakeServerClient(int id) : id_(id) {}
  void Write(const std::string& bytes) override {
    if (Aborted) return;
    Received += bytes;
    if (!Reading) Unread += bytes.size();
  }
  void Close() override { Closed = true; }
  void Abort() override { Closed = Aborted = true; }
  int Id() const override { return id_; }
  std::size_t PendingOutput() const override { return Unread; }
  std::string Received;
  bool Closed = false, Aborted = false;
  bool Reading = true;
  std::size_t Unread = 0;  // what a peer that does not read has left

 private:
  int id_;
};

class FakeTcpServer final : public TcpServer {
 public:
  bool Listen(const std::string& address, int port) override {
    ++ListenCalls;
    if (port == TakenPort) return false;
    if (Refuse != ListenError::None) return false;
    listening_ = true;
    Address = address;
    Port = port;
    return true;
  }
  void Stop() override {
    listening_ = false;
    clients_.clear();
  }
  bool IsListening() const override { return listening_; }
  std::vector<TcpServerClient*> Clients() const override {
    std::vector<TcpServerClient*> out;
    for (const auto& [id, c] : clients_) out.push_back(c.get());
    return out;
  }
  FakeServerClient& Accept() {
    const int id = nextId_++;
    auto& c = clients_[id] = std::make_unique<FakeServerClient>(id);
    if (OnClientConnected) OnClientConnected(*c);
    return *c;
  }
  void Arrive(FakeServerClient& client, const std::string& chunk) {
    if (OnClientRead) OnClientRead(client, chunk);
  }
  // The client shuts its sending side (nc -q, shutdown(SHUT_WR)).
  void HalfClose(FakeServerClient& client) {
    if (OnClientInputClosed) OnClientInputClosed(client);
  }
  // The client goes away; it stays readable for the test.
  void Disconnect(FakeServerClient& client) {
    auto it = clients_.find(client.Id());
    if (it == clients_.end()) return;
    gone_.push_back(std::move(it->second));
    clients_.erase(it);
    if (OnClientDisconnected) OnClientDisconnected(*gone_.back());
  }
  ListenError LastListenError() const override {
    return Refuse != ListenError::None ? Refuse : ListenError::AddressInUse;
  }
  std::string ErrorText() const override {
    return Refuse == ListenError::AccessDenied ? "The address is protected" : "";
  }

  int TakenPort = -1;
  ListenError Refuse = ListenError::None;  // every Listen fails so
  int ListenCalls = 0;
  std::string Address;
  int Port = -1;

 private:
  bool listening_ = false;
  std::map<int, std::unique_ptr<FakeServerClient>> clients_;
  std::vector<std::unique_ptr<FakeServerClient>> gone_;
  int nextId_ = 1;
};

class FakeNetworkFactory final : public NetworkFactory {
 public:
  std::unique_ptr<TcpServer> MakeTcpServer() override {
    auto s = std::make_unique<FakeTcpServer>();
    Servers.push_back(s.get());
    return s;
  }
  std::vector<FakeTcpServer*> Servers;
};

// Dialogs that answer input boxes from a list.
class ScriptedDialogs final : public SilentDialogs {
 public:
  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override {
    Messages.push_back(caption + "|" + prompt);
    if (Answers.empty()) return false;
    const auto [ok, text] = Answers.front();
    Answers.erase(Answers.begin());
    if (ok) value = text;
    return ok;
  }
  std::string OpenFileName(const std::string&, const std::string& folder,
                           const std::string& filter) override {
    LastFolder = folder;
    LastFilter = filter;
    return FileAnswer;
  }
  // A message box stays open while this runs: in the program the event
  // loop goes on meanwhile, so the test lets virtual time pass here.
  void ShowMessage(const std::string& text) override {
    SilentDialogs::ShowMessage(text);
    ++OpenBoxes;
    MostOpenBoxes = std::max(MostOpenBoxes, OpenBoxes);
    if (WhileOpen) WhileOpen();
    --OpenBoxes;
  }
  std::function<void()> WhileOpen;
  int OpenBoxes = 0, MostOpenBoxes = 0;
  std::vector<std::pair<bool, std::string>> Answers;
  std::string FileAnswer, LastFolder, LastFilter;
};

// A fresh folder for the files of one test.
inline std::string TempFolder() {
  static int n = 0;
  const auto dir = std::filesystem::temp_directory_path() /
                   ("sondaro-automation-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class AutomationFixture : public ::testing::Test {
 protected:
  VirtualClock clock;
  FakeSerialPort serial;
  FakeTcpClient tcp;
  ScriptedDialogs dialogs;
  FakeNetworkFactory network;
  RecordingShell shell;
  std::string folder = TempFolder();
  App app{Ports()};
  ScriptInterpreter& script = app.automation.script;
  ScriptState& state = app.automation.script.state;

  ~AutomationFixture() override { std::filesystem::remove_all(folder); }

  AppPorts Ports() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // the rest by name below
    AppPorts p{clock, serial, tcp, dialogs};
#pragma GCC diagnostic pop
    p.network = &network;
    p.appFolder = folder;
    p.shell = &shell;
    p.userConfigFolder = folder + "user/";
    return p;
  }

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  void ConnectSerial() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    Advance(4000);
    serial.Written.clear();
  }
  // Writes a script file in the program folder and starts it.
  void Run(const std::string& name, const std::string& text) {
    WriteFile(folder + name, text);
    script.ExeScript(name);
  }
  // Lets a script run until it ends (or the time is up).
  void RunToEnd(Millis limit = 60000) {
    for (Millis t = 0; t < limit && script.Running(); t += 10) Advance(10);
  }
  // The analyzer answers the commands written so far.
  void Answer(const std::string& sections) {
    serial.Arrive(sections);
  }
  std::string Var(const std::string& name) const {
    const ScVar* v = state.FindVariable(name);
    return v ? v->Value : "<unset>";
  }
};

}  // namespace sondaro::test
