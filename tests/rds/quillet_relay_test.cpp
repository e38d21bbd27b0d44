// The relay to the external decoder against a real TCP client on loopback
// standing in for it.
#include <gtest/gtest.h>

#include "rds/quillet_relay.h"
#include "rds_fixture.h"

namespace sondaro {
namespace {

using test::LoopbackClient;
using test::PosixTcpServer;
using test::Section;

class QuilletRelayTest : public test::RdsAppFixture {
 protected:
  QuilletRelay& relay() { return app.rds.relay; }
  // Puts a stand-in decoder where the default setting looks for it.
  void InstallQuillet() { std::ofstream(folder.Path() + "quillet.exe") << "#!/bin/sh\n"; }
  // "Use Quillet", then the decoder connects back.
  std::unique_ptr<LoopbackClient> StartAndConnect() {
    InstallQuillet();
    relay().GradBtn20Click();
    auto client = std::make_unique<LoopbackClient>(relayPort);
    EXPECT_TRUE(client->Connected());
    RelayServer()->Poll();
    EXPECT_TRUE(relay().QuilletRunning());
    return client;
  }
  void ClientSends(LoopbackClient& client, const std::string& text) {
    client.Send(text);
    RelayServer()->Poll();
  }
};

TEST_F(QuilletRelayTest, OffUntilFirstUseAndGroupsGoToTheBuffer) {
  ConnectSerial();
  EXPECT_FALSE(relay().Listening());
  EXPECT_TRUE(RelayServers().empty());
  Receive(Section("G", "2F01040841424344"));
  EXPECT_EQ(app.rds.raw.RawCount(), 1);
}

TEST_F(QuilletRelayTest, StartsTheDecoderInItsFolderAndStartsTheCapture) {
  ConnectSerial();
  InstallQuillet();
  relay().GradBtn20Click();
  ASSERT_EQ(shell.Started.size(), 1u);
  EXPECT_EQ(shell.Started[0].Program, folder.Path() + "quillet.exe");
  EXPECT_EQ(shell.Started[0].Parameters, "/C:SOC:127.0.0.1:" + std::to_string(relayPort));
  EXPECT_EQ(shell.Started[0].Folder + "/", folder.Path());
  EXPECT_TRUE(dialogs.Questions.empty());
  ASSERT_TRUE(relay().Listening());
  EXPECT_EQ(RelayServer()->BoundAddress, "127.0.0.1") << "only this computer may connect";
  EXPECT_FALSE(relay().QuilletRunning()) << "listening, nobody connected yet";
  EXPECT_TRUE(app.rds.raw.RawCapturing);
  Advance(3000);
  EXPECT_EQ(Written(), (std::vector<std::string>{"?F", "*D", "*R"}));
}

TEST_F(QuilletRelayTest, GroupsReachTheDecoderAsFramesAndAreNotStored) {
  ConnectSerial();
  auto client = StartAndConnect();
  auto second = std::make_unique<LoopbackClient>(relayPort);
  RelayServer()->Poll();
  Receive(Section("G", "D3A3----4142----") + Section("G", "2F01040841424344"));
  const std::string frames = "G:\r\nD3A3----4142----\r\n\r\nG:\r\n2F01040841424344\r\n\r\n";
  EXPECT_EQ(client->Receive(48), frames);
  EXPECT_EQ(second->Receive(48), frames) << "every client gets every frame";
  EXPECT_EQ(app.rds.raw.RawCount(), 0);
  EXPECT_EQ(app.rds.raw.ByteCounterText(), "0 bytes");

  // A bandscan suppresses storing, never the relay.
  app.link.bulk.hooks.BandscanRunning = [] { return true; };
  Receive(Section("G", "5CBC2000414243FF"));
  EXPECT_EQ(client->Receive(24), "G:\r\n5CBC2000414243FF\r\n\r\n");

  // Once the decoders are gone, groups are stored again.
  app.link.bulk.hooks.BandscanRunning = nullptr;
  client->Close();
  second->Close();
  RelayServer()->Poll();
  RelayServer()->Poll();
  EXPECT_FALSE(relay().QuilletRunning());
  Receive(Section("G", "2F01040841424344"));
  EXPECT_EQ(app.rds.raw.RawCount(), 1);
}

TEST_F(QuilletRelayTest, OnlyWellFormedGroupsReachTheDecoder) {
  ConnectSerial();
  auto client = StartAndConnect();
  // Line noise and sections cut by the framing: each would be a frame of
  // another length and shift every later frame.
  for (const char* broken : {"2F0104", "2F01040841424344FF", "2F01zz0841424344",
                             "2F01 40841424344", "---2F01040841424", ""})
    Receive(Section("G", broken));
  Receive(Section("G", "D3A3----4142----"));
  EXPECT_EQ(client->Receive(200), "G:\r\nD3A3----4142----\r\n\r\n");
  for (const char* group : {"2F01040841424344", "----------------", "d3a3080241424344",
                            kQuilletReset, kQuilletExit})
    EXPECT_TRUE(IsRelayGroup(group)) << group;
}

TEST_F(QuilletRelayTest, CommandsFromTheDecoderAreQueued) {
  ConnectSerial();
  auto client = StartAndConnect();
  Advance(3000);
  serial.Written.clear();
  app.rds.raw.IAeverButton36Click();  // the stream stopped by hand
  Advance(1000);
  serial.Written.clear();

  ClientSends(*client, "*R");
  EXPECT_TRUE(app.rds.raw.RawCapturing) << "\"*R\" starts the capture";
  Advance(3000);
  ClientSends(*client, "098500*F");
  Advance(3000);
  // Run queues "?F", "*D", "*R"; the decoder's own "*R" is the duplicate the
  // queue drops; the tuning command is followed by "?F".
  EXPECT_EQ(Written(), (std::vector<std::string>{"?F", "*D", "*R", "098500*F", "?F"}));
}

TEST_F(QuilletRelayTest, RdsModeButtonAsksForTheStreamWhileADecoderTakesIt) {
  ConnectSerial();
  auto client = StartAndConnect();
  Advance(3000);
  serial.Written.clear();
  app.tuning.IAeverButton33Click();
  Advance(2000);
  EXPECT_EQ(Written(), (std::vector<std::string>{"*D", "*R"}));
  app.rds.raw.IAeverButton36Click();
  Advance(2000);
  serial.Written.clear();
  app.tuning.IAeverButton33Click();
  Advance(2000);
  EXPECT_EQ(Written(), std::vector<std::string>{"*D"}) << "no capture asked for";
}

TEST_F(QuilletRelayTest, FrequencyChangeSendsResetAndAsksForTheStreamAgain) {
  ConnectSerial();
  auto client = StartAndConnect();
  Advance(3000);
  serial.Written.clear();
  Receive(Section("Frequency", " 98.50 MHz"));
  EXPECT_EQ(client->Receive(24), "G:\r\nRESET-----------\r\n\r\n");
  Advance(1000);
  EXPECT_EQ(Written(), std::vector<std::string>{"*R"});

  app.Close();
  EXPECT_EQ(client->Receive(24), "G:\r\nEXIT------------\r\n\r\n");
}

TEST_F(QuilletRelayTest, SecondUseAsksBeforeStartingAnotherDecoder) {
  auto client = StartAndConnect();
  relay().GradBtn20Click();
  ASSERT_EQ(dialogs.Questions.size(), 1u);
  EXPECT_EQ(dialogs.Questions[0],
            "An instance of the Quillet is already running. Run another instance now?");
  EXPECT_EQ(shell.Started.size(), 1u);
  dialogs.Answers = {true};
  relay().GradBtn20Click();
  EXPECT_EQ(shell.Started.size(), 2u);
  EXPECT_EQ(RelayServers().size(), 1u) << "the same server keeps listening";
}

TEST_F(QuilletRelayTest, LocatesTheDecoderUntilFoundOrDeclined) {
  const std::string question = "Can't find Quillet. Would you like to locate it manually?";
  // Declined at once: nothing starts, nothing listens.
  relay().GradBtn20Click();
  EXPECT_EQ(dialogs.Questions, std::vector<std::string>{question});
  EXPECT_TRUE(shell.Started.empty());
  EXPECT_FALSE(relay().Listening());

  // Yes, a cancelled dialog, Yes, a file that does not exist, Yes, the real one.
  std::filesystem::create_directories(folder.Path() + "decoder");
  const std::string real = folder.Path() + "decoder/quillet";
  std::ofstream(real) << "#!/bin/sh\n";
  dialogs.Questions.clear();
  dialogs.Answers = {true, true, true};
  dialogs.OpenAnswers = {"", folder.Path() + "gone", real};
  relay().GradBtn20Click();
  EXPECT_EQ(dialogs.Questions.size(), 3u);
  EXPECT_EQ(dialogs.OpenFolders[0], folder.Path());
  EXPECT_EQ(dialogs.OpenFolders[2], folder.Path())
      << "the next dialog opens where the last named file would be";
  EXPECT_EQ(relay().QuilletFile, real);
  ASSERT_EQ(shell.Started.size(), 1u);
  EXPECT_EQ(shell.Started[0].Program, real);
  EXPECT_EQ(shell.Started[0].Folder, folder.Path() + "decoder");
  EXPECT_TRUE(relay().Listening());
}

TEST_F(QuilletRelayTest, DecoderThatCannotStartIsReportedAndTheRelayStillListens) {
  InstallQuillet();
  shell.StartSucceeds = false;
  relay().GradBtn20Click();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0], "Can't start " + folder.Path() + "quillet.exe: not started");
  EXPECT_TRUE(relay().Listening()) << "a decoder started by hand can still connect";
}

