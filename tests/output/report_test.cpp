// The measurement report: every line against a golden text, the rules that
// change lines, the save dialog, CREATEREPORT, and a write cut short.
#include "output/report.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cmath>

#include "core/formats.h"
#include "support/app_fixture.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::FileExists;
using test::ReadFile;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& p : pieces) text += p;
  return text;
}

// A station measured for a while: every section has something to show.
ReportValues Measured() {
  ReportValues v;
  v.FrequencyText = "98.50 MHz";
  v.QualityText = "    4";
  v.PilotText = "6.83 kHz";
  v.RdsDeviationText = "3.41 kHz";
  v.PhaseText = "-2.5 deg";
  v.IfValid = true;
  v.IfKHz = 325.4f;
  v.FrequencyMHz = 98.5f;
  v.LevelInDbuv = true;
  v.CarrierNormalKHz = 324.9f;
  v.ReferenceFrequencyMHz = 101.3f;
  v.Bins[10] = 1;
  v.Bins[20] = 3;
  v.MinKHz = 10;
  v.MaxAtKHz = 20;
  v.TotalSamples = 4;
  v.AboveThresholdKHz = 76;
  v.AbovePercent = 0;
  v.TotalTimeText = "Total time: 0:00:00";
  v.PmMax = 2.34f;
  v.PmMin = -12.06f;
  v.PmAve = -4.126f;
  v.PmCount = 3725;
  v.LastValueText = "Last value: -3.9 dBr";
  v.Rds = ClearedRdsData();
  v.Rds.PS = "SONDARO ";
  v.Rds.PI = "2F1A";
  v.Rds.RT = "Hello";
  v.Rds.GroupStatsA = {"a1", "a2", "a3", "a4"};
  v.Rds.GroupStatsB = {"b1", "b2", "b3", "b4"};
  v.ErrorsAndWarnings = "\r\nErrors: 1\r\nPI can't begin with 0.";
  return v;
}

class ReportText : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = Formats(); }
  void TearDown() override { Formats() = saved_; }

 private:
  FormatSettings saved_;
};

TEST_F(ReportText, GoldenUpToTheAnnexes) {
  const ReportValues v = Measured();
  const std::vector<std::string> lines =
      SplitLines(Joined(ReportPieces(v, "2024-01-15", "9:05:03")));
  const std::vector<std::string> golden = {
      std::string(62, '='),
      "Sondaro 1.3c - Report 2024-01-15 9:05:03",
      std::string(62, '='),
      "M40/M140 FM Broadcast Analyzer" + std::string(14, ' ') + "https://sondaro.example",
      "",
      "",
      "Frequency:        98.50 MHz",
      "Signal quality:     4/5 (Good)",
      "Carrier offset:    0.5 kHz (reference station: 101.30 MHz)",
      "",
      "",
      "---/ Frequency Deviation \\" + std::string(36, '-'),
      "",
      "MIN Hold: 10 kHz",
      "% above 76 kHz: 0.0",
      "Max at: 20 kHz",
      "Total samples: 4",
      "Total time: 0:00:00",
      "",
      "Pilot deviation: 6.83 kHz",
      "RDS deviation: 3.41 kHz",
      "Phase difference: -2.5 deg",
      "",
      "",
      "---/ Modulation Power \\" + std::string(39, '-'),
      "",
      "MAX: 2.3 dBr",
      "MIN: -12.1 dBr",
      "AVE: -4.13 dBr",
      "Measuring time: 1:02:05",
      "Last value: -3.9 dBr",
      "",
      "",
      "---/ Radio Data System \\" + std::string(38, '-'),
      "",
      "PS: SONDARO ",
      "PI: 2F1A",
      "PTY: " + v.Rds.PTY,
      "TP: " + v.Rds.TP,
      "TA: " + v.Rds.TA,
      "MS: " + v.Rds.MS,
      "DI: " + v.Rds.DI,
      "RT: Hello",
      "CT: " + v.Rds.CT,
      "AF: " + v.Rds.AF,
      "EON: " + v.Rds.EON,
      "ECC: " + v.Rds.ECC,
      "PTYN: " + v.Rds.PTYN,
      "",
      "Group statistics:",
      "a1", "a2", "a3", "a4", "b1", "b2", "b3", "b4",
      // The consistency text carries its own line ends, none after its last
      // line; the annexes' empty lines follow directly.
      "",
      "Errors: 1",
      "PI can't begin with 0.",
      "",
      "---/ Annexes \\" + std::string(48, '-'),
      "",
      "Histogram Data of Deviation:",
      "kHz;",
      "0;0",
  };
  ASSERT_GE(lines.size(), golden.size());
  for (std::size_t i = 0; i < golden.size(); ++i) EXPECT_EQ(lines[i], golden[i]) << "line " << i + 1;
}

