// The single-instance guard on its local socket: hand-offs whole, cut at
// the limit or lost with a client that gives up; the socket the user's
// alone; a stale socket file taken over.
#include "platform/instance_guard.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "support/qt_pump.h"

namespace sondaro {
namespace {

std::string Title(const char* what) {
  return std::string("guard test ") + what + " " + std::to_string(::getpid());
}

// Connects to the guard's socket and sends raw bytes, as a broken start would.
void SendRaw(const std::string& path, const std::string& bytes) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

TEST(InstanceGuard, LaterStartsHandTheirTextToTheFirst) {
  test::QtApp();
  InstanceGuard first(Title("handoff"));
  ASSERT_TRUE(first.Claim("ignored"));
  std::vector<std::string> got;
  first.OnHandOff = [&got](const std::string& t) { got.push_back(t); };

  struct Case {
    std::string sent;
    std::optional<std::string> arrives;  // nothing when the text never came whole
  };
  const Case cases[] = {
      {"a.fms\nb.fms", "a.fms\nb.fms"},
      {"", ""},  // only brought forward
      {std::string(10000, 'x'), std::string(InstanceGuard::kMaxHandOff, 'x')},  // cut
  };
  for (const Case& c : cases) {
    got.clear();
    InstanceGuard later(Title("handoff"));
    EXPECT_FALSE(later.Claim(c.sent));
    ASSERT_TRUE(test::PumpUntil([&got] { return !got.empty(); })) << c.sent.substr(0, 20);
    EXPECT_EQ(got.front(), *c.arrives);
  }
  // A start that leaves without the terminating zero hands nothing over,
  // and the guard still takes the next one.
  got.clear();
  SendRaw(first.SocketPath(), "half a te");
  InstanceGuard later(Title("handoff"));
  EXPECT_FALSE(later.Claim("whole"));
  ASSERT_TRUE(test::PumpUntil([&got] { return !got.empty(); }));
  test::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(got, std::vector<std::string>{"whole"});
}

TEST(InstanceGuard, TheSocketIsTheUsersAloneAndAStaleOneIsTakenOver) {
  test::QtApp();
  std::string path;
  {
    InstanceGuard first(Title("stale"));
    path = first.SocketPath();
    // A program that died leaves its socket file behind.
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    ::unlink(path.c_str());
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(dead);

    ASSERT_TRUE(first.Claim(""));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    InstanceGuard later(Title("stale"));
    EXPECT_FALSE(later.Claim(""));
  }
  EXPECT_NE(::access(path.c_str(), F_OK), 0) << "the socket file outlived its program";
}

}  // namespace
}  // namespace sondaro
