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
  EXPECT_EQ(socket.WaitingCharacters(), 0u);
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
  EXPECT_EQ(socket.WaitingLines(), 1u);  // SET(after,1)
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
  EXPECT_LT(socket.WaitingCharacters(), kSocketInputLimit);
  Advance(Millis{kClients} * kLines * 110);
  for (int k = 0; k < kClients; ++k)
    for (int n = 0; n < kLines; ++n)
      EXPECT_EQ(Var("V" + std::to_string(k) + "_" + std::to_string(n)), "1") << k << "/" << n;
  EXPECT_EQ(socket.WaitingCharacters(), 0u);
}

TEST_F(SocketControlTest, EachClientAssemblesItsOwnLines) {
  auto& a = Server().Accept();
  auto& b = Server().Accept();
  // Partial lines of two clients never join; lines run in the order in
  // which they were completed; backspaces edit only their own client's line.
  Send(a, "SET(order,from a");
  Send(b, "\b\bSET(order,from b)\r");
  Send(a, "X\b)\r");
  Advance(500);
  EXPECT_EQ(Var("order"), "from a");
  EXPECT_EQ(state.Variables.size(), 1u);

  // A client that leaves mid-line takes its unfinished line with it.
  Send(a, "SET(glued,partial ");
  Server().Disconnect(a);
  Send(b, "SET(whole,1)\r");
  Advance(500);
  EXPECT_EQ(Var("glued"), "<unset>");
  EXPECT_EQ(Var("whole"), "1");
  EXPECT_EQ(socket.WaitingCharacters(), 0u);
}

TEST_F(SocketControlTest, AnOverlongLineIsDroppedForItsClientOnly) {
  socket.Settings.Echo = true;
  auto& a = Server().Accept();
  auto& b = Server().Accept();
  Send(b, "SLEEP(3600)\r");
  Advance(300);
  ASSERT_TRUE(script.Running());
  // A megabyte without a CR, in pieces, then the rest of that line: all of
  // it goes, and its client is told once.
  for (int i = 0; i < 16; ++i) Send(a, std::string(65536, 'x'));
  Send(a, "SET(lost,1)\r");
  EXPECT_LE(socket.WaitingCharacters(), 3u);
  EXPECT_NE(a.Received.find(kLineDroppedMessage), std::string::npos);
  EXPECT_EQ(b.Received.find(kLineDroppedMessage), std::string::npos);
  // "+++" still reaches the script, also straight after a flood.
  Send(a, std::string(30000, 'y') + "+++");
  Send(a, "\r");
  EXPECT_FALSE(script.Running());
  Send(b, "SET(b,1)\r");
  // The escape took its CR along: the over-long line ends at the next one.
  Send(a, "\rSET(a,1)\r");
  Advance(500);
  EXPECT_EQ(Var("lost"), "<unset>");
  EXPECT_EQ(Var("b"), "1");
  EXPECT_EQ(Var("a"), "1");

  // Complete lines waiting count too: past 20000 characters a line is
  // dropped, and the client told again.
  a.Received.clear();
  Send(b, "SLEEP(3600)\r");
  Advance(300);
  const std::string line = "SET(v," + std::string(5000, 'z') + ")\r";
  for (int i = 0; i < 5; ++i) Send(a, line);
  EXPECT_EQ(socket.WaitingLines(), 3u);
  EXPECT_NE(a.Received.find(kLineDroppedMessage), std::string::npos);
}

TEST_F(SocketControlTest, HttpRequestsAreTurnedAwayBeforeAnythingRuns) {
  const std::string requests[] = {
      "POST / HTTP/1.1\r\nHost: 127.0.0.1:2323\r\nContent-Type: text/plain\r\n\r\nSET(web,1)\r",
      "SET(early,1)\rorigin: http://example.com\r\nSET(web,1)\r",
      "OPTIONS * HTTP/1.0\r",
  };
  for (const std::string& request : requests) {
    auto& c = Server().Accept();
    Send(c, request);
    EXPECT_TRUE(c.Aborted) << request;
    EXPECT_NE(app.status.Text().find("HTTP"), std::string::npos);
  }
  Advance(1000);
  EXPECT_TRUE(state.Variables.empty());
  // Script lines that merely look a little alike still run.
  auto& c = Server().Accept();
  Send(c, "GET(x)\rHOSTNAME(a)\rSET(label: host,1)\r");
  Advance(1000);
  EXPECT_FALSE(c.Aborted);
  EXPECT_EQ(Var("label: host"), "1");
}

TEST_F(SocketControlTest, WithATokenTheFirstLineMustBeIt) {
  socket.Settings.Token = "s3cret";
  socket.Settings.Echo = true;
  auto& good = Server().Accept();
  auto& bad = Server().Accept();
  auto& silent = Server().Accept();
  Send(bad, "s3cre\rSET(bad,1)\r");
  EXPECT_TRUE(bad.Aborted);
  Send(good, "s3cret\r\nSET(good,1)\rGET(hello)\r");
  Advance(500);
  EXPECT_EQ(Var("good"), "1");
  EXPECT_EQ(Var("bad"), "<unset>");
  EXPECT_EQ(good.Received, "hello\r\n");  // the token line is not echoed
  // A client that has not shown the token hears nothing.
  EXPECT_EQ(silent.Received, "");
  Send(silent, "+++\r");  // nor can it stop anything
  EXPECT_FALSE(silent.Aborted);
  // A new token sends everyone away, to come back with it.
  socket.Settings.Token = "changed";
  socket.Apply();
  EXPECT_EQ(socket.ClientCount(), 0u);
  EXPECT_TRUE(socket.Listening());
}

