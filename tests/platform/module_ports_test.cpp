// Libraries that only some users need are opened on first use, never linked.
#include <gtest/gtest.h>

#include <QProcess>
#include <optional>
#include <string>

#include "platform/module_ports.h"
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
  for (const char* lib : {"libcurl", "libQt6Multimedia", "libssl", "libgnutls", "libpulse"})
    EXPECT_EQ(needed.find(lib), std::string::npos) << lib << " is linked:\n" << needed;
}

TEST(RunTimeModules, ModulesOfTheBuildAreFoundAndAMissingOneIsNamed) {
  std::string error;
  EXPECT_NE(LoadModuleEntry("sondaro_ftp", "sondaro_make_ftp_client", error), nullptr) << error;
  EXPECT_NE(LoadModuleEntry("sondaro_audio", "sondaro_make_audio_input", error), nullptr) << error;
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

}  // namespace
}  // namespace sondaro
