// The web view in Debian's chromium against the headless program on its
// simulated analyzer (tests/e2e/web_view.py, about 30 s); skipped, saying
// why, where chromium cannot start.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

TEST(WebView, RealBrowserAgainstTheSimulatedAnalyzer) {
  const std::string program = std::string(SONDARO_BINARY_DIR) + "/sondaro";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "needs " << program;
  const std::string folder = (std::filesystem::temp_directory_path() /
                              ("sondaro-e2e-web-" + std::to_string(::getpid())))
                                 .string();
  const std::string command = "/usr/bin/python3 '" SONDARO_SOURCE_DIR "/tests/e2e/web_view.py' '" + program +
                              "' '" + folder + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 77) GTEST_SKIP() << output;
  EXPECT_EQ(code, 0) << output;
}

}  // namespace
