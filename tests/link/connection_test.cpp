#include "link/connection.h"

#include <gtest/gtest.h>

#include "link/com_ports.h"
#include "support/app_fixture.h"

namespace sondaro {
namespace {

using test::AppFixture;

TEST(TcpTarget, HostPortSplittingAndValidation) {
  struct Case {
    const char* host;
    const char* port;
    const char* wantHost;
    const char* wantPortText;
    int wantPort;
  } cases[] = {
      {"10.0.0.5:4001", "23", "10.0.0.5", "4001", 4001},
      {"analyzer:", "4001", "analyzer", "23", 23},
      {"analyzer", "70000", "analyzer", "23", 23},
      {"analyzer", "-1", "analyzer", "23", 23},
      {"analyzer", "telnet", "analyzer", "23", 23},
      {"analyzer", "0", "analyzer", "0", 0},
      {"a:1:2", "5", "a", "23", 23},
      // Ends trimmed as a reload of the settings file would trim them.
      {" analyzer : 4001 ", "23", "analyzer", "4001", 4001},
      {"10.0.0.7\x03\x01", "\t4001", "10.0.0.7", "4001", 4001},
  };
  for (const auto& c : cases) {
    const TcpTarget t = ResolveTcpTarget(c.host, c.port);
    EXPECT_EQ(t.Host, c.wantHost) << c.host;
    EXPECT_EQ(t.PortText, c.wantPortText) << c.host;
    EXPECT_EQ(t.Port, c.wantPort) << c.host;
  }
}

TEST(ComPorts, ClassicNamesAndDeviceMapping) {
  EXPECT_EQ(ClassicComName(9), "COM9");
  EXPECT_EQ(ClassicComName(12), "\\\\.\\COM12");
  EXPECT_EQ(ComDevicePath(1), "/dev/ttyUSB0");
  EXPECT_EQ(ComDevicePath(9), "/dev/ttyACM0");
  EXPECT_EQ(ComDevicePath(17), "/dev/ttyS0");
  EXPECT_EQ(ComDevicePath(256), "/dev/ttyS239");
  EXPECT_EQ(ComDevicePath(3, {{3, "/dev/pts/7"}}), "/dev/pts/7");
}

using ConnectionTest = AppFixture;

TEST_F(ConnectionTest, SerialOpenAppliesLineSettingsAndAsksForFrequency) {
  auto& c = app.link.connection;
  c.Settings.ComPortIndex = 11;  // COM12
  c.Settings.DeviceOverrides[12] = "/dev/pts/3";
  c.BitBtn2Click();
  EXPECT_EQ(serial.OpenedDevice, "/dev/pts/3");
  EXPECT_EQ(serial.LastSettings.BaudRate, 19200);
  EXPECT_FALSE(serial.LastSettings.FlowControl);
  EXPECT_FALSE(serial.LastSettings.Dtr);
  EXPECT_FALSE(serial.LastSettings.Rts);
  EXPECT_EQ(c.ConnectionType(), "COM");
  EXPECT_TRUE(c.DisconnectEnabled());
  EXPECT_FALSE(c.ConnectEnabled());
  Advance(1500);  // the mode order holds the next command back 400 ms
  EXPECT_EQ(serial.Written, (std::vector<std::string>{"*E", "?F"}));
}

TEST_F(ConnectionTest, SerialOpenFailureReportsAndStaysIdle) {
  serial.OpenSucceeds = false;
  std::string debug;
  app.link.connection.hooks.DebugError = [&](const std::string& m) { debug = m; };
  app.link.connection.BitBtn2Click();
  EXPECT_EQ(app.status.Text(), "Unable to connect");
  EXPECT_EQ(debug, "Unable to connect");
  EXPECT_EQ(app.link.connection.ConnectionType(), "NONE");
  EXPECT_TRUE(app.link.connection.ConnectEnabled());
}

TEST_F(ConnectionTest, CommandsWithoutALinkAreDiscardedButLightTx) {
  app.link.Send("?F");
  Advance(1000);
  EXPECT_TRUE(serial.Written.empty());
  EXPECT_EQ(app.link.connection.TxLamp(), LampColour::Yellow);
  Advance(99);
  EXPECT_EQ(app.link.connection.TxLamp(), LampColour::Yellow);
  Advance(1);
  EXPECT_EQ(app.link.connection.TxLamp(), LampColour::Maroon);
}

TEST_F(ConnectionTest, ReceiveBufferTakesWholeChunksUntilFiveThousand) {
  ConnectSerial();
  auto& buf = app.link.connection.ReceiveBuffer();
  serial.Arrive(std::string(4900, 'x'));
  serial.Arrive(std::string(300, 'y'));
  EXPECT_EQ(buf.size(), 5200u);
  serial.Arrive("zz");
  EXPECT_EQ(buf.size(), 5200u);
  EXPECT_EQ(app.link.connection.RxLamp(), LampColour::Yellow);
  Advance(80);
  EXPECT_EQ(app.link.connection.RxLamp(), LampColour::Maroon);
}

TEST_F(ConnectionTest, RxLampLightsButBytesStayUnreadWithoutSerialLink) {
  serial.Arrive("Frequency:\r\n");
  EXPECT_EQ(app.link.connection.RxLamp(), LampColour::Yellow);
  EXPECT_TRUE(app.link.connection.ReceiveBuffer().empty());
  EXPECT_EQ(serial.Waiting, "Frequency:\r\n");
}

TEST_F(ConnectionTest, TcpAttemptFailureRetriesEveryTwentySecondsInTheBackground) {
  auto& c = app.link.connection;
  c.Settings.RGCON = 1;
  c.Settings.Host = "192.0.2.1:4001";
  c.BitBtn2Click();
  EXPECT_EQ(c.Settings.Host, "192.0.2.1");
  EXPECT_EQ(c.Settings.PortText, "4001");
  EXPECT_EQ(tcp.Attempts, (std::vector<std::string>{"192.0.2.1:4001"}));
  EXPECT_TRUE(c.DisconnectEnabled());
  EXPECT_EQ(c.ConnectionType(), "NONE");
  tcp.Fail();
  EXPECT_TRUE(c.ConnectEnabled());
  Advance(19999);
  EXPECT_EQ(tcp.Attempts.size(), 1u);
  Advance(1);
  EXPECT_EQ(tcp.Attempts.size(), 2u);
  tcp.Fail();
  Advance(20000);
  EXPECT_EQ(tcp.Attempts.size(), 3u);
  tcp.Establish();
  EXPECT_EQ(c.ConnectionType(), "TCP");
  EXPECT_TRUE(c.DisconnectEnabled());
  Advance(1500);
  EXPECT_EQ(tcp.Written, (std::vector<std::string>{"*E", "?F"}));
  // A connection lost after it was established is not retried.
  tcp.PeerCloses();
  EXPECT_EQ(c.ConnectionType(), "NONE");
  Advance(60000);
  EXPECT_EQ(tcp.Attempts.size(), 3u);
}

TEST_F(ConnectionTest, DisconnectAbandonsAnAttemptAndItsRetries) {
  auto& c = app.link.connection;
  c.Settings.RGCON = 1;
  c.BitBtn2Click();
  tcp.Fail();
  c.BitBtn3Click();
  Advance(60000);
  EXPECT_EQ(tcp.Attempts.size(), 1u);
  EXPECT_TRUE(c.ConnectEnabled());
}

TEST_F(ConnectionTest, TcpBytesFlowOnlyWhileConnected) {
  auto& c = app.link.connection;
  c.Settings.RGCON = 1;
  c.BitBtn2Click();
  tcp.Arrive("early");
  EXPECT_TRUE(c.ReceiveBuffer().empty());
  tcp.Establish();
  tcp.Arrive("IF:\r\n");
  EXPECT_EQ(c.ReceiveBuffer(), "IF:\r\n");
  c.BitBtn3Click();
  EXPECT_TRUE(c.ReceiveBuffer().empty());
  EXPECT_EQ(c.ConnectionType(), "NONE");
}

TEST_F(ConnectionTest, TcpDisconnectWhileSerialIsUpChangesNothing) {
  ConnectSerial();
  tcp.PeerCloses();
  EXPECT_EQ(app.link.connection.ConnectionType(), "COM");
  EXPECT_TRUE(app.link.connection.DisconnectEnabled());
}

TEST_F(ConnectionTest, ConnectResetsAnalyzerDependentReadings) {
  app.link.state.LevelInDbuv = true;
  app.link.state.CarrierNormalKHz = 300;
  app.link.connection.BitBtn2Click();
  EXPECT_FALSE(app.link.state.LevelInDbuv);
  EXPECT_EQ(app.link.state.CarrierNormalKHz, 0);
}

}  // namespace
}  // namespace sondaro
