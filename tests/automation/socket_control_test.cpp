// The socket control server over a fake listener, in virtual time.
#include "automation_fixture.h"

namespace sondaro::test {
namespace {

class SocketControlTest : public AutomationFixture {
 protected:
  SocketControlTest() {
    socket.Settings.Enabled = true;
    socket.Settings.Port = "2323";
    socket.Apply();
  }
  FakeTcpServer& Server() { return *network.Servers.at(0); }
  void Send(FakeServerClient& c, const std::string& text) { Server().Arrive(c, text); }
  SocketControl& socket = app.automation.socket;
};

TEST_F(SocketControlTest, ListensOnLoopbackByDefaultAndReportsABusyPort) {
  EXPECT_TRUE(socket.Listening());
  EXPECT_EQ(Server().Address, "127.0.0.1");
  EXPECT_EQ(Server().Port, 2323);
  // Unchanged settings keep the listener (and its clients).
  auto& client = Server().Accept();
  socket.Apply();
  EXPECT_EQ(Server().ListenCalls, 1);
  EXPECT_EQ(socket.ClientCount(), 1u);
  (void)client;

  socket.Settings.Port = "99999";  // not a port: 23
  socket.Settings.Address = "";    // every interface
  socket.Apply();
  EXPECT_EQ(Server().Port, 23);
  EXPECT_EQ(Server().Address, "0.0.0.0");

  Server().TakenPort = 4000;
  socket.Settings.Port = "4000";
  socket.Apply();
  EXPECT_FALSE(socket.Listening());
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Socket Control: TCP/IP port already in use!"});
  EXPECT_TRUE(socket.Settings.Enabled);  // the next start tries again

  socket.Settings.Port = "2323";
  socket.Apply();
  EXPECT_TRUE(socket.Listening());
  socket.Settings.Enabled = false;
  socket.Apply();
  EXPECT_FALSE(socket.Listening());
}

TEST_F(SocketControlTest, ARunOverrideListensWithoutTouchingTheSettings) {
  socket.Settings.Enabled = false;
  socket.SetRunOverride("4711", "0.0.0.0");
  socket.Apply();
  EXPECT_TRUE(socket.Listening());
  EXPECT_EQ(Server().Port, 4711);
  EXPECT_EQ(Server().Address, "0.0.0.0");
  EXPECT_FALSE(socket.Settings.Enabled);
  EXPECT_EQ(socket.Settings.Port, "2323");
  socket.ClearRunOverride();  // the dialog's settings take over again
  socket.Apply();
  EXPECT_FALSE(socket.Listening());
}

TEST_F(SocketControlTest, ALineSplitOverPacketsRunsOnce) {
  ConnectSerial();
  auto& c = Server().Accept();
  Send(c, "SE");
  Advance(500);
  Send(c, "ND(?F)\r");
  Advance(1000);
  EXPECT_EQ(serial.Written, std::vector<std::string>{"?F"});
  EXPECT_EQ(socket.SocketInput(), "");
  EXPECT_FALSE(socket.LineTimer().Enabled());
}

TEST_F(SocketControlTest, BackspaceEditsTheBuffer) {
  ConnectSerial();
  auto& c = Server().Accept();
  Send(c, "SENX\bD(?Q)\r");
  Advance(500);
  EXPECT_EQ(serial.Written, std::vector<std::string>{"?Q"});
  Send(c, "\b\bAB\b\bSET(x,1)\r");  // backspaces at the start delete only themselves
  Advance(5000);  // "?Q" stays unanswered for its four seconds
  EXPECT_EQ(Var("x"), "1");
}

TEST_F(SocketControlTest, EchoGoesToEveryClient) {
  socket.Settings.Echo = true;
  auto& a = Server().Accept();
  auto& b = Server().Accept();
  Send(a, "abc\r");
  EXPECT_EQ(a.Received, "abc\r\n");
  EXPECT_EQ(b.Received, "abc\r\n");
  Advance(500);
  EXPECT_EQ(b.Received, "abc\r\n");  // a line of three characters does nothing
  Send(b, "GET(x)\r");
  Advance(500);
  EXPECT_EQ(a.Received, "abc\r\nGET(x)\r\nx\r\n");  // GET adds CR LF while echo is on
}

TEST_F(SocketControlTest, GetReturnsTheFrequencyAfterTheAnalyzerAnswered) {
  ConnectSerial();
  auto& c = Server().Accept();
  Send(c, "GETFREQUENCY\r\nGET(%frequency%cr)\r\n");
  Advance(300);
  EXPECT_EQ(serial.Written, std::vector<std::string>{"?F"});
  Advance(1000);
  EXPECT_EQ(c.Received, "");  // the GET line waits for the reply
  Answer("Frequency:\r\n 98.50 MHz\r\n\r\n");
  Advance(1000);
  EXPECT_EQ(c.Received, "98.50 MHz\r\n");
}

TEST_F(SocketControlTest, PlusPlusPlusStopsALongSleepAndKeepsTheConnection) {
  auto& c = Server().Accept();
  Send(c, "SLEEP(3600)\rSET(after,1)\r");
  Advance(300);
  ASSERT_TRUE(script.Running());
  Advance(10000);
  EXPECT_EQ(Var("after"), "<unset>");
  Send(c, "+++\r");
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(socket.SocketInput(), "SET(after,1)\r");
  Advance(300);
  EXPECT_EQ(Var("after"), "1");
  EXPECT_EQ(socket.ClientCount(), 1u);
}

TEST_F(SocketControlTest, LineEndsAreCrOrCrLfButNotLfAlone) {
  auto& c = Server().Accept();
  Send(c, "SET(a,1)\nSET(b,2)\r");  // LF alone: one line "SET(a,1)SET(b,2)"
  Advance(500);
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), "<unset>");
  Send(c, "SET(t,x\ty)\r");  // control characters become blanks
  Advance(500);
  EXPECT_EQ(Var("t"), "x y");
}