TEST_F(QuilletRelayTest, PortInUseIsReportedAndNothingStarts) {
  PosixTcpServer blocker;
  ASSERT_TRUE(blocker.Listen("127.0.0.1", relayPort));
  InstallQuillet();
  relay().GradBtn20Click();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_TRUE(dialogs.Messages[0].starts_with("Can't listen on TCP port " +
                                              std::to_string(relayPort) + " for Quillet: "))
      << dialogs.Messages[0];
  EXPECT_EQ(dialogs.Messages[0].find("setcap"), std::string::npos) << "not a privileged port";
  EXPECT_TRUE(shell.Started.empty());
  EXPECT_FALSE(app.rds.raw.RawCapturing);
}

TEST(QuilletRelayPrivilegedPortTest, FailureOnPortSixteenExplainsHowToAllowIt) {
  // Port 16 held by another listener (as root), or not allowed (as a user):
  // either way the relay cannot listen there.
  PosixTcpServer blocker;
  const bool blocked = blocker.Listen("127.0.0.1", kQuilletPort);
  VirtualClock clock;
  TimerSet timers(clock);
  ViewHub view;
  StatusBar status(view);
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  DeviceLink link(timers, view, status, serial, tcp);
  test::ScriptedDialogs dialogs;
  test::PosixNetworkFactory network;
  RecordingShell shell;
  test::TempDir folder;
  std::ofstream(folder.Path() + "quillet.exe") << "x";
  RdsSubsystem rds(view, link, dialogs, &network, &shell, folder.Path());
  rds.relay.GradBtn20Click();
  if (!blocked && rds.relay.Listening()) GTEST_SKIP() << "port 16 was free and allowed";
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  const std::string& m = dialogs.Messages[0];
  EXPECT_TRUE(m.starts_with("Can't listen on TCP port 16 for Quillet: ")) << m;
  EXPECT_NE(m.find("capability to bind ports below 1024"), std::string::npos) << m;
  EXPECT_NE(m.find("sudo setcap cap_net_bind_service=+ep " + folder.Path() + "sondaro"),
            std::string::npos)
      << m;
  EXPECT_NE(m.find("net.ipv4.ip_unprivileged_port_start=16"), std::string::npos) << m;
}

}  // namespace
}  // namespace sondaro
