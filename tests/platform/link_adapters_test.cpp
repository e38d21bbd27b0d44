// The engine over the real Qt link adapters: a loopback TCP peer and a
// pseudo-terminal standing in for the analyzer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdlib>

#include "app/app.h"
#include "platform/module_ports.h"
#include "platform/qt_timer_host.h"
#include "support/qt_pump.h"

namespace sondaro {
namespace {

using test::PumpUntil;
using test::QtApp;

struct RealApp {
  RealClock clock;
  ModuleSerialPort serial;
  ModuleTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};
  QtTimerHost host{app.timers, clock};
};

TEST(LinkOverLoopbackTcp, QueriesGoOutAndSectionsComeBack) {
  QtApp();
  QTcpServer peer;
  ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
  RealApp r;
  r.app.link.connection.Settings.RGCON = 1;
  r.app.link.connection.Settings.Host = "127.0.0.1:" + std::to_string(peer.serverPort());
  r.app.link.connection.BitBtn2Click();
  ASSERT_TRUE(PumpUntil([&] { return peer.hasPendingConnections(); }));
  QTcpSocket* analyzer = peer.nextPendingConnection();
  ASSERT_TRUE(PumpUntil([&] { return r.app.link.connection.ConnectionType() == "TCP"; }));

  // The pacing tick writes the link-up's mode command and "?F", nothing added.
  QByteArray received;
  ASSERT_TRUE(PumpUntil([&] {
    received += analyzer->readAll();
    return received.contains("?F");
  }));
  EXPECT_EQ(received, QByteArray("*E?F"));
  analyzer->write("Frequency:\r\n 98.50 MHz\r\n\r\nPilot:\r\n   6.8 kHz\r\n\r\n");
  ASSERT_TRUE(PumpUntil([&] { return r.app.link.readouts.Label15 == "   6.8 kHz"; }));
  EXPECT_EQ(r.app.link.readouts.Label1, " 98.50 MHz");
  EXPECT_FALSE(r.app.link.queue.MaSeCekat());

  // The peer closing returns the window to Idle, without a retry.
  analyzer->close();
  ASSERT_TRUE(PumpUntil([&] { return r.app.link.connection.ConnectEnabled(); }));
  EXPECT_EQ(r.app.link.connection.ConnectionType(), "NONE");
  EXPECT_FALSE(r.app.link.connection.TcpRetryPending());
}

TEST(LinkOverLoopbackTcp, RefusedAttemptFallsBackToIdleAndSchedulesRetry) {
  QtApp();
  quint16 closedPort;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    closedPort = probe.serverPort();
  }
  RealApp r;
  r.app.link.connection.Settings.RGCON = 1;
  r.app.link.connection.Settings.Host = "127.0.0.1";
  r.app.link.connection.Settings.PortText = std::to_string(closedPort);
  r.app.link.connection.BitBtn2Click();
  EXPECT_TRUE(r.app.link.connection.DisconnectEnabled());
  ASSERT_TRUE(PumpUntil([&] { return r.app.link.connection.ConnectEnabled(); }));
  EXPECT_TRUE(r.app.link.connection.TcpRetryPending());
  r.app.link.connection.BitBtn3Click();
  EXPECT_FALSE(r.app.link.connection.TcpRetryPending());
}

// A pseudo-terminal: the program opens the slave side as its COM port.
class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    path_ = ptsname(master_);
    fcntl(master_, F_SETFL, O_NONBLOCK);
    // Master side raw too, so nothing is echoed or translated.
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
  }
  ~Pty() {
    if (master_ >= 0) close(master_);
  }
  [[nodiscard]] bool Ok() const { return !path_.empty(); }
  [[nodiscard]] const std::string& Path() const { return path_; }
  void Write(const std::string& s) { [[maybe_unused]] auto n = write(master_, s.data(), s.size()); }
  std::string Read() {
    char buf[256];
    std::string out;
    ssize_t n;
    while ((n = read(master_, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    return out;
  }

 private:
  int master_ = -1;
  std::string path_;
};

TEST(LinkOverPseudoTerminal, LineIs19200EightNOneWithoutFlowControl) {
  QtApp();
  Pty pty;
  if (!pty.Ok()) GTEST_SKIP() << "no pseudo-terminals here";
  RealApp r;
  r.app.link.connection.Settings.RGCON = 0;
  r.app.link.connection.Settings.ComPortIndex = 4;  // COM5
  r.app.link.connection.Settings.DeviceOverrides[5] = pty.Path();
  r.app.link.connection.BitBtn2Click();
  ASSERT_EQ(r.app.link.connection.ConnectionType(), "COM") << r.app.status.Text();

  const int fd = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(fd, &t), 0);
  close(fd);
  EXPECT_EQ(cfgetospeed(&t), B19200);
  EXPECT_EQ(cfgetispeed(&t), B19200);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & PARENB);
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));  // raw: bytes pass untouched

  std::string received;
  ASSERT_TRUE(PumpUntil([&] {
    received += pty.Read();
    return received.find("?F") != std::string::npos;
  }));
  pty.Write("Signal Quality:\r\n    4\r\n\r\n");
  ASSERT_TRUE(PumpUntil([&] { return r.app.link.state.SignalQuality == 4; }));
  r.app.link.connection.BitBtn3Click();
  EXPECT_EQ(r.app.link.connection.ConnectionType(), "NONE");
}

}  // namespace
}  // namespace sondaro
