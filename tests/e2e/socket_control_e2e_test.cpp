// The real program, headless, driven through its socket control server by a
// plain TCP client, with sondaro-sim as the analyzer. The program runs from
// a copy in a folder of its own, so its kaveli.ini (which switches the
// server on) is the test's alone.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kBinaryDir = SONDARO_BINARY_DIR;

// A child process; SIGTERM and wait when it goes out of scope.
class Child {
 public:
  Child(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
        bool captureStdout) {
    int out[2] = {-1, -1};
    if (captureStdout && ::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      if (captureStdout) {
        ::dup2(out[1], 1);
        ::close(out[0]);
      }
      if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(127);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    if (captureStdout) {
      ::close(out[1]);
      out_ = out[0];
    }
  }
  ~Child() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }
  // Reads stdout until `marker` and the rest of its line have arrived.
  std::string ReadUntil(const std::string& marker, int timeoutMs) {
    std::string text;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      const auto at = text.find(marker);
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) break;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char buf[256];
      const auto n = ::read(out_, buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
  }
  // SIGTERM, then the exit status (-1 if it did not end within the time).
  int Terminate(int timeoutMs) {
    ::kill(pid_, SIGTERM);
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (Clock::now() < end) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        waited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
  [[nodiscard]] bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  bool waited_ = false;
};

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

// A plain blocking TCP client with a receive log.
class Client {
 public:
  bool Connect(int port, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(port));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return true;
      ::close(fd_);
      fd_ = -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  ~Client() {
    if (fd_ >= 0) ::close(fd_);
  }
  void Send(const std::string& text) {
    ASSERT_EQ(::send(fd_, text.data(), text.size(), MSG_NOSIGNAL), static_cast<ssize_t>(text.size()));
  }
  // Waits until the received text contains `what`.
  bool WaitFor(const std::string& what, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Received.find(what) == std::string::npos) {
      if (Clock::now() >= end) return false;
      Pump(50);
    }
    return true;
  }
  void Pump(int ms) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return;
    char buf[1024];
    const auto n = ::recv(fd_, buf, sizeof buf, 0);
    if (n > 0) Received.append(buf, static_cast<std::size_t>(n));
    else Closed = true;
  }
  std::string Received;
  bool Closed = false;

 private:
  int fd_ = -1;
};

class HeadlessSocketControl : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string program = kBinaryDir + "/sondaro";
    const std::string simulator = kBinaryDir + "/sondaro-sim";
    if (!fs::exists(program) || !fs::exists(simulator))
      GTEST_SKIP() << "needs " << program << " and " << simulator;
    folder_ = fs::temp_directory_path() / ("sondaro-e2e-socket-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(program, folder_ / "sondaro");
    port_ = FreePort();
    std::ofstream(folder_ / "kaveli.ini")
        << "[SocketControl]\r\nEnabled=1\r\nEcho=1\r\nPort=" << port_ << "\r\n";

    sim_ = std::make_unique<Child>(simulator, std::vector<std::string>{"--port", "0", "--no-pty"},
                                   "", true);
    const std::string banner = sim_->ReadUntil("TCP port ", 10000);
    const auto at = banner.find("TCP port ");
    ASSERT_NE(at, std::string::npos) << banner;
    simPort_ = std::stoi(banner.substr(at + 9));

    app_ = std::make_unique<Child>((folder_ / "sondaro").string(),
                                   std::vector<std::string>{"--headless"}, folder_.string(), false);
    ASSERT_TRUE(a.Connect(port_, 20000)) << "socket control did not come up on " << port_;
    ASSERT_TRUE(b.Connect(port_, 5000));
  }
  void TearDown() override {
    if (app_) {
      EXPECT_EQ(app_->Terminate(10000), 0);
    }
    if (sim_) sim_->Terminate(5000);
    if (!folder_.empty()) fs::remove_all(folder_);
  }

  fs::path folder_;
  int port_ = 0;
  int simPort_ = 0;
  std::unique_ptr<Child> sim_;
  std::unique_ptr<Child> app_;
  Client a, b;
};

TEST_F(HeadlessSocketControl, LinesEchoEditingEscapeAndTheTunedFrequency) {
  // A line split over two packets runs once; the echo reaches every client.
  a.Send("SET(n,0)\r");
  a.Send("IN");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  a.Send("C(n)\r");
  a.Send("GET(n=%n%cr)\r");
  ASSERT_TRUE(a.WaitFor("n=1\r\n", 5000)) << a.Received;
  ASSERT_TRUE(b.WaitFor("SET(n,0)\r\n", 5000)) << b.Received;
  EXPECT_TRUE(b.WaitFor("C(n)\r\n", 5000));
  EXPECT_TRUE(b.WaitFor("n=1\r\n", 5000));

  // Backspace takes back the character before it.
  a.Send("INX\bC(n)\r");
  a.Send("GET(after backspace %n%cr)\r");
  EXPECT_TRUE(a.WaitFor("after backspace 2\r\n", 5000)) << a.Received;

  // "+++" ends a long SLEEP; the connection stays and the next line runs.
  a.Send("SLEEP(600)\r");
  a.Send("SET(woke,1)\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  a.Send("GET(woke=%woke%cr)\r");
  b.Send("+++\r");
  EXPECT_TRUE(a.WaitFor("woke=1\r\n", 5000)) << a.Received;
  EXPECT_FALSE(a.Closed);

  // The analyzer on the simulator's TCP port: tune, ask, read back.
  a.Send("CONNECT(127.0.0.1:" + std::to_string(simPort_) + ")\r");
  a.Send("TUNE(91.8)\r");
  a.Send("GETFREQUENCY\r");
  a.Send("GET(%frequency%cr)\r");
  EXPECT_TRUE(a.WaitFor("\r\n91.80 MHz\r\n", 15000)) << a.Received;
  EXPECT_TRUE(b.WaitFor("\r\n91.80 MHz\r\n", 5000));

  // Closed before the program ends: an analyzer link still up over TCP at
  // exit is a separate matter of the link's own shutdown.
  a.Send("DISCONNECT\r");
  a.Send("GET(connected=%connected%cr)\r");
  EXPECT_TRUE(a.WaitFor("connected=0\r\n", 5000)) << a.Received;
}

}  // namespace
