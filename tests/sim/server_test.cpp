// The sondaro-sim program itself, over TCP and over its pseudo-terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

extern char** environ;

namespace {

const std::string kBinary = SONDARO_BINARY_DIR "/sondaro-sim";

// Reads from fd until `done` holds or the time is up.
template <typename Done>
std::string ReadUntil(int fd, Done done, int timeoutMs) {
  std::string got;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done(got)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[1024];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  return got;
}

bool HasFrequencySection(const std::string& s) {
  const auto p = s.find("Frequency:\r\n");
  return p != std::string::npos && s.find("\r\n\r\n", p) != std::string::npos;
}

class SimServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kBinary)) GTEST_SKIP() << "sondaro-sim not built";
    logPath = std::filesystem::temp_directory_path() / ("sondaro-sim-test-" + std::to_string(getpid()) + ".log");
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string log = logPath.string();
    const char* argv[] = {kBinary.c_str(), "--port", "0", "--seed", "3", "--log", log.c_str(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, kBinary.c_str(), &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdoutFd = out[0];
    const std::string banner = ReadUntil(
        stdoutFd, [](const std::string& s) { return s.find("PTY ") != std::string::npos && s.back() == '\n'; }, 5000);
    std::istringstream lines(banner);
    std::string word;
    while (lines >> word) {
      if (word == "port") lines >> port;
      if (word == "PTY") lines >> ptyPath;
    }
    ASSERT_GT(port, 0) << banner;
    ASSERT_FALSE(ptyPath.empty()) << banner;
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGTERM);
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status)) << "sondaro-sim did not end cleanly";
    }
    if (stdoutFd >= 0) close(stdoutFd);
    std::filesystem::remove(logPath);
  }

  pid_t pid = -1;
  int stdoutFd = -1;
  int port = 0;
  std::string ptyPath;
  std::filesystem::path logPath;
};

TEST_F(SimServer, AnswersFrequencyOverTcpAndOverItsRawPty) {
  const int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
  ASSERT_EQ(connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(write(sock, "?F", 2), 2);
  const std::string tcpReply = ReadUntil(sock, HasFrequencySection, 3000);
  close(sock);
  EXPECT_NE(tcpReply.find("Frequency:\r\n 87.60 MHz\r\n\r\n"), std::string::npos) << tcpReply;

  const int tty = open(ptyPath.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(tty, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(tty, &t), 0);
  cfmakeraw(&t);
  cfsetispeed(&t, B19200);
  cfsetospeed(&t, B19200);
  ASSERT_EQ(tcsetattr(tty, TCSANOW, &t), 0);
  termios now{};
  ASSERT_EQ(tcgetattr(tty, &now), 0);
  EXPECT_EQ(now.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(now.c_iflag & (ICRNL | INLCR | IXON | ISTRIP), 0u);
  EXPECT_EQ(now.c_oflag & OPOST, 0u);
  EXPECT_EQ(now.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(now.c_cflag & PARENB, 0u);
  EXPECT_EQ(cfgetispeed(&now), static_cast<speed_t>(B19200));
  // Tune, then ask in two pieces, as a slow line may deliver them.
  ASSERT_EQ(write(tty, "1039", 4), 4);
  usleep(20000);
  ASSERT_EQ(write(tty, "00*F", 4), 4);
  usleep(400000);
  ASSERT_EQ(write(tty, "?F", 2), 2);
  const std::string ptyReply = ReadUntil(tty, HasFrequencySection, 3000);
  close(tty);
  EXPECT_NE(ptyReply.find("Frequency:\r\n103.90 MHz\r\n\r\n"), std::string::npos) << ptyReply;

  // Every command is logged with the time it arrived.
  std::ifstream log(logPath);
  std::vector<std::string> commands;
  long long last = -1;
  for (std::string line; std::getline(log, line);) {
    std::istringstream in(line);
    long long ms = 0;
    std::string text;
    in >> ms >> text;
    EXPECT_GE(ms, last);
    last = ms;
    commands.push_back(text);
  }
  EXPECT_EQ(commands, (std::vector<std::string>{"?F", "103900*F", "?F"}));
}

}  // namespace
