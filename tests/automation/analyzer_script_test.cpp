// Scripts against the simulated analyzer: each line waits for the answers
// to the commands before it, so placeholders see the new values.
#include <filesystem>

#include "automation_fixture.h"
#include "support/sim_fixture.h"

namespace sondaro::test {
namespace {

class ScriptOnAnalyzer : public SimFixture {
 protected:
  ScriptOnAnalyzer() {
    app.tuning.BuildFrequencyList(false);
    ConnectSerial();
  }
  ~ScriptOnAnalyzer() override { std::filesystem::remove_all(folder); }
  void RunToEnd() {
    for (Millis t = 0; t < 120000 && app.automation.script.Running(); t += 10) Advance(10);
  }
  std::string folder = TempFolder();
};

TEST_F(ScriptOnAnalyzer, TunesAsksAndWritesTheNewValues) {
  const std::string out = folder + "tune.txt";
  WriteFile(folder + "tune.fms",
            "TUNE(91.8)\r\n"
            "GETFREQUENCY\r\n"
            "SAVETEXT(" + out + ",%freq;%frequency;%connected%cr)\r\n"
            "TUNE(100)\r\n"
            "GETFREQUENCY\r\n"
            "APPENDTEXT(" + out + ",%freq;%frequency_%cr)\r\n");
  app.automation.script.ExeScript(folder + "tune.fms");
  RunToEnd();
  EXPECT_EQ(ReadFile(out), "09180;91.80 MHz;1\r\n10000;100.00\r\n");
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(ScriptOnAnalyzer, RdsValuesReachThePlaceholders) {
  const std::string out = folder + "rds.txt";
  WriteFile(folder + "rds.fms",
            "TUNE(91.8)\r\n"
            "SETMODE(rds)\r\n"
            "SLEEP(20)\r\n"
            "RDS.GETDATA\r\n"
            "SAVETEXT(" + out + ",[%rdsps][%rdspi])\r\n");
  app.automation.script.ExeScript(folder + "rds.fms");
  RunToEnd();
  EXPECT_EQ(ReadFile(out), "[\"KLASSIK \"][D3B0]");  // PS as the analyzer quotes it
}

}  // namespace
}  // namespace sondaro::test
