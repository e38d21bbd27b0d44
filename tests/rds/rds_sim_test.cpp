// The RDS page and the raw capture against the simulated analyzer: what a
// user sees after "Acquire", and a raw capture that decodes to the station.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/command_set.h"
#include "rds_fixture.h"
#include "sim/sim_link.h"

namespace sondaro {
namespace {

class RdsSimTest : public ::testing::Test {
 protected:
  RdsSimTest() { ports.Attach(app.timers); }
  ~RdsSimTest() override { ports.Detach(); }

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  void Connect() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    Advance(1500);
  }
  // RDS mode, time for the analyzer's decoder to see every group type, then
  // the page's "Acquire".
  void ListenAndAcquire() {
    app.tuning.IAeverButton33Click();
    Advance(20000);
    app.rds.data.IAeverButton32Click();
    Advance(5000);
  }
  [[nodiscard]] std::string Line(const std::string& prefix) const {
    for (const auto& l : app.rds.data.TextBox())
      if (l.starts_with(prefix)) return l;
    return "(no " + prefix + " line)";
  }

  VirtualClock clock;
  test::ScriptedDialogs dialogs;
  test::TempDir folder;
  sim::SimulatedAnalyzerPorts ports{clock};
  App app{AppPorts{.clock = clock,
                   .serial = ports.Serial(),
                   .tcp = ports.Tcp(),
                   .dialogs = dialogs,
                   .appFolder = folder.Path(),
                   .userConfigFolder = folder.Path()}};
};

TEST_F(RdsSimTest, AcquireFillsThePageWithTheStation) {
  Connect();  // tuned to the first station, 87.60 MHz
  ListenAndAcquire();
  EXPECT_EQ(Line("PS: "), "PS: \"RADIO 1 \"");
  EXPECT_EQ(Line("PI: "), "PI: D301");
  EXPECT_EQ(Line("PTY: "), "PTY: 10 (Pop M)");
  EXPECT_EQ(Line("TP: "), "TP: 1");
  EXPECT_EQ(Line("AF: "), "AF: 87.6, 96.3, 102.1 MHz");
  EXPECT_EQ(Line("ECC: "), "ECC: E0");
  EXPECT_EQ(Line("RT: "), "RT: Radio 1 - the best hits of today and yesterday");
  EXPECT_EQ(Line("EON: "), "EON: D302 REGIO 2, D3C1 TRAFFIC");
  const auto& box = app.rds.data.TextBox();
  ASSERT_EQ(box.size(), 23u) << "a clean station has no report";
  EXPECT_EQ(box[14], "Group statistics:");
  EXPECT_TRUE(box[15].starts_with(" 0A:")) << box[15];
  EXPECT_TRUE(box[19].starts_with(" 0B:")) << box[19];
}

TEST_F(RdsSimTest, FaultyEncoderIsReportedOnThePage) {
  Connect();
  app.link.Send(TuneCommand("105.50 MHz"));
  Advance(3000);
  ASSERT_EQ(Line("PS: "), "PS: \"\"") << "the new frequency cleared the page";
  ListenAndAcquire();
  const auto& box = app.rds.data.TextBox();
  const std::vector<std::string> report(box.begin() + 23, box.end());
  EXPECT_EQ(report,
            (std::vector<std::string>{
                "", "Errors: 4",
                "PI indicates local station but more than one frequency was found in AF list.",
                "PI can't begin with 0.",
                "TP and TA flags indicate EON presence but no EON information was found.",
                "Invalid ECC.", "", "Warnings: 1",
                "PTY 31 (Alarm!) reserved for special purposes."}));
}

TEST_F(RdsSimTest, RawCaptureSavedToAFileDecodesToTheStationName) {
  Connect();
  app.rds.raw.IAeverButton35Click();
  Advance(5000);
  app.rds.raw.IAeverButton36Click();
  Advance(1000);
  const int count = app.rds.raw.RawCount();
  EXPECT_GT(count, 40) << "about 11.4 groups a second";
  EXPECT_EQ(app.rds.raw.ByteCounterText(), std::to_string(count * 8) + " bytes");
  dialogs.SaveAnswers.push_back(folder.Path() + "raw.txt");
  app.rds.raw.IAeverButton37Click();
  EXPECT_EQ(dialogs.SaveProposals.back(),
            folder.Path() + "Raw RDS Data " + app.link.state.FrequencyText + ".txt");

  // Decoded independently of the program, as a receiver would.
  const std::string text = test::ReadFile(folder.Path() + "raw.txt");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), count);
  const auto names = test::PsNamesFromRawText(text, 0xD301);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.begin()->first, "RADIO 1 ");
  EXPECT_EQ(names.size(), 1u);
}

}  // namespace
}  // namespace sondaro
