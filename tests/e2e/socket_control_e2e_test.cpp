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

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
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
        ::dup2(out[1], 2);
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
  [[nodiscard]] pid_t Pid() const { return pid_; }
  // What the program has written so far (without waiting).
  std::string Output() {
    pollfd p{out_, POLLIN, 0};
    while (out_ >= 0 && ::poll(&p, 1, 0) > 0) {
      char buf[4096];
      const auto n = ::read(out_, buf, sizeof buf);
      if (n <= 0) break;
      output_.append(buf, static_cast<std::size_t>(n));
    }
    return output_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  bool waited_ = false;
  std::string output_;
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
  // Sends as much as the connection takes; false once the server is gone.
  bool SendAll(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const auto n = ::send(fd_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
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
    if (Closed || ::poll(&p, 1, ms) <= 0) return;
    Read();
  }
  // Takes what has arrived; notes the end of the connection.
  void Read() {
    char buf[65536];
    const auto n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) Received.append(buf, static_cast<std::size_t>(n));
    else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) Closed = true;
  }
  // Waits until the server has closed the connection.
  bool WaitClosed(int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Closed && Clock::now() < end) Pump(50);
    return Closed;
  }
  // The end of this side's sending, as "nc -q" does at the end of its input.
  void ShutdownSending() { ::shutdown(fd_, SHUT_WR); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  [[nodiscard]] int Fd() const { return fd_; }
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
    std::ofstream(folder_ / "kaveli.ini") << "[SocketControl]\r\nEnabled=1\r\nEcho="
                                          << (echo_ ? 1 : 0) << "\r\nPort=" << port_ << "\r\n"
                                          << extraIni_;

    sim_ = std::make_unique<Child>(simulator, std::vector<std::string>{"--port", "0", "--no-pty"},
                                   "", true);
    const std::string banner = sim_->ReadUntil("TCP port ", 10000);
    const auto at = banner.find("TCP port ");
    ASSERT_NE(at, std::string::npos) << banner;
    simPort_ = std::stoi(banner.substr(at + 9));

    app_ = std::make_unique<Child>((folder_ / "sondaro").string(),
                                   std::vector<std::string>{"--headless"}, folder_.string(), true);
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

  bool echo_ = true;
  std::string extraIni_;
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

// Resident memory of a process in KiB.
long RssKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Reads every client until each holds what `done` asks for.
bool PumpUntil(std::vector<Client*> clients, const std::function<bool()>& done, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (Clock::now() >= end) return false;
    std::vector<pollfd> fds;
    for (Client* c : clients) fds.push_back({c->Fd(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), 50) <= 0) continue;
    for (std::size_t i = 0; i < fds.size(); ++i)
      if (fds[i].revents) clients[i]->Read();
  }
  return true;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class HeadlessSocketClients : public HeadlessSocketControl {
 protected:
  HeadlessSocketClients() { echo_ = false; }
};

TEST_F(HeadlessSocketClients, PartialLinesOfClientsNeverJoin) {
  // Two clients interleave halves of their lines.
  a.Send("SET(who,left ");
  b.Send("SET(other,right ");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  a.Send("half)\r");
  b.Send("half)\r");
  // A third leaves in the middle of a line.
  Client c;
  ASSERT_TRUE(c.Connect(port_, 5000));
  c.Send("GET(partial %frequency");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  c.Close();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  b.Send("GET(%who/%other#%cr)\r");
  ASSERT_TRUE(b.WaitFor("#\r\n", 5000)) << b.Received;
  EXPECT_EQ(b.Received, "left half/right half#\r\n");
}

TEST_F(HeadlessSocketClients, AFloodIsDroppedForItsClientAndEscapeStillWorks) {
  a.Send("SLEEP(600)\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // A megabyte without a CR, then "+++".
  ASSERT_TRUE(a.SendAll(std::string(1 << 20, 'x')));
  a.Send("+++\r");
  b.Send("GET(second%cr)\r");
  EXPECT_TRUE(b.WaitFor("second\r\n", 5000)) << b.Received;
  EXPECT_TRUE(a.WaitFor("line dropped", 5000));
  EXPECT_EQ(b.Received.find("line dropped"), std::string::npos);
  // The rest of the flooding client's line went with it; its next one runs.
  a.Send("tail)\rGET(first%cr)\r");
  EXPECT_TRUE(b.WaitFor("first\r\n", 5000)) << b.Received;
  EXPECT_FALSE(a.Closed);
}

TEST_F(HeadlessSocketClients, AWebBrowsersPostRunsNothing) {
  const std::string body = "SAVETEXT(web.txt,x)\r\nEXECUTE(touch,web2.txt)\r\n";
  Client web;
  ASSERT_TRUE(web.Connect(port_, 5000));
  web.Send("POST / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
           "\r\nOrigin: http://example.com\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_TRUE(web.WaitClosed(5000));
  // And the real thing, when curl is at hand.
  if (std::system("command -v curl >/dev/null 2>&1") == 0) {
    const std::string curl = "curl -s -m 5 --data-binary 'SAVETEXT(curl.txt,x)\r' http://127.0.0.1:" +
                             std::to_string(port_) + "/ >/dev/null 2>&1";
    [[maybe_unused]] const int ignored = std::system(curl.c_str());
  }
  b.Send("GET(still here%cr)\r");
  EXPECT_TRUE(b.WaitFor("still here\r\n", 5000));
  for (const char* file : {"web.txt", "web2.txt", "curl.txt"})
    EXPECT_FALSE(fs::exists(folder_ / file)) << file;
  EXPECT_NE(app_->Output().find("HTTP request"), std::string::npos) << app_->Output();
}

TEST_F(HeadlessSocketClients, AClientThatNeverReadsIsCutOff) {
  Client stuck;
  ASSERT_TRUE(stuck.Connect(port_, 5000));
  // A variable of 15 * 64 KiB, then that much output per line for everyone.
  constexpr std::size_t kBig = 15u << 16;
  a.Send("SET(big,0123456789abcde)\r");
  for (int i = 0; i < 16; ++i) a.Send("SET(big,%big%big)\r");
  a.Send("GET(grown%cr)\r");
  ASSERT_TRUE(PumpUntil({&a, &b}, [&] { return a.Received == "grown\r\n"; }, 20000))
      << a.Received.substr(0, 100);
  const long before = RssKiB(app_->Pid());
  constexpr int kLines = 32;
  for (int i = 0; i < kLines; ++i) a.Send("GET(%big)\r");
  a.Send("GET(done%cr)\r");
  const std::size_t all = std::string("grown\r\n").size() + kLines * kBig + 6;
  ASSERT_TRUE(PumpUntil({&a, &b}, [&] { return a.Received.size() >= all; }, 60000));
  const long after = RssKiB(app_->Pid());
  EXPECT_EQ(a.Received.size(), all);
  EXPECT_EQ(a.Received.substr(all - 6), "done\r\n");
  // The one that did not read got what the system could hold, then the end.
  EXPECT_TRUE(stuck.WaitClosed(20000));
  EXPECT_LT(stuck.Received.size(), kLines / 2 * kBig);
  EXPECT_NE(app_->Output().find("unread"), std::string::npos);
  std::printf("RSS of the program: %ld KiB before, %ld KiB after %zu MiB for a client that "
              "did not read\n",
              before, after, kLines * kBig >> 20);
}

TEST_F(HeadlessSocketClients, FiftyClientsAtOnceEachHearAllTheirAnswers) {
  constexpr int kClients = 50;
  constexpr int kLines = 20;
  std::vector<std::unique_ptr<Client>> clients;
  std::vector<Client*> all{&a, &b};
  for (int k = 0; k < kClients; ++k) {
    clients.push_back(std::make_unique<Client>());
    ASSERT_TRUE(clients.back()->Connect(port_, 5000));
    all.push_back(clients.back().get());
  }
  auto tag = [](int k, int n) { return "<" + std::to_string(k) + "." + std::to_string(n) + ">"; };
  // All at once: each client its lines, in pieces that cut lines apart.
  std::vector<std::string> texts(kClients);
  for (int k = 0; k < kClients; ++k)
    for (int n = 0; n < kLines; ++n) texts[k] += "GET(" + tag(k, n) + "%cr)\r";
  for (std::size_t at = 0; at < texts.back().size(); at += 7)
    for (int k = 0; k < kClients; ++k)
      if (at < texts[k].size()) clients[k]->Send(texts[k].substr(at, 7));
  auto complete = [&] {
    for (int k = 0; k < kClients; ++k)
      if (clients[k]->Received.find(tag(k, kLines - 1)) == std::string::npos) return false;
    return true;
  };
  ASSERT_TRUE(PumpUntil(all, complete, kClients * kLines * 400));
  // Every answer reached every client once, each client's in its order.
  for (int k = 0; k < kClients; ++k) {
    const std::string& got = clients[k]->Received;
    std::size_t last = 0;
    for (int n = 0; n < kLines; ++n) {
      ASSERT_EQ(Count(got, tag(k, n) + "\r\n"), 1u) << tag(k, n);
      const std::size_t at = got.find(tag(k, n));
      EXPECT_GE(at, last) << tag(k, n);
      last = at;
    }
  }
  EXPECT_EQ(Count(a.Received, ">\r\n"), static_cast<std::size_t>(kClients * kLines));
}

TEST_F(HeadlessSocketClients, AClientThatClosesItsSendingSideGetsItsAnswers) {
  Client half;
  ASSERT_TRUE(half.Connect(port_, 5000));
  half.Send("SET(x,1)\rINC(x)\rGET(x=%x%cr)\r");
  half.ShutdownSending();
  EXPECT_TRUE(half.WaitClosed(10000));  // closed after its last line
  EXPECT_EQ(half.Received, "x=2\r\n");
}

class HeadlessSocketWithToken : public HeadlessSocketControl {
 protected:
  HeadlessSocketWithToken() {
    echo_ = false;
    extraIni_ = "Token=open sesame\r\n";
  }
};

TEST_F(HeadlessSocketWithToken, OnlyAClientWithTheTokenGetsIn) {
  a.Send("open sesam\rSAVETEXT(wrong.txt,x)\r");
  EXPECT_TRUE(a.WaitClosed(5000));
  b.Send("open sesame\rSAVETEXT(right.txt,x)\rGET(in%cr)\r");
  EXPECT_TRUE(b.WaitFor("in\r\n", 5000)) << b.Received;
  EXPECT_FALSE(fs::exists(folder_ / "wrong.txt"));
  EXPECT_TRUE(fs::exists(folder_ / "right.txt"));
}

// The example of the README, run as written there, against the program
// started as the README says.
TEST(Readme, SocketControlExampleAnswers) {
  const std::string program = kBinaryDir + "/sondaro";
  std::ifstream readme(std::string(SONDARO_SOURCE_DIR) + "/README.md");
  if (!fs::exists(program) || !readme) GTEST_SKIP() << "needs the program and README.md";
  if (std::system("command -v nc >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs nc";
  std::string line, command, expected, started;
  while (std::getline(readme, line)) {
    if (line.find("sondaro --headless --simulate") != std::string::npos) started = line;
    if (line.rfind("$ printf", 0) == 0) {
      command = line.substr(2);
      std::getline(readme, expected);
      break;
    }
  }
  ASSERT_FALSE(command.empty()) << "no example in README.md";
  ASSERT_NE(started.find("--socket-port 2323"), std::string::npos) << started;
  ASSERT_NE(command.find("127.0.0.1 2323"), std::string::npos) << command;
  // The program's arguments as the README gives them.
  std::vector<std::string> args;
  std::istringstream words(started.substr(started.find("sondaro ") + 8));
  for (std::string w; words >> w;) args.push_back(w);
  // The port of the example must be free here.
  Client probe;
  if (probe.Connect(2323, 100)) GTEST_SKIP() << "port 2323 is in use";
  const fs::path folder =
      fs::temp_directory_path() / ("sondaro-e2e-readme-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(program, folder / "sondaro");
  Child app((folder / "sondaro").string(), args, folder.string(), true);
  Client up;
  ASSERT_TRUE(up.Connect(2323, 20000));
  up.Close();
  // The simulated analyzer's link comes up in the first seconds.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  FILE* out = ::popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string printed;
  char buf[256];
  while (std::fgets(buf, sizeof buf, out)) printed += buf;
  ::pclose(out);
  EXPECT_EQ(printed, expected + "\r\n");
  EXPECT_EQ(app.Terminate(10000), 0);
  fs::remove_all(folder);
}

}  // namespace