TEST_F(ReportText, AnnexesHoldBothTablesOnlyWithSamples) {
  ReportValues v = Measured();
  std::vector<std::string> lines = SplitLines(Joined(ReportPieces(v, "d", "t")));
  const auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  const auto histogram = at("kHz;");
  ASSERT_LT(histogram, static_cast<long>(lines.size()));
  EXPECT_EQ(lines[histogram + 11], "10;1");
  EXPECT_EQ(lines[histogram + 122], "121;0");
  EXPECT_EQ(lines[histogram + 123], "");
  EXPECT_EQ(lines[histogram + 124], "Accumulated Distribution Data of Deviation:");
  const auto accumulated = at("kHz;%");
  // 4 samples: one at 10 kHz, three at 20 kHz; the whole percentage above k.
  const std::vector<std::pair<int, std::string>> expected = {
      {0, "0;100"}, {9, "9;100"}, {10, "10;75"}, {19, "19;75"}, {20, "20;0"}, {121, "121;0"}};
  for (const auto& [k, line] : expected) EXPECT_EQ(lines[accumulated + 1 + k], line);
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(accumulated + 1 + 122));

  v.Bins = {};  // nothing measured: 122 zero lines, no accumulated table
  lines = SplitLines(Joined(ReportPieces(v, "d", "t")));
  EXPECT_EQ(lines.back(), "121;0");
  EXPECT_EQ(at("kHz;%"), static_cast<long>(lines.size()));
}

TEST_F(ReportText, HeadingsAreSixtyTwoWide) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"Frequency Deviation", 36}, {"Modulation Power", 39}, {"Radio Data System", 38},
      {"Annexes", 48}};
  for (const auto& [title, hyphens] : cases) {
    const std::string h = SectionHeading(title);
    EXPECT_EQ(h.size(), 62u) << title;
    EXPECT_EQ(h.substr(h.size() - hyphens), std::string(hyphens, '-')) << title;
    EXPECT_EQ(h[h.size() - hyphens - 1], '\\') << title;
  }
}

// Each rule that changes a line: what the values are, and the line they give
// (or that no line of that start appears).
struct LineRule {
  const char* name;
  void (*change)(ReportValues&);
  const char* prefix;  // the line that starts so
  const char* line;    // nullptr: no such line
};

