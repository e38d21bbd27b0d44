// Libraries that only some users need are opened on first use, never linked.
#include "platform/module_ports.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <optional>
#include <string>

#include "platform/plugin_loader.h"
#include "support/qt_pump.h"

namespace sondaro {
namespace {

TEST(RunTimeModules, TheProgramDoesNotLinkWhatOnlySomeUsersNeed) {
  QProcess readelf;
  readelf.start("readelf", {"-d", SONDARO_BINARY_DIR "/sondaro"});
  if (!readelf.waitForFinished(20000) || readelf.exitCode() != 0)
    GTEST_SKIP() << "readelf did not run";
  const std::string needed = readelf.readAllStandardOutput().toStdString();
  ASSERT_NE(needed.find("libQt6Widgets"), std::string::npos) << needed;
  for (const char* lib : {"libcurl", "libQt6Multimedia", "libssl", "libgnutls", "libpulse",
                          "libQt6Network", "libQt6SerialPort", "libgssapi", "libproxy", "libudev"})
    EXPECT_EQ(needed.find(lib), std::string::npos) << lib << " is linked:\n" << needed;
}

TEST(RunTimeModules, ModulesOfTheBuildAreFoundAndAMissingOneIsNamed) {
  std::string error;
  EXPECT_NE(LoadModuleEntry("sondaro_ftp", "sondaro_make_ftp_client", error), nullptr) << error;
  EXPECT_NE(LoadModuleEntry("sondaro_audio", "sondaro_make_audio_input", error), nullptr) << error;
  EXPECT_NE(LoadModuleEntry("sondaro_serial", "sondaro_make_serial_port", error), nullptr) << error;
  EXPECT_NE(LoadModuleEntry("sondaro_net", "sondaro_make_tcp_client", error), nullptr) << error;
  EXPECT_NE(LoadModuleEntry("sondaro_net", "sondaro_make_tcp_server", error), nullptr) << error;
  EXPECT_EQ(LoadModuleEntry("sondaro_ftp", "no_such_entry", error), nullptr);
  EXPECT_NE(error.find("no entry point no_such_entry"), std::string::npos) << error;
  EXPECT_EQ(LoadModuleEntry("sondaro_absent", "x", error), nullptr);
  EXPECT_NE(error.find("libsondaro_absent.so not found"), std::string::npos) << error;
}

TEST(RunTimeModules, FtpStaysUnloadedUntilTheFirstConnection) {
  test::QtApp();
  std::vector<std::string> reports;
  ModuleFtpClient client([&reports](const std::string& m) { reports.push_back(m); });
  std::optional<FtpResult> put, quit;
  client.Put("a", "b", [&put](const FtpResult& r) { put = r; });
  client.Quit([&quit](const FtpResult& r) { quit = r; });
  client.Abort();
  client.Close();
  EXPECT_FALSE(client.Loaded());
  ASSERT_TRUE(put && quit);
  EXPECT_FALSE(put->Ok);
  EXPECT_TRUE(quit->Ok);
  std::optional<FtpResult> connect;
  FtpLogin nowhere;
  nowhere.Host = "127.0.0.1";
  nowhere.Port = 1;
  nowhere.TimeoutMs = 2000;
  client.Connect(nowhere, [&connect](const FtpResult& r) { connect = r; });
  EXPECT_TRUE(client.Loaded());
  EXPECT_TRUE(test::PumpUntil([&connect] { return connect.has_value(); }, 10000));
  EXPECT_FALSE(connect->Ok);  // nothing listens on port 1
  EXPECT_TRUE(reports.empty());
}

// Without its module the link fails the way a dead line does, and says why.
TEST(RunTimeModules, AMissingLinkModuleFailsLikeADeadLineAndIsNamed) {
  test::QtApp();
  std::vector<std::string> reports;
  const ModuleReport report = [&reports](const std::string& m) { reports.push_back(m); };

  ModuleSerialPort serial(report, "sondaro_absent");
  EXPECT_FALSE(serial.Open("/dev/null", SerialSettings{}));
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_EQ(serial.ReadAll(), "");
  serial.Write("x");
  serial.Close();

  ModuleTcpClient tcp(report, "sondaro_absent");
  std::vector<std::string> events;
  tcp.OnError = [&events](const std::string& m, int) { events.push_back("error: " + m); };
  tcp.OnDisconnected = [&events] { events.push_back("disconnected"); };
  tcp.Connect("127.0.0.1", 1);
  EXPECT_TRUE(events.empty()) << "reported inside Connect";
  ASSERT_TRUE(test::PumpUntil([&events] { return events.size() == 2; }));
  EXPECT_NE(events[0].find("libsondaro_absent.so not found"), std::string::npos) << events[0];
  EXPECT_EQ(events[1], "disconnected");
  EXPECT_FALSE(tcp.IsConnected());
  EXPECT_EQ(reports.size(), 2u);

  ModuleNetworkFactory network(report, "sondaro_absent");
  const std::unique_ptr<TcpServer> server = network.MakeTcpServer();
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(reports.size(), 2u) << "reported before it was used";
  EXPECT_FALSE(server->Listen("127.0.0.1", 0));
  EXPECT_NE(server->ErrorText().find("libsondaro_absent.so not found"), std::string::npos);

  ASSERT_EQ(reports.size(), 3u);
  for (const std::string& r : reports)
    EXPECT_NE(r.find("libsondaro_absent.so"), std::string::npos) << r;
}

TEST(RunTimeModules, TheLinkModulesStayUnloadedUntilUsed) {
  test::QtApp();
  ModuleSerialPort serial;
  ModuleTcpClient tcp;
  serial.Close();
  tcp.Close();
  tcp.Write("x");
  EXPECT_FALSE(serial.Loaded() || tcp.Loaded() || serial.IsOpen() || tcp.IsConnected());
  bool closed = false;
  tcp.OnDisconnected = [&closed] { closed = true; };
  tcp.Connect("127.0.0.1", 1);  // nothing listens on port 1
  EXPECT_TRUE(tcp.Loaded());
  EXPECT_TRUE(test::PumpUntil([&closed] { return closed; }, 10000));
}

}  // namespace
}  // namespace sondaro
