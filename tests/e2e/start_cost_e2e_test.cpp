// A windowed start that connects nowhere loads none of the libraries that
// only some users need: they live in run-time modules opened on first use.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using namespace std::chrono_literals;

TEST(StartCost, AWindowedStartLoadsNoModuleNorTheLibrariesBehindThem) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  test::TempDir dir;
  const std::string program = dir / "sondaro";
  std::filesystem::copy_file(std::string(SONDARO_BINARY_DIR) + "/sondaro", program);
  std::ofstream(dir / "multi.set") << "";  // a title of its own: no hand-off to another run
  std::ofstream(dir / "up.fms", std::ios::binary) << "SAVETEXT(" << dir / "up.txt" << ",up)\r\n";
  const pid_t pid = test::Spawn(program, {dir / "up.fms"});
  ASSERT_GT(pid, 0);
  // The script runs once the window is up; the other pages follow 50 ms later.
  const bool up = test::WaitForFile(dir / "up.txt", 60s);
  std::this_thread::sleep_for(1s);
  std::stringstream maps;
  maps << std::ifstream("/proc/" + std::to_string(pid) + "/maps").rdbuf();
  ::kill(pid, SIGTERM);
  EXPECT_EQ(test::WaitExit(pid, 60s), 0);
  ASSERT_TRUE(up);
  for (const char* lib : {"libsondaro_", "libQt6Network", "libQt6SerialPort", "libQt6Multimedia",
                          "libcurl", "libgssapi", "libproxy", "libudev"})
    EXPECT_EQ(maps.str().find(lib), std::string::npos) << lib << " is loaded";
  EXPECT_NE(maps.str().find("libQt6Widgets"), std::string::npos);
}

}  // namespace
}  // namespace sondaro
