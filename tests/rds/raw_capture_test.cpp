// Raw group capture: the text line of a group, the buffer and its counter,
// the buttons, and real off-air group logs through the whole path.
#include <gtest/gtest.h>

#include <map>

#include "rds/raw_capture.h"
#include "rds_fixture.h"

namespace sondaro {
namespace {

using test::PsNamesFromRawText;
using test::ReadFile;
using test::RdsAppFixture;
using test::Section;

TEST(RawGroupLineTest, Table) {
  struct Case {
    const char* group;
    const char* line;
  } cases[] = {
      {"2F01040841424344", "2F01 0408 4142 4344  0A 100000 01000 'AB' 'CD'"},
      // Block C lost: "---- " in both places.
      {"2F010408----4344", "2F01 0408 ---- 4344  0A 100000 01000 ---- 'CD'"},
      {"2F01----41424344", "2F01 ---- 4142 4344  -- ------ ----- 'AB' 'CD'"},
      {"D3A3B8004142----", "D3A3 B800 4142 ---- 11B 000000 00000 'AB' ----"},
      {"D3A3F7FF0D0A7F1F", "D3A3 F7FF 0D0A 7F1F 15A 111111 11111 '..' '\x7f.'"},
      {"----------------", "---- ---- ---- ----  -- ------ ----- ---- ----"},
      {"d3a3e555c4d7e920", "D3A3 E555 C4D7 E920 14A 101010 10101 '\xc4\xd7' '\xe9 '"},
      {"D3A3XYZ1ABCD0-12", "D3A3 ---- ABCD ----  -- ------ ----- '\xab\xcd' ----"},
      {"D3A3", "D3A3 ---- ---- ----  -- ------ ----- ---- ----"},
  };
  for (const Case& c : cases) EXPECT_EQ(RawGroupLine(ParseRawGroup(c.group)), c.line) << c.group;
}

TEST(RawGroupLineTest, MissingBlocksAreZeroWithTheirBit) {
  const RawGroup g = ParseRawGroup("2F010408----zzzz");
  EXPECT_EQ(g.C, 0);
  EXPECT_EQ(g.D, 0);
  EXPECT_EQ(g.Missing, 0b1100);
  EXPECT_EQ(g.B, 0x0408);
}

class RawCaptureTest : public RdsAppFixture {
 protected:
  RawCapture& raw() { return app.rds.raw; }
  void Groups(int n, const std::string& body = "2F01040841424344") {
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes += Section("G", body);
    Receive(bytes, 20 * n + 200);
  }
};

TEST_F(RawCaptureTest, RunStoresGroupsStopKeepsThemClearEmpties) {
  ConnectSerial();
  EXPECT_EQ(raw().ByteCounterText(), "0 bytes");
  raw().IAeverButton35Click();
  EXPECT_TRUE(raw().RawCapturing);
  EXPECT_EQ(app.link.state.CurrentMode, 1);
  Advance(3000);
  EXPECT_EQ(Written(), (std::vector<std::string>{"?F", "*D", "*R"}));
  Groups(3);
  EXPECT_EQ(raw().RawCount(), 3);
  EXPECT_EQ(raw().ByteCounterText(), "24 bytes");
  raw().IAeverButton36Click();
  EXPECT_FALSE(raw().RawCapturing);
  Advance(1000);
  EXPECT_EQ(Written().back(), "*r");
  EXPECT_EQ(raw().RawCount(), 3) << "Stop keeps the groups";
  raw().IAeverButton35Click();
  Groups(1, "D3A3B8004142----");
  EXPECT_EQ(raw().RawCount(), 4) << "Run appends";
  EXPECT_EQ(raw().Lines().back(), "D3A3 B800 4142 ---- 11B 000000 00000 'AB' ----");
  raw().IAeverButton38Click();
  EXPECT_EQ(raw().ByteCounterText(), "0 bytes");
}

TEST_F(RawCaptureTest, FrequencyChangeClearsAndBandscanStoresNothing) {
  ConnectSerial();
  Groups(2);
  ASSERT_EQ(raw().RawCount(), 2);
  Receive(Section("Frequency", " 98.50 MHz"));
  EXPECT_EQ(raw().RawCount(), 0);
  app.link.bulk.hooks.BandscanRunning = [] { return true; };
  Groups(2);
  EXPECT_EQ(raw().RawCount(), 0);
}

TEST_F(RawCaptureTest, FullBufferTakesNoMoreAndStopsOnARandomGroup) {
  ConnectSerial();
  for (int i = 0; i < RawCapture::kCapacity; ++i) raw().StoreRawGroup("2F01040841424344");
  EXPECT_EQ(raw().ByteCounterText(), "131072 bytes");
  raw().StoreRawGroup("2F01040841424344");
  EXPECT_EQ(raw().RawCount(), RawCapture::kCapacity);

  std::vector<double> draws = {0.5, 0.9, 0.95};
  raw().Random = [&draws] {
    const double d = draws.front();
    draws.erase(draws.begin());
    return d;
  };
  raw().RawCapturing = true;
  Groups(2);
  EXPECT_TRUE(raw().RawCapturing) << "0.5 and 0.9 do not stop";
  Groups(1);
  EXPECT_FALSE(raw().RawCapturing);
  EXPECT_EQ(Written().back(), "*r");
  EXPECT_EQ(raw().ByteCounterText(), "131072 bytes");
}

TEST_F(RawCaptureTest, ViewShowsTheLinesUntilTheNextRdsSection) {
  raw().StoreRawGroup("2F01040841424344");
  raw().GradBtn44Click();
  EXPECT_EQ(app.rds.data.TextBox(),
            std::vector<std::string>{"2F01 0408 4142 4344  0A 100000 01000 'AB' 'CD'"});
  app.rds.data.StoreRdsField("PI", "D3A3");
  EXPECT_EQ(app.rds.data.TextBox()[1], "PI: D3A3");
}

TEST_F(RawCaptureTest, SaveWritesLinesAndAnEmptyCaptureAnEmptyFile) {
  ASSERT_TRUE(raw().SaveRawData("empty.txt")) << "relative names go to the program folder";
  EXPECT_TRUE(std::filesystem::exists(folder.Path() + "empty.txt"));
  EXPECT_EQ(ReadFile(folder.Path() + "empty.txt"), "");

  ConnectSerial();
  Receive(Section("Frequency", " 98.50 MHz"));
  raw().StoreRawGroup("2F01040841424344");
  raw().StoreRawGroup("2F010408----4344");
  dialogs.SaveAnswers.push_back(folder.Path() + "raw.txt");
  raw().IAeverButton37Click();
  EXPECT_EQ(dialogs.SaveProposals.back(), folder.Path() + "Raw RDS Data  98.50 MHz.txt");
  EXPECT_EQ(ReadFile(folder.Path() + "raw.txt"),
            "2F01 0408 4142 4344  0A 100000 01000 'AB' 'CD'\r\n"
            "2F01 0408 ---- 4344  0A 100000 01000 ---- 'CD'\r\n");
  EXPECT_FALSE(raw().SaveRawData(folder.Path() + "no/such/folder.txt"));
  EXPECT_TRUE(dialogs.Messages.empty()) << "the script path stays silent";
  EXPECT_EQ(app.status.Text(), "");
  // "Save" tells its failure as every save does: in the status bar.
  dialogs.SaveAnswers.push_back(folder.Path() + "no/such/folder.txt");
  raw().IAeverButton37Click();
  EXPECT_EQ(app.status.Text(), "Can't write to file " + folder.Path() + "no/such/folder.txt");
  EXPECT_TRUE(dialogs.Messages.empty());
}

// --- Real off-air logs (RDS Spy hex format, recorded from real stations;
// see data/rds/README.md in the shared folder).

std::vector<std::string> SpyGroups(const std::string& name) {
  std::vector<std::string> groups;
  std::istringstream in(ReadFile(std::string(SONDARO_SHARED_DIR) + "/data/rds/" + name));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '<') continue;  // header lines, also mid-file
    // "D3A3 E555 6E4C D301 @2019/05/04 20:15:21.52"
    groups.push_back(line.substr(0, 4) + line.substr(5, 4) + line.substr(10, 4) +
                     line.substr(15, 4));
  }
  return groups;
}

