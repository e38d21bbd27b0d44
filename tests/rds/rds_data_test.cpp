// RDS values: the transformations of each section, the group statistics,
// the page text and its buttons.
#include <gtest/gtest.h>

#include "rds/rds_data.h"
#include "rds_fixture.h"

namespace sondaro {
namespace {

using test::ReadFile;
using test::RdsAppFixture;
using test::Section;

TEST(PtyTest, CodeAndNameFromEitherTable) {
  struct Case {
    const char* value;
    bool us;
    const char* expected;
  } cases[] = {
      {"10", false, "10 (Pop M)"},      {"10", true, "10 (Country)"},
      {" 31", false, "31 (Alarm!)"},    {" 31", true, "31 (ALERT !)"},
      {"0", false, "0 (No PTY)"},       {"29", true, "29 (Weather)"},
      {"24", true, "24 ((24))"},        {"45", false, "0 (No PTY)"},
      {"-1", false, "0 (No PTY)"},      {"News", false, "0 (No PTY)"},
      {"", true, "0 (No PTY)"},         {"  5", false, "5 (Educate)"},  // a second blank is read
      {"7 ", false, "0 (No PTY)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatPty(c.value, c.us), c.expected) << "'" << c.value << "' us=" << c.us;
}

TEST(PtyTest, TablesHaveEveryName) {
  for (std::size_t i = 0; i < 32; ++i) {
    EXPECT_NE(std::string(PtyNamesRds[i]), "") << i;
    EXPECT_NE(std::string(PtyNamesRbds[i]), "") << i;
  }
  EXPECT_STREQ(PtyNamesRds[30], "TEST");
  EXPECT_STREQ(PtyNamesRbds[16], "R & B");
  EXPECT_STREQ(PtyNamesRbds[21], "Personality");
}

TEST(AfEonEccTest, Transformations) {
  EXPECT_EQ(FormatAf("87.6 MHz\r\n98.5 MHz"), "87.6, 98.5 MHz");
  EXPECT_EQ(FormatAf(" 87.6 MHz\r\n 98.5 MHz\r\n107.9 MHz"), "87.6, 98.5, 107.9 MHz");
  // One pass: three blanks after the comma leave two.
  EXPECT_EQ(FormatAf("87.6 MHz\r\n  98.5 MHz"), "87.6,  98.5 MHz");
  EXPECT_EQ(FormatAf("  87.6 MHz"), " 87.6 MHz") << "one leading blank removed";
  EXPECT_EQ(FormatAf(""), "");

  EXPECT_EQ(FormatEon(""), "-");
  EXPECT_EQ(FormatEon("D301 SWR1\r\nD302 SWR2"), "D301 SWR1, D302 SWR2");
  EXPECT_EQ(FormatEon("\r\n"), ", ");

  EXPECT_EQ(FormatEcc("00"), "-");
  EXPECT_EQ(FormatEcc("E0"), "E0");
  EXPECT_EQ(FormatEcc("0"), "0");
}

// The analyzer's layout: "%2d%c: %7u" per group type, CR LF between.
std::string StatSlot(int type, char version, unsigned count) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2d%c: %7u", type, version, count);
  return buf;
}

TEST(GroupStatisticsTest, NineVersionAEntriesFillTwoLinesAndOne) {
  std::string body;
  for (int t = 0; t < 9; ++t) body += (t ? "\r\n" : "") + StatSlot(t, 'A', 100u * t);
  const GroupStats s = ParseGroupStatistics(body);
  EXPECT_EQ(s.A[0], " 0A:      0,  1A:    100,  2A:    200,  3A:    300");
  EXPECT_EQ(s.A[1], " 4A:    400,  5A:    500,  6A:    600,  7A:    700");
  EXPECT_EQ(s.A[2], " 8A:    800");
  EXPECT_EQ(s.A[3], "");
  for (const auto& line : s.B) EXPECT_EQ(line, "");
}

TEST(GroupStatisticsTest, FullReplySplitsVersionsAndKeepsTheRestOnLineFour) {
  std::string body;
  for (char v : {'A', 'B'})
    for (int t = 0; t < 16; ++t) body += (body.empty() ? "" : "\r\n") + StatSlot(t, v, 7);
  const GroupStats s = ParseGroupStatistics(body);
  EXPECT_EQ(s.A[3], "12A:      7, 13A:      7, 14A:      7, 15A:      7");
  EXPECT_EQ(s.B[0], " 0B:      7,  1B:      7,  2B:      7,  3B:      7");
  EXPECT_EQ(s.B[3], "12B:      7, 13B:      7, 14B:      7, 15B:      7");
}

TEST(GroupStatisticsTest, StopsAtTheFirstBadSlotAndTakesSemicolons) {
  // Semicolon separators read like colons; the fourth slot is garbled.
  const std::string body = " 0A; 1234567\r\n 0B: 0000012\r\n 2A: 0000003\r\nxx?: 0000004\r\n"
                           " 4A: 0000005";
  const GroupStats s = ParseGroupStatistics(body);
  EXPECT_EQ(s.A[0], " 0A:1234567,  2A:0000003");
  EXPECT_EQ(s.B[0], " 0B:0000012");
  EXPECT_EQ(ParseGroupStatistics("garbage").A[0], "");
  // A last slot cut short still counts: its first 11 characters are shown.
  EXPECT_EQ(ParseGroupStatistics(" 0A: 12").A[0], " 0A:12");
}

class RdsStoreTest : public RdsAppFixture {
 protected:
  const RdsData& Data() { return app.rds.data.Data(); }
  void Store(const std::string& tag, const std::string& value) {
    app.rds.data.StoreRdsField(tag, value);
  }
};

TEST_F(RdsStoreTest, EachTagStoresItsFieldAndRebuildsThePage) {
  EXPECT_TRUE(app.rds.data.TextBox().empty()) << "nothing before the first reset or section";
  Store("DI", " 1");
  Store("CT", " 12:34");
  Store("PS", "  SWR3  ");
  Store("PI", "D3A3");
  Store("TP", "1");
  Store("TA", "0");
  Store("MS", "1");
  Store("ECC", "00");
  Store("PTYN", "ROCKPOP");
  Store("RT", "Now playing");
  Store("PTY", " 10");
  Store("Fast Signal Info", "ignored");
  EXPECT_EQ(Data().DI, "1");
  EXPECT_EQ(Data().CT, "12:34");
  EXPECT_EQ(Data().PS, "  SWR3  ");
  EXPECT_EQ(Data().ECC, "-");
  EXPECT_EQ(Data().PTY, "10 (Pop M)");
  EXPECT_EQ(Data().AF, "") << "untouched fields keep their start value";
  const auto& box = app.rds.data.TextBox();
  ASSERT_GE(box.size(), 13u);
  EXPECT_EQ(box[0], "PS:   SWR3  ");
  EXPECT_EQ(box[2], "PTY: 10 (Pop M)");
  EXPECT_EQ(box[12], "RT: Now playing");

  // The setting is read when a PTY section arrives, not before.
  app.rds.data.UsPtyCode = true;
  EXPECT_EQ(Data().PTY, "10 (Pop M)");
  Store("PTY", "10");
  EXPECT_EQ(Data().PTY, "10 (Country)");
}

TEST_F(RdsStoreTest, PageAfterResetShowsClearedValuesInOrder) {
  Store("PS", "X");
  app.rds.data.ProcessRDS(true);
  const std::vector<std::string> expected = {
      "PS: \"\"", "PI: -",  "PTY: -", "TP: -",   "TA: -",  "MS: -", "DI: -",
      "CT: --:--", "AF: -", "EON: -", "ECC: -",  "PTYN: -", "RT: -", "",
      "Group statistics:", "", "", "", "", "", "", "", ""};
  EXPECT_EQ(app.rds.data.TextBox(), expected);
}

TEST_F(RdsStoreTest, ReportFollowsTheStatisticsAfterAnEmptyLine) {
  app.rds.data.ProcessRDS(true);
  Store("PI", "FFFF");
  const auto& box = app.rds.data.TextBox();
  ASSERT_EQ(box.size(), 23u + 3u);
  EXPECT_EQ(box[22], "");  // last statistics line
  EXPECT_EQ(box[23], "");
  EXPECT_EQ(box[24], "Warnings: 1");
  EXPECT_EQ(box[25], "Factory default PI was detected (FFFF). Set right PI as soon as possible.");
}

TEST_F(RdsStoreTest, FrequencyChangeResetsThePageAfterTheMeasurementStores) {
  ConnectSerial();
  Store("PS", "OLD");
  Receive(Section("Frequency", " 98.50 MHz"));
  EXPECT_EQ(Data().PS, "\"\"");
  EXPECT_EQ(app.rds.data.TextBox()[0], "PS: \"\"");
  Store("PS", "NEW");
  Receive(Section("Frequency", " 98.50 MHz"));
  EXPECT_EQ(Data().PS, "NEW") << "the same frequency again resets nothing";
}

TEST_F(RdsStoreTest, AcquireQueuesFrequencyDataAndStatistics) {
  ConnectSerial();
  app.rds.data.IAeverButton32Click();
  Advance(3000);
  EXPECT_EQ(Written(), (std::vector<std::string>{"?F", "?D", "?T"}));
}

TEST_F(RdsStoreTest, SaveDataWritesTheTextBoxWithTheProposedName) {
  ConnectSerial();
  Receive(Section("Frequency", " 98.50 MHz"));
  Store("PS", "  SWR3  ");
  const std::string file = folder.Path() + "out/rds";
  std::filesystem::create_directories(folder.Path() + "out");
  dialogs.SaveAnswers.push_back(file);
  app.rds.data.IAeverButton31Click();
  ASSERT_EQ(dialogs.SaveProposals.size(), 1u);
  EXPECT_EQ(dialogs.SaveProposals[0], folder.Path() + "RDS  98.50 MHz.txt");
  EXPECT_EQ(dialogs.LastFilter, "Text file (*.txt)");
  const std::string text = ReadFile(file + ".txt");
  EXPECT_TRUE(text.starts_with("PS:   SWR3  \r\nPI: -\r\n")) << text;
  EXPECT_TRUE(text.ends_with("Group statistics:\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n")) << text;

  // The next dialog starts in the folder just used; cancelling writes nothing.
  app.rds.data.IAeverButton31Click();
  EXPECT_EQ(dialogs.SaveProposals[1], folder.Path() + "out/RDS  98.50 MHz.txt");
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(RdsStoreTest, SaveDataToAnUnwritablePlaceSaysSoInTheStatusBar) {
  dialogs.SaveAnswers.push_back(folder.Path() + "missing/folder/rds.txt");
  app.rds.data.IAeverButton31Click();
  EXPECT_EQ(dialogs.SaveProposals[0], folder.Path()) << "no frequency, no name proposed";
  EXPECT_EQ(app.status.Text(), "Can't write to file " + folder.Path() + "missing/folder/rds.txt");
  EXPECT_TRUE(dialogs.Messages.empty()) << "no box";
}

// The rule of every save dialog: a name made from a reading has no
// extension, gets ".txt", and the user is asked before that name replaces a
// file the dialog never showed.
TEST_F(RdsStoreTest, SaveDataAddsTheExtensionAndAsksBeforeReplacing) {
  ConnectSerial();
  Receive(Section("Frequency", " 98.50 MHz"));
  const std::string typed = folder.Path() + "RDS  98.50 MHz";
  for (int round = 0; round < 3; ++round) dialogs.SaveAnswers.push_back(typed);
  dialogs.Answers = {false, true};
  app.rds.data.IAeverButton31Click();  // new file: nothing to ask
  EXPECT_TRUE(dialogs.Questions.empty());
  ASSERT_TRUE(std::filesystem::exists(typed + ".txt"));
  std::filesystem::resize_file(typed + ".txt", 0);
  app.rds.data.IAeverButton31Click();  // exists: "No" keeps it
  ASSERT_EQ(dialogs.Questions.size(), 1u);
  EXPECT_EQ(dialogs.Questions[0], typed + ".txt already exists.\nDo you want to replace it?");
  EXPECT_EQ(std::filesystem::file_size(typed + ".txt"), 0u);
  app.rds.data.IAeverButton31Click();  // "Yes" replaces it
  EXPECT_GT(std::filesystem::file_size(typed + ".txt"), 0u);
  EXPECT_FALSE(std::filesystem::exists(typed)) << "never taken as having the extension \".50 MHz\"";
}

}  // namespace
}  // namespace sondaro