TEST_F(SocketControlTest, LinesWaitForARunningScript) {
  WriteFile(folder + "long.fms", "SLEEP(5)\r\nSET(script,done)\r\n");
  auto& c = Server().Accept();
  Send(c, "EXECUTE(long.fms)\rSET(socket,%script)\r");
  Advance(3000);
  EXPECT_EQ(Var("socket"), "<unset>");
  Advance(4000);
  EXPECT_EQ(Var("socket"), "done");
}

TEST_F(SocketControlTest, TextBeyondTheCapIsDroppedButStillEchoed) {
  socket.Settings.Echo = true;
  auto& c = Server().Accept();
  const std::string big(20001, 'x');
  Send(c, big);
  Send(c, "SET(lost,1)\r");
  EXPECT_EQ(socket.SocketInput().size(), 20001u);
  EXPECT_EQ(c.Received.size(), 20001u + 13u);
}

TEST_F(SocketControlTest, ManyClientsAtOnceLoseNothingAndRunNothingTwice) {
  constexpr int kClients = 40;
  constexpr int kLines = 12;
  std::vector<FakeServerClient*> clients;
  for (int k = 0; k < kClients; ++k) clients.push_back(&Server().Accept());
  for (int k = 0; k < kClients; ++k)
    for (int n = 0; n < kLines; ++n) state.SetVariable("V" + std::to_string(k) + "_" + std::to_string(n) + ",0");
  // Every client sends its lines in small pieces, interleaved with the
  // others, while lines are being run.
  for (int n = 0; n < kLines; ++n) {
    for (int k = 0; k < kClients; ++k) {
      const std::string line = "INC(V" + std::to_string(k) + "_" + std::to_string(n) + ")\r";
      Send(*clients[static_cast<std::size_t>(k)], line);
    }
    Advance(35);
  }
  EXPECT_LT(socket.SocketInput().size(), kSocketInputLimit);
  Advance(Millis{kClients} * kLines * 110);
  for (int k = 0; k < kClients; ++k)
    for (int n = 0; n < kLines; ++n)
      EXPECT_EQ(Var("V" + std::to_string(k) + "_" + std::to_string(n)), "1") << k << "/" << n;
  EXPECT_EQ(socket.SocketInput(), "");
}

}  // namespace
}  // namespace sondaro::test