TEST_F(SocketControlTest, AClientThatDoesNotReadIsCutOff) {
  auto& reader = Server().Accept();
  auto& stuck = Server().Accept();
  stuck.Reading = false;
  stuck.Unread = SocketControl::kMaxClientOutput - 12;
  Send(reader, "GET(0123456789)\rGET(more)\r");
  Advance(500);
  EXPECT_TRUE(stuck.Aborted);
  EXPECT_EQ(stuck.Received, "0123456789");
  EXPECT_EQ(reader.Received, "0123456789more");
  EXPECT_NE(app.status.Text().find("unread"), std::string::npos);
}

TEST_F(SocketControlTest, AHalfClosedClientGetsItsAnswersThenIsClosed) {
  ConnectSerial();
  auto& c = Server().Accept();
  // printf '...' | nc -q 3: the lines, then the end of the sending side.
  Send(c, "GETFREQUENCY\rGET(%frequency%cr)\rSET(unfinished");
  Server().HalfClose(c);
  Advance(300);
  EXPECT_FALSE(c.Closed);
  Answer("Frequency:\r\n 98.50 MHz\r\n\r\n");
  Advance(300);
  EXPECT_EQ(c.Received, "98.50 MHz\r\n");
  EXPECT_TRUE(c.Closed);
  EXPECT_EQ(Var("unfinished"), "<unset>");

  // A line that never ends keeps it no longer than the time-out.
  auto& d = Server().Accept();
  Send(d, "SLEEP(3600)\r");
  Server().HalfClose(d);
  Advance(SocketControl::kHalfClosedTimeoutMs - 500);
  EXPECT_FALSE(d.Closed);
  Advance(1000);
  EXPECT_TRUE(d.Closed);
}

TEST_F(SocketControlTest, SwitchingTheServerOffDropsTheLinesOfItsClients) {
  WriteFile(folder + "long.fms", "SLEEP(5)\r\n");
  auto& c = Server().Accept();
  Send(c, "EXECUTE(long.fms)\rSET(socket,late)\r");
  Advance(1000);
  // The client goes with the server; its waiting line must not run when the
  // server is switched on again.
  socket.Settings.Enabled = false;
  socket.Apply();
  socket.Settings.Enabled = true;
  socket.Apply();
  auto& next = Server().Accept();
  Send(next, "SET(fresh,1)\r");
  Advance(10000);
  EXPECT_EQ(Var("fresh"), "1");
  EXPECT_EQ(Var("socket"), "<unset>");
}

TEST_F(SocketControlTest, LinesWaitWhileAMessageBoxIsOpen) {
  auto& c = Server().Accept();
  // Each box gets "+++" and another box line while it is open, as a
  // client in a loop would send them.
  int boxes = 0;
  dialogs.WhileOpen = [&] {
    if (++boxes < 5) Send(c, "+++\rSHOWMESSAGE(again)\r");
    Advance(1000);
  };
  Send(c, "SHOWMESSAGE(first)\r");
  Advance(20000);
  EXPECT_EQ(boxes, 5);
  EXPECT_EQ(dialogs.MostOpenBoxes, 1);
}

TEST_F(SocketControlTest, ListeningFailuresSayWhy) {
  struct Case {
    ListenError error;
    std::string address, port, says;
  };
  const Case cases[] = {
      {ListenError::AccessDenied, "127.0.0.1", "23",
       "can't listen on TCP port 23: The address is protected."},
      {ListenError::AccessDenied, "127.0.0.1", "23", "ip_unprivileged_port_start=23"},
      {ListenError::AddressNotAvailable, "10.9.8.7", "2323",
       "10.9.8.7 is not an address of this computer"},
      {ListenError::BadAddress, "example.org", "2323", "\"example.org\" is not an IP address"},
      {ListenError::AddressInUse, "127.0.0.1", "2323", kPortInUseMessage},
  };
  for (const Case& c : cases) {
    socket.Stop();
    dialogs.Messages.clear();
    Server().Refuse = c.error;
    socket.Settings.Address = c.address;
    socket.Settings.Port = c.port;
    socket.Apply();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_NE(dialogs.Messages[0].find(c.says), std::string::npos) << dialogs.Messages[0];
  }
  Server().Refuse = ListenError::None;
  socket.Settings.Address = "localhost";
  socket.Apply();
  EXPECT_EQ(Server().Address, "127.0.0.1");
}

TEST_F(SocketControlTest, AnAddressOnTheCommandLineAloneDoesNotSwitchListeningOn) {
  socket.Settings.Enabled = false;
  socket.Apply();
  socket.ApplyCommandLine("", "0.0.0.0");
  EXPECT_FALSE(socket.Listening());
  socket.Settings.Enabled = true;
  socket.ApplyCommandLine("", "0.0.0.0");
  EXPECT_EQ(Server().Address, "0.0.0.0");
  EXPECT_EQ(Server().Port, 2323);
  socket.ApplyCommandLine("4711", "");
  EXPECT_EQ(Server().Port, 4711);
  EXPECT_EQ(Server().Address, "127.0.0.1");
}

}  // namespace
}  // namespace sondaro::test
