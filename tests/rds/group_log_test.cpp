// The daily RDS group log: its lines, headers and files, a folder that
// cannot be written, and the keyword and settings that switch it.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/formats.h"
#include "rds/group_log.h"
#include "rds_fixture.h"

namespace sondaro {
namespace {

using test::ReadFile;

const Millis kWall = JoinWall(2026, 12, 10, 23, 59, 58, 156);

TEST(GroupLogText, LinesHeadersAndFileNames) {
  EXPECT_EQ(GroupLogLine(ParseRawGroup("e2200540----2020"), kWall),
            "E220 0540 ---- 2020 @2026/12/10 23:59:58.15");
  EXPECT_EQ(GroupLogLine(ParseRawGroup("----0A0B0C0D----"), JoinWall(2027, 1, 2, 3, 4, 5)),
            "---- 0A0B 0C0D ---- @2027/01/02 03:04:05.00");
  EXPECT_EQ(GroupLogHeader(kWall, " 98.50 MHz"),
            "<recorder=\"Sondaro\" date=\"2026-12-10\" time=\"23-59-58\" source=\"\" name=\"\" "
            "location=\"\" notes=\"98.50 MHz\">");
  // Nothing in the notes can end the quoted value or the header.
  EXPECT_EQ(GroupLogHeader(kWall, "a\"b>c\r\n"),
            "<recorder=\"Sondaro\" date=\"2026-12-10\" time=\"23-59-58\" source=\"\" name=\"\" "
            "location=\"\" notes=\"a b c\">");
  EXPECT_EQ(GroupLogFileName(kWall), "RDS Groups 2026-12-10.txt");
}

TEST(GroupLog, HeaderPerFileAndStationNewFileEachDay) {
  test::TempDir dir;
  RdsGroupLog log(dir.Path());
  log.Append("E220054023852020", kWall);  // off: nothing written
  EXPECT_EQ(log.CurrentFile(), "");
  log.SetFolder("logs");
  std::filesystem::create_directory(dir / "logs");
  log.SetEnabled(true);
  log.NewStation("105.50 MHz");
  log.Append("E220054023852020", kWall);
  log.Append("E220254044617269", kWall + 90);
  log.NewStation(" 98.50 MHz");
  log.Append("D3A3E5556E4CD301", kWall + 180);
  log.Append("D3A3E5556E4CD301", kWall + 2000);  // the next day
  EXPECT_EQ(ReadFile(dir / "logs/RDS Groups 2026-12-10.txt"),
            GroupLogHeader(kWall, "105.50 MHz") + "\r\n" +
                "E220 0540 2385 2020 @2026/12/10 23:59:58.15\r\n"
                "E220 2540 4461 7269 @2026/12/10 23:59:58.24\r\n" +
                GroupLogHeader(kWall + 180, "98.50 MHz") + "\r\n" +
                "D3A3 E555 6E4C D301 @2026/12/10 23:59:58.33\r\n");
  EXPECT_EQ(ReadFile(dir / "logs/RDS Groups 2026-12-11.txt"),
            GroupLogHeader(kWall + 2000, "98.50 MHz") + "\r\n" +
                "D3A3 E555 6E4C D301 @2026/12/11 00:00:00.15\r\n");
  EXPECT_EQ(log.CurrentFile(), dir / "logs/RDS Groups 2026-12-11.txt");
}

class GroupLogApp : public test::RdsAppFixture {
 protected:
  void Group(const std::string& text) { Receive(test::Section("G", text), 100); }
};

TEST_F(GroupLogApp, UnwritableFolderIsReportedOnceAndTheStreamGoesOn) {
  ConnectSerial();
  app.rds.raw.IAeverButton35Click();
  // A file where the folder should be.
  std::ofstream(folder / "blocked") << "x";
  app.rds.groupLog.SetFolder("blocked");
  app.rds.groupLog.SetEnabled(true);
  for (int i = 0; i < 5; ++i) Group("D3A3E5556E4CD301");
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_TRUE(dialogs.Messages[0].starts_with("RDS group log: can't write " + folder.Path() +
                                              "blocked/RDS Groups "))
      << dialogs.Messages[0];
  EXPECT_EQ(app.status.Text(), dialogs.Messages[0]);
  EXPECT_EQ(app.rds.raw.RawCount(), 5) << "the capture goes on";
  EXPECT_EQ(app.BuildMonitorSnapshot().RdsGroups, 5);

  // Once the folder can be written, the groups go there again, after a
  // header; a folder chosen later that fails is reported anew.
  std::filesystem::remove(folder / "blocked");
  std::filesystem::create_directory(folder / "blocked");
  Group("D3A3E5556E4CD301");
  EXPECT_EQ(dialogs.Messages.size(), 1u);
  const std::string text = ReadFile(app.rds.groupLog.CurrentFile());
  EXPECT_TRUE(text.starts_with("<recorder=\"Sondaro\" date=\"2024-01-15\"")) << text;
  EXPECT_TRUE(text.ends_with(">\r\nD3A3 E555 6E4C D301 @2024/01/15 12:00:04.56\r\n")) << text;
  std::ofstream(folder / "blocked2") << "x";
  app.rds.groupLog.SetFolder("blocked2");
  Group("D3A3E5556E4CD301");
  Group("D3A3E5556E4CD301");
  EXPECT_EQ(dialogs.Messages.size(), 2u);
}

TEST_F(GroupLogApp, KeywordAndSettingsSwitchTheLog) {
  std::ofstream(folder / "kaveli.ini") << "[RdsGroupLog]\r\nEnabled=1\r\nFolder=saved\r\n";
  app.LoadSettings();
  EXPECT_TRUE(app.rds.groupLog.Enabled());
  EXPECT_EQ(app.rds.groupLog.Folder(), "saved");
  ConnectSerial();
  app.automation.script.Commands().Run("RAWDATA.LOG", "0", app.automation.script,
                                       app.automation.Host());
  EXPECT_FALSE(app.rds.groupLog.Enabled());
  app.automation.script.Commands().Run("RAWDATA.LOG", "rds", app.automation.script,
                                       app.automation.Host());
  EXPECT_TRUE(app.rds.groupLog.Enabled());
  EXPECT_EQ(app.rds.groupLog.Folder(), "rds");
  std::filesystem::create_directory(folder / "rds");
  Group("D3A3E5556E4CD301");
  EXPECT_TRUE(app.rds.groupLog.CurrentFile().starts_with(folder / "rds/RDS Groups "));
  EXPECT_TRUE(test::FileExists(app.rds.groupLog.CurrentFile()));

  app.automation.script.Commands().Run("RAWDATA.LOG", "0", app.automation.script,
                                       app.automation.Host());
  app.Close();
  const std::string ini = ReadFile(folder / "kaveli.ini");
  EXPECT_NE(ini.find("[RdsGroupLog]\r\nEnabled=0\r\nFolder=rds\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("[Metrics]"), std::string::npos) << "written only while set";
}

}  // namespace
}  // namespace sondaro
