// The FTP session over libcurl against a real FTP server on loopback
// (pyftpdlib, started by the test): store, overwrite, one login for the
// whole session, active and passive data connections, and the messages of
// a refused login, a refused store and a server that goes away.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "output/ftp_session.h"
#include "platform/module_ports.h"
#include "support/qt_pump.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::PumpUntil;

constexpr const char* kServerScript = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.CRITICAL)
auth = DummyAuthorizer()
auth.add_user("user", "secret", sys.argv[1], perm="elradfmwMT")
class Handler(FTPHandler):
    def on_login(self, username):
        print("LOGIN", flush=True)
Handler.authorizer = auth
Handler.auth_failed_timeout = 0.1
if sys.argv[2] == "slow":
    class Slow(ThrottledDTPHandler):
        read_limit = 256 * 1024
    Handler.dtp_handler = Slow
server = FTPServer(("127.0.0.1", 0), Handler)
print("PORT", server.address[1], flush=True)
server.serve_forever()
)";

// pyftpdlib as a child process serving a temporary folder.
class FtpServer {
 public:
  // mode: "fast", or "slow" (a few hundred kB/s).
  explicit FtpServer(const QStringList& mode) {
    const QString python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    process_.start(python, QStringList{"-c", kServerScript, QString::fromStdString(root_.Path())} + mode);
    PumpUntil([this] { return Read(), port_ != 0 || process_.state() == QProcess::NotRunning; });
  }
  ~FtpServer() { Kill(); }
  [[nodiscard]] int Port() const { return port_; }
  [[nodiscard]] std::string Why() const { return why_; }
  [[nodiscard]] std::string File(const std::string& name) const { return root_ / name; }
  int Logins() {
    Read();
    return logins_;
  }
  void Kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
  }

 private:
  void Read() {
    while (process_.canReadLine()) {
      const QString line = QString::fromUtf8(process_.readLine()).trimmed();
      if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
      if (line == "LOGIN") ++logins_;
    }
    if (port_ == 0 && process_.state() == QProcess::NotRunning)
      why_ = process_.readAllStandardError().toStdString();
  }
  test::TempDir root_;
  QProcess process_;
  int port_ = 0;
  int logins_ = 0;
  std::string why_ = "the server did not start";
};

class FtpOverCurl : public ::testing::Test {
 protected:
  test::TempDir local;
  ViewHub view;
  ModuleFtpClient client;  // the FTP module, as the program loads it
  FtpSession session{&client, view};
  std::vector<std::string> errors;

  void SetUp() override {
    test::QtApp();
    session.hooks.AppFolder = local.Path();
    session.hooks.DebugError = [this](const std::string& m) { errors.push_back(m); };
  }
  void Use(FtpServer& server, bool passive, const std::string& password = "secret") {
    session.Account = {"127.0.0.1:" + std::to_string(server.Port()), "user", password, "", "",
                       passive};
  }
  // Runs one operation to its end.
  bool Finish() { return PumpUntil([this] { return !session.Busy(); }, 20000); }
  void WriteLocal(const std::string& name, const std::string& text) {
    std::ofstream(local / name, std::ios::binary) << text;
  }
};

#define START_SERVER(name, ...)                        \
  FtpServer name(QStringList{__VA_ARGS__});            \
  if (name.Port() == 0) GTEST_SKIP() << "FTP server could not start: " << name.Why()