const LineRule kLineRules[] = {
    {"offset", [](ReportValues&) {}, "Carrier offset:",
     "Carrier offset:    0.5 kHz (reference station: 101.30 MHz)"},
    {"offset without dBuV levels moves with the frequency",
     [](ReportValues& v) { v.LevelInDbuv = false; }, "Carrier offset:",
     "Carrier offset:    3.5 kHz (reference station: 101.30 MHz)"},
    {"no offset without a valid IF", [](ReportValues& v) { v.IfValid = false; }, "Carrier offset:",
     nullptr},
    {"no offset without a normal", [](ReportValues& v) { v.CarrierNormalKHz = 0; },
     "Carrier offset:", nullptr},
    {"no offset on the reference station", [](ReportValues& v) { v.FrequencyMHz = 101.3f; },
     "Carrier offset:", nullptr},
    {"no offset with IF at 270", [](ReportValues& v) { v.IfKHz = 270; }, "Carrier offset:", nullptr},
    {"no offset below the band", [](ReportValues& v) { v.FrequencyMHz = 87; }, "Carrier offset:",
     nullptr},
    {"quality 0", [](ReportValues& v) { v.QualityText = "    0"; }, "Signal quality:",
     "Signal quality:     0/5 (No signal)"},
    {"quality 1", [](ReportValues& v) { v.QualityText = "    1"; }, "Signal quality:",
     "Signal quality:     1/5 (Useless)"},
    {"quality 2", [](ReportValues& v) { v.QualityText = "    2"; }, "Signal quality:",
     "Signal quality:     2/5 (Useless)"},
    {"quality 3", [](ReportValues& v) { v.QualityText = "    3"; }, "Signal quality:",
     "Signal quality:     3/5 (Poor)"},
    {"quality 5", [](ReportValues& v) { v.QualityText = "    5"; }, "Signal quality:",
     "Signal quality:     5/5 (Excellent)"},
    {"quality of four characters", [](ReportValues& v) { v.QualityText = "   5"; },
     "Signal quality:", "Signal quality:    5/5 (Unknown)"},
    {"quality never read", [](ReportValues& v) { v.QualityText.clear(); }, "Signal quality:",
     "Signal quality: /5 (Unknown)"},
    {"quality other character", [](ReportValues& v) { v.QualityText = "    x"; },
     "Signal quality:", "Signal quality:     x/5 (Unknown)"},
    {"no phase", [](ReportValues& v) { v.PhaseText.clear(); }, "No phase",
     "No phase relation found."},
    {"percentage not computed", [](ReportValues& v) { v.AbovePercent = -1; }, "% above",
     "% above 76 kHz: -1.0"},
    {"power never measured", [](ReportValues& v) { v.PmCount = 0; }, "Measuring time:",
     "Measuring time: 0:00:00"},
    {"a reading that is no number", [](ReportValues& v) { v.PmAve = std::nanf(""); }, "AVE:",
     "AVE: - dBr"},
    {"frequency never read", [](ReportValues& v) { v.FrequencyText.clear(); }, "Frequency:",
     "Frequency:        "},
};

TEST_F(ReportText, RulesThatChangeLines) {
  for (const LineRule& rule : kLineRules) {
    ReportValues v = Measured();
    rule.change(v);
    const std::vector<std::string> lines = SplitLines(Joined(ReportPieces(v, "d", "t")));
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.rfind(rule.prefix, 0) == 0;
    });
    if (!rule.line) {
      EXPECT_EQ(it, lines.end()) << rule.name;
      // The header block then ends straight in its empty line.
      EXPECT_EQ(lines[8], "") << rule.name;
    } else {
      ASSERT_NE(it, lines.end()) << rule.name;
      EXPECT_EQ(*it, rule.line) << rule.name;
    }
  }
}

TEST_F(ReportText, DecimalSeparatorOfTheSystem) {
  Formats().DecimalSeparator = ',';
  const std::string text = Joined(ReportPieces(Measured(), "d", "t"));
  EXPECT_NE(text.find("\r\nAVE: -4,13 dBr\r\n"), std::string::npos);
  EXPECT_NE(text.find("(reference station: 101,30 MHz)"), std::string::npos);
}

// The report through the App: values from the stores, the file, the dialog
// and the script keyword.
class ReportInApp : public test::AppFixture {
 protected:
  void SetUp() override {
    saved_ = Formats();
    app.link.state.FrequencyText = "98.50 MHz";
    app.link.state.QualityText = "    5";
    HistogramCounts bins{};
    bins[40] = 7;
    app.deviation.StoreHistogram(bins);
    app.power.StorePmValue(-3.0f);
    app.power.StorePmValue(-5.0f);
  }
  void TearDown() override { Formats() = saved_; }
  test::TempDir dir;
  FormatSettings saved_;
};

TEST_F(ReportInApp, MakeReportSwitchesToItsTimeFormForTheRestOfTheRun) {
  clock.Set(clock.Now() + JoinWall(2024, 1, 16, 9, 5, 3) - clock.WallNow());
  UseScriptLineFormats();  // as after a script line
  ASSERT_TRUE(app.report.MakeReport(dir / "r.txt"));
  const std::vector<std::string> lines = SplitLines(ReadFile(dir / "r.txt"));
  EXPECT_EQ(lines[1], "Sondaro 1.3c - Report 2024-01-16 9:05:03");
  EXPECT_EQ(lines[7], "Signal quality:     5/5 (Excellent)");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "40;7"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "MAX: -3.0 dBr"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Measuring time: 0:00:02"), lines.end());
  // The report's forms stay in force for what the program shows later.
  EXPECT_EQ(TimeToStr(clock.WallNow()), "9:05:03");
  EXPECT_EQ(DateToStr(clock.WallNow()), "2024-01-16");
}

