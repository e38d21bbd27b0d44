// The real program, headless on its simulated analyzer, with one scheduled
// task in kaveli.ini: a script that measures and writes a report, due in
// each of the next minutes. Two reports must appear within about two
// minutes of real time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Reports(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().rfind("report ", 0) == 0) found.push_back(e.path());
  std::sort(found.begin(), found.end());
  return found;
}

// Times<n> of the settings file: 64 + hour, 64 + minute per slot.
std::string NextMinutes(int count) {
  const std::time_t now = std::time(nullptr);
  std::string times;
  for (int i = 1; i <= count; ++i) {
    const std::time_t t = now + 60 * i;
    std::tm local{};
    ::localtime_r(&t, &local);
    times += static_cast<char>(64 + local.tm_hour);
    times += static_cast<char>(64 + local.tm_min);
  }
  return times + std::string(48 - times.size(), '?');
}

TEST(HeadlessScheduler, ATaskWritesAReportEveryMinute) {
  const std::string program = std::string(SONDARO_BINARY_DIR) + "/sondaro";
  if (!fs::exists(program)) GTEST_SKIP() << "needs " << program;
  const fs::path folder =
      fs::temp_directory_path() / ("sondaro-e2e-scheduler-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(program, folder / "sondaro");
  std::ofstream(folder / "report.fms")
      << "GETFREQUENCY\r\nFREQUENCYDEVIATION.ACQUIRE\r\nRDS.GETDATA\r\nRDS.GETSTATISTICS\r\n"
         "CREATEREPORT(report %time.txt)\r\n";
  std::ofstream(folder / "kaveli.ini")
      << "[Scheduler]\r\nEnabled=1\r\nExecute1=\"report.fms\"\r\nDays1=127\r\nTimes1=\""
      << NextMinutes(24) << "\"\r\n";

  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    ::execl((folder / "sondaro").c_str(), "sondaro", "--headless", "--simulate", nullptr);
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(150);
  while (Reports(folder).size() < 2 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the second one finished
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const std::vector<fs::path> reports = Reports(folder);
  ASSERT_GE(reports.size(), 2u);
  std::ifstream in(reports[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string report = text.str();
  EXPECT_EQ(report.substr(0, 64), std::string(62, '=') + "\r\n");
  EXPECT_NE(report.find("\r\nSondaro 1.3c - Report "), std::string::npos);
  // The simulated analyzer was tuned and measured: a frequency, samples.
  EXPECT_NE(report.find("\r\nFrequency:        "), std::string::npos);
  EXPECT_EQ(report.find("\r\nFrequency:        \r\n"), std::string::npos) << report.substr(0, 600);
  EXPECT_EQ(report.find("\r\nTotal samples: 0\r\n"), std::string::npos);
  EXPECT_NE(report.find("---/ Annexes \\"), std::string::npos);
  EXPECT_NE(report.find("\r\n121;"), std::string::npos);
  // The settings were written back on SIGTERM with the task in them.
  std::ifstream ini(folder / "kaveli.ini", std::ios::binary);
  std::stringstream iniText;
  iniText << ini.rdbuf();
  EXPECT_NE(iniText.str().find("Execute1=\"report.fms\""), std::string::npos);
  fs::remove_all(folder);
}

}  // namespace
