// Recording while the simulated analyzer replays each off-air log: the file
// holds the log's groups in order, and reads back through the simulator's
// --rds-log reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "app/app.h"
#include "sim/rds.h"
#include "sim/sim_link.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

namespace fs = std::filesystem;

const std::string kLogs = std::string(SONDARO_SHARED_DIR) + "/data/rds/";

bool SameGroup(const sim::Group& a, const sim::Group& b) {
  if (a.Missing != b.Missing) return false;
  for (int i = 0; i < 4; ++i)
    if (!(a.Missing & (1 << i)) && a.Blocks[static_cast<std::size_t>(i)] != b.Blocks[static_cast<std::size_t>(i)])
      return false;
  return true;
}

// Where in the (looping) source the recording starts, if every recorded
// group follows the source in order from there.
std::optional<std::size_t> Alignment(const std::vector<sim::Group>& source,
                                     const std::vector<sim::Group>& recorded) {
  for (std::size_t start = 0; start < source.size(); ++start) {
    std::size_t i = 0;
    while (i < recorded.size() && SameGroup(recorded[i], source[(start + i) % source.size()])) ++i;
    if (i == recorded.size()) return start;
  }
  return std::nullopt;
}

class GroupLogReplay : public ::testing::TestWithParam<const char*> {
 protected:
  // One strong station, so the simulated reception loses nothing of its own.
  static sim::SimOptions Options(const test::TempDir& dir, const std::string& log) {
    std::ofstream(dir / "world.txt") << "[station]\nfreq = 98.50\nlevel = 100\n";
    sim::SimOptions o;
    o.WorldFile = dir / "world.txt";
    o.RdsLogFile = log;
    return o;
  }
};

TEST_P(GroupLogReplay, RecordedGroupsAreTheSourceInOrder) {
  const std::string source = kLogs + GetParam();
  if (!fs::exists(source)) GTEST_SKIP() << "no " << source;
  const sim::RdsLogLoad sourceLog = sim::LoadRdsLog(source);
  ASSERT_TRUE(sourceLog.Loaded) << sourceLog.Error;
  // A group with all four blocks lost never reaches the program: the
  // analyzer has no sync and reports nothing.
  std::vector<sim::Group> groups = sourceLog.Loaded->Groups;
  const std::size_t sent = groups.size();
  std::erase_if(groups, [](const sim::Group& g) { return g.Missing == 15; });

  test::TempDir dir;
  VirtualClock clock;
  SilentDialogs dialogs;
  sim::SimulatedAnalyzerPorts ports(clock, Options(dir, source));
  App app{AppPorts{.clock = clock, .serial = ports.Serial(), .tcp = ports.Tcp(),
                   .dialogs = dialogs, .appFolder = dir.Path()}};
  ports.Attach(app.timers);
  app.rds.groupLog.SetEnabled(true);
  app.link.connection.BitBtn2Click();
  AdvanceVirtual(clock, app.timers, 1500);
  app.rds.raw.IAeverButton35Click();  // "Run": the analyzer streams its groups
  // The whole log once and a little more, at 11.4 groups per second.
  const auto seconds = static_cast<Millis>(static_cast<double>(sent) / sim::kGroupsPerSecond) + 5;
  AdvanceVirtual(clock, app.timers, seconds * 1000);
  app.rds.raw.IAeverButton36Click();
  AdvanceVirtual(clock, app.timers, 1000);
  ports.Detach();

  const std::string file = app.rds.groupLog.CurrentFile();
  ASSERT_FALSE(file.empty());
  const std::string text = test::ReadFile(file);
  // A header first; every line a group (four blocks, " @", the time) or a
  // header, each ending in CR LF.
  ASSERT_TRUE(text.starts_with("<recorder=\"Sondaro\" date=\"2024-01-15\"")) << text.substr(0, 120);
  static const std::regex groupLine(
      R"(^((?:[0-9A-F]{4}|----) ){4}@2024/01/15 12:\d\d:\d\d\.\d\d\r$)");
  std::istringstream lines(text);
  std::size_t groupLines = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("<")) continue;
    ASSERT_TRUE(std::regex_match(line, groupLine)) << line;
    ++groupLines;
  }
  EXPECT_TRUE(text.ends_with("\r\n"));

  // Read back as the simulator's --rds-log reads a file.
  const sim::RdsLogLoad back = sim::LoadRdsLog(file);
  ASSERT_TRUE(back.Loaded) << back.Error;
  const std::vector<sim::Group>& recorded = back.Loaded->Groups;
  EXPECT_EQ(recorded.size(), groupLines);
  EXPECT_GE(recorded.size(), groups.size()) << "the whole log went by";
  EXPECT_EQ(static_cast<long long>(recorded.size()), app.BuildMonitorSnapshot().RdsGroups);
  EXPECT_TRUE(Alignment(groups, recorded)) << "the recorded groups follow the source in order";
}

INSTANTIATE_TEST_SUITE_P(OffAirLogs, GroupLogReplay,
                         ::testing::Values("F221-classiq-fr.spy", "D3A3-rtplus-de.spy",
                                           "5CBC-rbds-us.spy", "E203-dynamic-pty-se.spy",
                                           "E220-buggy-coder-se.spy"));

}  // namespace
}  // namespace sondaro
