// The monitoring stack with Debian's Prometheus: three sites on the real
// server (tests/e2e/prometheus_sites.py, about 40 s), and the shipped alert
// rules and dashboard checked with promtool (tests/e2e/monitoring_contrib.py).
// Both skip, saying why, where the prometheus package is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string WorkFolder(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string("sondaro-e2e-") + name + "-" + std::to_string(::getpid())))
      .string();
}

// Runs a script; its exit code, with what it printed in `output`.
int RunScript(const std::string& command, std::string& output) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kSkipped = 77;

TEST(Prometheus, ThreeSitesScrapedByTheRealServer) {
  const std::string program = std::string(SONDARO_BINARY_DIR) + "/sondaro";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "needs " << program;
  const std::string command = "/usr/bin/python3 '" SONDARO_SOURCE_DIR
                              "/tests/e2e/prometheus_sites.py' '" +
                              program + "' '" SONDARO_SOURCE_DIR "' '" + WorkFolder("sites") + "'";
  std::string output;
  const int code = RunScript(command, output);
  if (code == kSkipped) GTEST_SKIP() << output;
  EXPECT_EQ(code, 0) << output;
}

TEST(Prometheus, AlertRulesAndDashboardPassPromtool) {
  const std::string command = "/usr/bin/python3 '" SONDARO_SOURCE_DIR
                              "/tests/e2e/monitoring_contrib.py' '" SONDARO_SOURCE_DIR "' '" +
                              WorkFolder("contrib") + "'";
  std::string output;
  const int code = RunScript(command, output);
  if (code == kSkipped) GTEST_SKIP() << output;
  EXPECT_EQ(code, 0) << output;
}

}  // namespace