class RawCaptureLogTest : public RawCaptureTest {
 protected:
  // Streams the log as "G" sections, 40 at a time, and saves the capture.
  std::string CaptureAndSave(const std::vector<std::string>& groups) {
    ConnectSerial();
    raw().IAeverButton35Click();
    for (std::size_t i = 0; i < groups.size(); i += 40) {
      std::string bytes;
      for (std::size_t j = i; j < std::min(groups.size(), i + 40); ++j)
        bytes += Section("G", groups[j]);
      Receive(bytes, 40 * 20 + 100);
    }
    EXPECT_EQ(raw().RawCount(), static_cast<int>(groups.size()));
    dialogs.SaveAnswers.push_back(folder.Path() + "capture.txt");
    raw().IAeverButton37Click();
    return ReadFile(folder.Path() + "capture.txt");
  }
};

TEST_F(RawCaptureLogTest, GermanStationWithLostBlocksDecodesToItsName) {
  if (!std::filesystem::exists(SONDARO_SHARED_DIR)) GTEST_SKIP() << "no shared data";
  const auto groups = SpyGroups("D3A3-rtplus-de.spy");
  ASSERT_EQ(groups.size(), 752u);
  const std::string text = CaptureAndSave(groups);
  const auto names = PsNamesFromRawText(text, 0xD3A3);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.begin()->first, "  SWR3  ");
  EXPECT_EQ(names.size(), 1u);
  // Every lost block of the log shows as "----" in its line.
  std::size_t lostInLog = 0, lostInFile = 0;
  for (const auto& g : groups)
    for (std::size_t p = 0; (p = g.find("----", p)) != std::string::npos; p += 4) ++lostInLog;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    for (std::size_t p = 0; p < 20; p += 5) lostInFile += line.compare(p, 4, "----") == 0;
  EXPECT_EQ(lostInFile, lostInLog);
}

TEST_F(RawCaptureLogTest, RbdsStationRotatesItsName) {
  if (!std::filesystem::exists(SONDARO_SHARED_DIR)) GTEST_SKIP() << "no shared data";
  const auto names = PsNamesFromRawText(CaptureAndSave(SpyGroups("5CBC-rbds-us.spy")), 0x5CBC);
  for (const char* expected : {"NEWS    ", "WEATHER ", "WDBO    ", "96.5    "})
    EXPECT_TRUE(names.contains(expected)) << expected;
}

TEST_F(RawCaptureLogTest, FaultyCoderWithHeaderLinesInsideStillCapturesEveryGroup) {
  if (!std::filesystem::exists(SONDARO_SHARED_DIR)) GTEST_SKIP() << "no shared data";
  const auto groups = SpyGroups("E220-buggy-coder-se.spy");
  ASSERT_EQ(groups.size(), 407u);
  const auto names = PsNamesFromRawText(CaptureAndSave(groups), 0xE220);
  EXPECT_TRUE(names.contains("  NRJ   "));
}

}  // namespace
}  // namespace sondaro
