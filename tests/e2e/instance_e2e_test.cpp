// Two real starts of the windowed program (offscreen): the second hands its
// script to the first and ends; the first runs it. Then the first closes
// through SIGTERM in order and writes its settings.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Spawn;
using test::WaitExit;
using test::WaitForFile;

TEST(InstanceHandOff, SecondStartHandsItsScriptToTheFirst) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  test::TempDir dir;
  const std::string program = dir / "sondaro";
  fs::copy_file(std::string(SONDARO_BINARY_DIR) + "/sondaro", program);
  // "multi.set" gives this copy a title of its own, so no other run of the
  // program on this machine (another test, a user's) takes the hand-off.
  std::ofstream(dir / "multi.set") << "";
  std::ofstream(dir / "kaveli.ini", std::ios::binary) << "[General]\r\nHue=12\r\n";
  std::ofstream(dir / "hand.fms", std::ios::binary)
      << "SAVETEXT(" << dir / "handed.txt" << ",handed over)\r\n";

  const pid_t first = Spawn(program, {"--simulate"});
  ASSERT_GT(first, 0);
  // The first instance listens on a local socket named after its title,
  // "Sondaro (<byte sum of its folder>)", and the user.
  long sum = 0;
  for (unsigned char c : dir.Path()) sum += c;
  const std::string socket = (fs::temp_directory_path() / ("Sondaro_(" + std::to_string(sum) + ")-" +
                                                          std::to_string(::getuid()))).string();
  // The test run's own TMPDIR holds it: a user's running program can never
  // be handed a test's script.
  EXPECT_EQ(socket.rfind(SONDARO_BINARY_DIR, 0), 0u) << socket;
  ASSERT_TRUE(WaitForFile(socket, 60s));
  const pid_t second = Spawn(program, {dir / "hand.fms"});
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitExit(second, 60s), 0);
  EXPECT_TRUE(WaitForFile(dir / "handed.txt", 60s));
  EXPECT_EQ(test::ReadFile(dir / "handed.txt"), "handed over");

  // A start from another folder with several parameters: a program name
  // drops what came before it, and the relative script name is made
  // absolute there, since the first instance runs elsewhere.
  fs::create_directory(dir / "jobs");
  std::ofstream(dir / "jobs/job.fms", std::ios::binary)
      << "SAVETEXT(" << dir / "jobbed.txt" << ",job ran)\r\n";
  const pid_t third = Spawn(program, {"a.fms", "x.exe", "job.fms"}, dir / "jobs");
  ASSERT_GT(third, 0);
  EXPECT_EQ(WaitExit(third, 60s), 0);
  EXPECT_TRUE(WaitForFile(dir / "jobbed.txt", 60s));
  EXPECT_EQ(test::ReadFile(dir / "jobbed.txt"), "job ran");

  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first, 60s), 0);
  EXPECT_NE(test::ReadFile(dir / "kaveli.ini").find("Hue=12"), std::string::npos);
}

}  // namespace
}  // namespace sondaro