TEST_F(FtpOverCurl, StoresAndOverwritesOverOneLoginActiveAndPassive) {
  START_SERVER(server, "fast");
  std::filesystem::create_directory(server.File("www"));
  for (const bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    Use(server, passive);
    session.Account.RemoteDir = "www";
    session.FtpConnect();
    ASSERT_TRUE(Finish());
    ASSERT_TRUE(session.FtpConnected()) << (errors.empty() ? "" : errors[0]);
    std::string binary = "first\r\nline\n";
    for (int b = 0; b < 256; ++b) binary += static_cast<char>(b);
    WriteLocal("report.txt", binary);
    session.FtpPut("report.txt");
    ASSERT_TRUE(Finish());
    EXPECT_EQ(test::ReadFile(server.File("www/report.txt")), binary);  // binary: bytes unchanged
    WriteLocal("report.txt", "second");
    session.FtpPut("report.txt");
    WriteLocal("a.jpg", "jpeg");
    session.FtpPut("a.jpg,b.jpg");
    ASSERT_TRUE(Finish());
    EXPECT_EQ(test::ReadFile(server.File("www/report.txt")), "second");  // replaced, not appended
    EXPECT_EQ(test::ReadFile(server.File("www/b.jpg")), "jpeg");
    EXPECT_EQ(session.Indicator(), FtpIndicator::Aqua);
    session.FtpDisconnect();
    ASSERT_TRUE(Finish());
    EXPECT_FALSE(session.FtpConnected());
  }
  EXPECT_EQ(server.Logins(), 2);  // one per session, not one per file
  EXPECT_TRUE(errors.empty()) << errors[0];
}

TEST_F(FtpOverCurl, RefusedLoginAndUnreachableServer) {
  START_SERVER(server, "fast");
  Use(server, true, "wrong");
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  EXPECT_FALSE(session.FtpConnected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "FTP connect failed - Access denied: 530");
  server.Kill();
  Use(server, true);
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_TRUE(errors[1].starts_with("FTP connect failed - Failed to connect to 127.0.0.1 port "))
      << errors[1];
}

TEST_F(FtpOverCurl, TlsAskedOfAPlainServerNeverSendsThePassword) {
  START_SERVER(server, "fast");
  Use(server, true);
  session.Account.Host = "ftps://" + session.Account.Host;
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  EXPECT_FALSE(session.FtpConnected());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with("FTP connect failed - ")) << errors[0];
  EXPECT_EQ(server.Logins(), 0);
}

TEST_F(FtpOverCurl, RefusedStoreAbortsAndTheSessionGoesOn) {
  START_SERVER(server, "fast");
  Use(server, true);
  session.Account.RemoteDir = "missing";
  WriteLocal("report.txt", "r");
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  session.FtpPut("report.txt");
  ASSERT_TRUE(Finish());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with(
      "Can't put the file to FTP server (report.txt -> missing/report.txt)\r\n"))
      << errors[0];
  EXPECT_GT(errors[0].size(), std::string("Can't put ... (report.txt -> missing/report.txt)\r\n").size());
  EXPECT_TRUE(session.FtpConnected());
  session.Account.RemoteDir = "";
  session.FtpPut("report.txt");
  ASSERT_TRUE(Finish());
  EXPECT_EQ(test::ReadFile(server.File("report.txt")), "r");
  EXPECT_EQ(server.Logins(), 2);  // after a failed store the next one logs in afresh
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(FtpOverCurl, ServerGoingAwayMidTransfer) {
  START_SERVER(server, "slow");
  Use(server, true);
  WriteLocal("big.bin", std::string(32 << 20, 'x'));  // minutes at the server's pace
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  session.FtpPut("big.bin");
  ASSERT_TRUE(PumpUntil([&] {
    std::error_code ec;
    return std::filesystem::file_size(server.File("big.bin"), ec) > 0 && !ec;
  }, 10000));
  EXPECT_EQ(session.Indicator(), FtpIndicator::Yellow);
  server.Kill();
  ASSERT_TRUE(Finish());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0].starts_with("Can't put the file to FTP server (big.bin -> big.bin)\r\n"))
      << errors[0];
  EXPECT_TRUE(session.FtpConnected());  // noticed only by the next command
  session.FtpDisconnect();
  ASSERT_TRUE(Finish());
  EXPECT_FALSE(session.FtpConnected());
}

TEST_F(FtpOverCurl, CloseAtExitDoesNotWaitForATransfer) {
  START_SERVER(server, "slow");
  Use(server, true);
  WriteLocal("big.bin", std::string(32 << 20, 'x'));
  session.FtpConnect();
  ASSERT_TRUE(Finish());
  session.FtpPut("big.bin");
  ASSERT_TRUE(PumpUntil([&] { return test::FileExists(server.File("big.bin")); }, 10000));
  session.CloseAtExit();  // returns once the transfer has given up
  EXPECT_FALSE(session.FtpConnected());
  QCoreApplication::processEvents();
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace sondaro
