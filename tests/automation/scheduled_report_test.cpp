// The scheduler, a script and the report together on the simulated analyzer
// in virtual time: a task runs a script that measures and writes a report
// every minute.
#include <filesystem>

#include "automation/automation_fixture.h"
#include "core/formats.h"
#include "support/sim_fixture.h"

namespace sondaro {
namespace {

class ScheduledReport : public test::SimFixture {
 protected:
  void SetUp() override { saved_ = Formats(); }
  void TearDown() override {
    Formats() = saved_;
    std::filesystem::remove_all(folder);
  }
  std::string folder = test::TempFolder();
  FormatSettings saved_;
};

TEST_F(ScheduledReport, ATaskWritesAReportEveryMinute) {
  ConnectSerial();
  test::WriteFile(folder + "report.fms",
                  "GETFREQUENCY\r\nFREQUENCYDEVIATION.ACQUIRE\r\nRDS.GETDATA\r\n"
                  "CREATEREPORT(" + folder + "report %time.txt)\r\n");
  // The virtual clock starts on Monday 2024-01-15 at 12:00:00.
  ScheduledTask& task = app.scheduler.Task(1);
  task.Text = folder + "report.fms";
  task.Days = 0x7F;
  task.Times[0] = {12, 1};
  task.Times[1] = {12, 2};
  app.scheduler.SchedulerEnabled = true;
  Advance(3 * 60000);

  std::vector<std::string> reports;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().extension() == ".txt") reports.push_back(e.path().filename().string());
  std::sort(reports.begin(), reports.end());
  // Named when the script reaches its report line, a few seconds into the
  // minute.
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].substr(0, 13), "report 12-01-");
  EXPECT_EQ(reports[1].substr(0, 13), "report 12-02-");

  const std::string text = test::ReadFile(folder + reports[1]);
  EXPECT_EQ(text.find("Sondaro 1.3c - Report 2024-01-15 12:02:0"), 64u);
  const std::string frequency = "\r\nFrequency:        " + app.link.state.FrequencyText + "\r\n";
  EXPECT_FALSE(app.link.state.FrequencyText.empty());
  EXPECT_NE(text.find(frequency), std::string::npos);
  EXPECT_NE(text.find("\r\nTotal samples: " + std::to_string(app.deviation.TotalSamples) + "\r\n"),
            std::string::npos);
  EXPECT_GT(app.deviation.TotalSamples, 0);
  EXPECT_NE(text.find("\r\nPS: " + app.rds.data.Data().PS + "\r\n"), std::string::npos);
  EXPECT_NE(text.find("Accumulated Distribution Data of Deviation:"), std::string::npos);
}

}  // namespace
}  // namespace sondaro
