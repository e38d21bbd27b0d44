// The metrics endpoint of the real program, checked by Python's Prometheus
// client (tests/e2e/metrics_scrape.py): the values are those of the
// placeholders at the same moment, and nothing but GET /metrics answers.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

TEST(MetricsEndpoint, ScrapedValuesMatchThePlaceholders) {
  const std::string program = std::string(SONDARO_BINARY_DIR) + "/sondaro";
  if (!std::filesystem::exists(program)) GTEST_SKIP() << "needs " << program;
  const std::string script = std::string(SONDARO_SOURCE_DIR) + "/tests/e2e/metrics_scrape.py";
  const std::string folder = (std::filesystem::temp_directory_path() /
                              ("sondaro-e2e-metrics-" + std::to_string(::getpid())))
                                 .string();
  // Debian's interpreter, where python3-prometheus-client installs.
  const std::string command = "/usr/bin/python3 '" + script + "' '" + program + "' '" + folder + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << command;
}

}  // namespace