TEST_F(ReportInApp, ARelativePathIsInTheProgramFolder) {
  Report report(clock, dir.Path(), app.link.state, app.deviation, app.power,
                app.rds.data.Data(), app.rds.textDialog);
  ASSERT_TRUE(report.MakeReport("relative.txt"));
  EXPECT_TRUE(FileExists(dir / "relative.txt"));
}

TEST_F(ReportInApp, AWriteCutShortKeepsWhatWasWritten) {
  // The file may grow to 1000 bytes; the report is longer.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool ok = app.report.MakeReport(dir / "short.txt");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(ok);
  ASSERT_TRUE(app.report.MakeReport(dir / "full.txt"));
  const std::string part = ReadFile(dir / "short.txt");
  const std::string full = ReadFile(dir / "full.txt");
  EXPECT_EQ(part.size(), 1000u);
  EXPECT_EQ(full.substr(0, part.size()), part);
}

class CompleteReport : public ::testing::Test {
 protected:
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  test::SaveDialogs dialogs;
  test::TempDir dir;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
  App app{AppPorts{clock, serial, tcp, dialogs}};
#pragma GCC diagnostic pop
  std::string start = dir.Path();
  void SetUp() override { app.rds.textDialog.SetFolder(start); }
};

TEST_F(CompleteReport, ProposesTheFrequencyAndFollowsTheChosenFolder) {
  app.link.state.FrequencyText = "98.50 MHz";
  std::filesystem::create_directories(dir / "out");
  dialogs.Answer = dir / "out/weekly";  // typed without an extension
  app.report.CompleteReport1Click();
  ASSERT_EQ(dialogs.SaveShown.size(), 1u);
  EXPECT_EQ(dialogs.SaveShown[0].Proposal, start + "Report 98.50 MHz.txt");
  EXPECT_EQ(dialogs.SaveShown[0].Filter, "Text file (*.txt)");
  EXPECT_TRUE(FileExists(dir / "out/weekly.txt"));
  EXPECT_EQ(app.rds.textDialog.Folder, dir / "out/");

  app.link.state.FrequencyText.clear();  // nothing proposed
  dialogs.Answer.clear();                // and cancelled: nothing changes
  app.report.CompleteReport1Click();
  EXPECT_EQ(dialogs.SaveShown[1].Proposal, dir / "out/");
  EXPECT_EQ(app.rds.textDialog.Folder, dir / "out/");
}

TEST_F(CompleteReport, AFailedWriteIsToldAndKeepsTheStartFolder) {
  dialogs.Answer = dir / "missing/report.txt";
  app.report.CompleteReport1Click();
  EXPECT_EQ(app.rds.textDialog.Folder, start);
  EXPECT_EQ(app.status.Text(), "Can't write to file " + dir / "missing/report.txt");
}

TEST_F(CompleteReport, CreateReportFromAScript) {
  const std::string script = dir / "make.fms";
  std::ofstream(script) << "CREATEREPORT(" << dir / "from-script.txt" << ")\r\n"
                        << "CREATEREPORT(" << dir / "missing/x.txt" << ")\r\n";
  app.automation.script.ExeScript(script);
  AdvanceVirtual(clock, app.timers, 2000);
  EXPECT_NE(ReadFile(dir / "from-script.txt").find("---/ Annexes \\"), std::string::npos);
  // Debug mode is on: the failed one is reported with its line.
  ASSERT_FALSE(dialogs.Messages.empty());
  EXPECT_EQ(dialogs.Messages.back(),
            "Script executing error: Can't write to file " + dir / "missing/x.txt" + " (line 2)");
}

}  // namespace
}  // namespace sondaro
