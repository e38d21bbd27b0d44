// The endpoint's HTTP server over real loopback sockets: what it answers to
// each kind of request, and that idle or slow clients neither hold off a
// scrape nor stay connected forever.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/metrics_http_server.h"

namespace sondaro {
namespace {

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Everything the server sends until it closes, or what came within `ms`.
std::string ReadUntilClosed(int fd, int ms) {
  std::string out;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return out + "<open>";
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return out;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string Exchange(int port, const std::string& request, int ms = 5000) {
  const int fd = Connect(port);
  if (fd < 0) return "<no connection>";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string reply = ReadUntilClosed(fd, ms);
  ::close(fd);
  return reply;
}

class MetricsHttpServerTest : public ::testing::Test {
 protected:
  void StartWith(HttpServerLimits limits) {
    server_ = std::make_unique<MetricsHttpServer>([] { return std::string("m 1\n"); }, limits);
    std::string error;
    ASSERT_TRUE(server_->Start("127.0.0.1", 0, error)) << error;
    ASSERT_GT(server_->Port(), 0);
  }
  int Port() const { return server_->Port(); }
  std::unique_ptr<MetricsHttpServer> server_;
};

TEST_F(MetricsHttpServerTest, AnswersOnlyGetOfMetrics) {
  StartWith({});
  struct Case {
    std::string Request, StatusLine;
    bool HasBody;
  };
  const std::vector<Case> cases = {
      {"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 OK", true},
      {"GET /metrics?x=1 HTTP/1.0\r\n\r\n", "HTTP/1.1 200 OK", true},
      {"HEAD /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 200 OK", false},
      {"POST /metrics HTTP/1.1\r\nContent-Length: 3\r\n\r\nx=1", "HTTP/1.1 405", false},
      {"GET / HTTP/1.1\r\n\r\n", "HTTP/1.1 404", false},
      {"GET /../kaveli.ini HTTP/1.1\r\n\r\n", "HTTP/1.1 404", false},
      {"\x01\xff garbage\r\n\r\n", "HTTP/1.1 400", false},
      {"GET /metrics HTTP/1.1\r\nX: " + std::string(20000, 'A') + "\r\n\r\n", "HTTP/1.1 431",
       false},
  };
  for (const Case& c : cases) {
    const std::string reply = Exchange(Port(), c.Request);
    EXPECT_EQ(reply.rfind(c.StatusLine, 0), 0u) << c.Request.substr(0, 40) << " -> " << reply;
    EXPECT_EQ(reply.find("\r\n\r\nm 1\n") != std::string::npos, c.HasBody) << reply;
  }
  EXPECT_NE(Exchange(Port(), "GET /metrics HTTP/1.1\r\n\r\n")
                .find("Content-Type: text/plain; version=0.0.4"),
            std::string::npos);
}

// The server's step for the bytes a client has sent so far.
TEST(HttpAnswer, WaitsForTheWholeHeadWithinTheLimit) {
  const MetricsHttpServer::Body body = [] { return std::string("m 1\n"); };
  const std::string head = "GET /metrics HTTP/1.1\r\nHost: x\r\n";
  EXPECT_FALSE(HttpAnswer("", 64, body));
  EXPECT_FALSE(HttpAnswer(head, 64, body));
  EXPECT_FALSE(HttpAnswer(head + "\r", 64, body));
  const auto whole = HttpAnswer(head + "\r\n", 64, body);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_EQ(whole->substr(whole->size() - 4), "m 1\n");
  // Exactly at the limit it still waits; one byte more is refused, as is a
  // head whose end lies beyond the limit.
  EXPECT_FALSE(HttpAnswer(std::string(64, 'A'), 64, body));
  EXPECT_EQ(HttpAnswer(std::string(65, 'A'), 64, body)->rfind("HTTP/1.1 431", 0), 0u);
  EXPECT_EQ(HttpAnswer(std::string(64, 'A') + "\r\n\r\n", 64, body)->rfind("HTTP/1.1 431", 0),
            0u);
}

TEST_F(MetricsHttpServerTest, IdleAndSlowClientsDoNotHoldOffAScrape) {
  StartWith({});
  // Fifty connections from the same address: half never send a byte, half
  // stop in the middle of the request line.
  std::vector<int> idle;
  for (int i = 0; i < 50; ++i) {
    const int fd = Connect(Port());
    ASSERT_GE(fd, 0);
    if (i % 2) ::send(fd, "GET /met", 8, MSG_NOSIGNAL);
    idle.push_back(fd);
  }
  // Well inside the 2 s any idle client may keep its connection.
  const auto start = std::chrono::steady_clock::now();
  const std::string reply = Exchange(Port(), "GET /metrics HTTP/1.1\r\n\r\n", 1500);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(reply.rfind("HTTP/1.1 200 OK", 0), 0u) << reply;
  RecordProperty("scrape_ms",
                 static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  // The oldest ones were dropped to make room: the per-address cap holds.
  EXPECT_EQ(ReadUntilClosed(idle.front(), 1000), "");
  for (const int fd : idle) ::close(fd);
}

TEST_F(MetricsHttpServerTest, AnUnfinishedRequestIsDroppedAfterTheTimeout) {
  HttpServerLimits limits;
  limits.RequestTimeoutMs = 200;
  StartWith(limits);
  const int fd = Connect(Port());
  ::send(fd, "GET /metrics HTTP/1.1\r\n", 23, MSG_NOSIGNAL);
  EXPECT_EQ(ReadUntilClosed(fd, 3000), "") << "closed without an answer";
  ::close(fd);
  EXPECT_EQ(Exchange(Port(), "GET /metrics HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

}  // namespace
}  // namespace sondaro
