#pragma once
// Test support for the RDS subsystem: dialogs that answer from a script, a
// temporary folder, and an App on fake link ports with a real relay server
// on a free loopback port.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/app.h"
#include "support/fakes.h"
#include "support/posix_tcp_server.h"
#include "support/temp_dir.h"

namespace sondaro::test {

// Answers questions and file dialogs from queues; records every box shown.
class ScriptedDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  bool Confirm(const std::string& text) override {
    Questions.push_back(text);
    if (Answers.empty()) return false;
    const bool a = Answers.front();
    Answers.pop_front();
    return a;
  }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  std::string OpenFileName(const std::string&, const std::string& folder,
                           const std::string& filter) override {
    OpenFolders.push_back(folder);
    LastFilter = filter;
    return Pop(OpenAnswers);
  }
  std::string SaveFileName(const std::string&, const std::string& proposal,
                           const std::string& filter) override {
    SaveProposals.push_back(proposal);
    LastFilter = filter;
    return Pop(SaveAnswers);
  }

  std::vector<std::string> Messages, Questions, OpenFolders, SaveProposals;
  std::deque<bool> Answers;
  std::deque<std::string> OpenAnswers, SaveAnswers;
  std::string LastFilter;

 private:
  static std::string Pop(std::deque<std::string>& q) {
    if (q.empty()) return {};
    std::string s = q.front();
    q.pop_front();
    return s;
  }
};

// Decodes the programme service name from saved raw lines as a receiver
// would: group 0A/0B, segment in block B's two low bits, two characters in
// block D. Returns every complete name seen, with how often it completed.
inline std::map<std::string, int> PsNamesFromRawText(const std::string& text, unsigned pi) {
  std::map<std::string, int> names;
  std::string ps(8, '\0');
  unsigned segmentsSeen = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(line.ends_with("\r")) << line;
    if (line.size() < 20) continue;
    const std::string a = line.substr(0, 4), b = line.substr(5, 4), d = line.substr(15, 4);
    if (a == "----" || b == "----" || d == "----" || std::stoul(a, nullptr, 16) != pi) continue;
    const unsigned bv = static_cast<unsigned>(std::stoul(b, nullptr, 16));
    if ((bv >> 12) != 0) continue;
    const unsigned dv = static_cast<unsigned>(std::stoul(d, nullptr, 16));
    const unsigned seg = bv & 3;
    ps[2 * seg] = static_cast<char>(dv >> 8);
    ps[2 * seg + 1] = static_cast<char>(dv & 0xFF);
    segmentsSeen |= 1u << seg;
    if (seg == 3 && segmentsSeen == 0xF) {
      ++names[ps];
      segmentsSeen = 0;
    }
  }
  return names;
}

// One reply section as the analyzer frames it.
inline std::string Section(const std::string& header, const std::string& body) {
  return header + ":\r\n" + body + "\r\n\r\n";
}

class RdsAppFixture : public ::testing::Test {
 protected:
  VirtualClock clock;
  FakeSerialPort serial;
  FakeTcpClient tcp;
  ScriptedDialogs dialogs;
  PosixNetworkFactory network;
  RecordingShell shell;
  TempDir folder;
  int relayPort = FreeLoopbackPort();
  App app{AppPorts{.clock = clock,
                   .serial = serial,
                   .tcp = tcp,
                   .dialogs = dialogs,
                   .network = &network,
                   .appFolder = folder.Path(),
                   .shell = &shell,
                   .quilletPort = relayPort,
                   .userConfigFolder = folder.Path()}};

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  void ConnectSerial() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    Advance(4000);
    serial.Written.clear();
  }
  void Receive(const std::string& bytes, Millis settle = 1000) {
    serial.Arrive(bytes);
    Advance(settle);
  }
  // Everything written to the analyzer so far, in order.
  [[nodiscard]] std::vector<std::string> Written() const { return serial.Written; }
  // The servers the relay made (other subsystems may make their own).
  [[nodiscard]] std::vector<PosixTcpServer*> RelayServers() const {
    std::vector<PosixTcpServer*> out;
    for (PosixTcpServer* s : network.Made)
      if (s->BoundPort == relayPort) out.push_back(s);
    return out;
  }
  [[nodiscard]] PosixTcpServer* RelayServer() const {
    const auto servers = RelayServers();
    return servers.empty() ? nullptr : servers.back();
  }
};

}  // namespace sondaro::test
