#include "platform/metrics_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <list>
#include <utility>
#include <vector>

namespace sondaro {

namespace {

using SteadyClock = std::chrono::steady_clock;

enum class Phase { Reading, Writing, Draining };

struct Connection {
  int Fd = -1;
  std::string Address;
  SteadyClock::time_point Accepted;
  SteadyClock::time_point Deadline;
  Phase Stage = Phase::Reading;
  std::string In, Out;
  std::size_t Sent = 0;
};

// After the answer, what the client still sends is read and dropped for a
// moment, so closing does not reset the connection before it reads.
constexpr int kDrainMs = 1000;

std::string AddressOf(const sockaddr_storage& a) {
  char text[INET6_ADDRSTRLEN] = {};
  if (a.ss_family == AF_INET)
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(a).sin_addr, text, sizeof text);
  else if (a.ss_family == AF_INET6)
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(a).sin6_addr, text, sizeof text);
  return text;
}

std::string Response(int code, const char* reason, const std::string& body, bool withBody,
                     const char* extraHeaders = "") {
  std::string out = "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n";
  out += code == 200 ? "Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
                     : "Content-Type: text/plain; charset=utf-8\r\n";
  out += extraHeaders;
  out += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

// The answer to a complete request head.
std::string Answer(const std::string& head, const MetricsHttpServer::Body& body) {
  const std::size_t lineEnd = head.find("\r\n");
  const std::string line = head.substr(0, lineEnd);
  const std::size_t a = line.find(' ');
  const std::size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
  if (b == std::string::npos || line.compare(b + 1, 5, "HTTP/") != 0)
    return Response(400, "Bad Request", "bad request\n", true);
  const std::string method = line.substr(0, a);
  std::string path = line.substr(a + 1, b - a - 1);
  path = path.substr(0, path.find('?'));
  if (path != "/metrics") return Response(404, "Not Found", "not found\n", true);
  if (method != "GET" && method != "HEAD")
    return Response(405, "Method Not Allowed", "only GET\n", true, "Allow: GET, HEAD\r\n");
  return Response(200, "OK", body(), method == "GET");
}

void Close(Connection& c) {
  if (c.Fd >= 0) ::close(c.Fd);
  c.Fd = -1;
}

}  // namespace

std::optional<std::string> HttpAnswer(const std::string& received, std::size_t maxRequestBytes,
                                      const MetricsHttpServer::Body& body) {
  const std::size_t end = received.find("\r\n\r\n");
  if (end == std::string::npos && received.size() <= maxRequestBytes) return std::nullopt;
  if (end != std::string::npos && end < maxRequestBytes) return Answer(received.substr(0, end), body);
  return Response(431, "Request Header Fields Too Large", "too large\n", true);
}

MetricsHttpServer::MetricsHttpServer(Body body, HttpServerLimits limits)
    : body_(std::move(body)), limits_(limits) {}

MetricsHttpServer::~MetricsHttpServer() {
  if (thread_.joinable()) {
    const char stop = 'x';
    (void)!::write(wakeFd_[1], &stop, 1);
    thread_.join();
  }
  for (const int fd : {listenFd_, wakeFd_[0], wakeFd_[1]})
    if (fd >= 0) ::close(fd);
}

bool MetricsHttpServer::Start(const std::string& address, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int rc = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
      rc != 0) {
    error = address + ": " + ::gai_strerror(rc);
    return false;
  }
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int on = 1;
  bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
            ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, 128) == 0;
  ::freeaddrinfo(found);
  if (!ok) {
    error = address + ":" + std::to_string(port) + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                            : reinterpret_cast<sockaddr_in&>(bound).sin_port);
  if (::pipe2(wakeFd_, O_NONBLOCK | O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  listenFd_ = fd;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void MetricsHttpServer::Run() {
  std::list<Connection> connections;
  const auto deadlineIn = [](int ms) { return SteadyClock::now() + std::chrono::milliseconds(ms); };
  // Room for a newcomer: the oldest connection of the same address, or of
  // all, goes; one still waiting for its request before one being answered.
  const auto makeRoom = [&](const std::string* address, int cap) {
    std::list<Connection>::iterator victim = connections.end();
    int count = 0;
    for (auto it = connections.begin(); it != connections.end(); ++it) {
      if (address && it->Address != *address) continue;
      ++count;
      const bool better = victim == connections.end() ||
                          (victim->Stage == Phase::Writing && it->Stage != Phase::Writing);
      if (better) victim = it;
    }
    if (count >= cap && victim != connections.end()) {
      Close(*victim);
      connections.erase(victim);
    }
  };

  std::vector<pollfd> fds;
  // Out of descriptors, the listening socket stays readable: it rests a
  // moment instead of spinning.
  SteadyClock::time_point acceptRestsUntil{};
  for (;;) {
    const auto now = SteadyClock::now();
    for (auto it = connections.begin(); it != connections.end();) {
      if (it->Deadline <= now) {
        Close(*it);
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
    const bool accepting = acceptRestsUntil <= now;
    int timeout = accepting ? -1 : 100;
    for (const Connection& c : connections) {
      const auto ms =
          std::chrono::duration_cast<std::chrono::milliseconds>(c.Deadline - now).count() + 1;
      timeout = timeout < 0 ? static_cast<int>(ms) : std::min(timeout, static_cast<int>(ms));
    }
    fds.clear();
    fds.push_back({wakeFd_[0], POLLIN, 0});
    fds.push_back({listenFd_, static_cast<short>(accepting ? POLLIN : 0), 0});
    for (const Connection& c : connections)
      fds.push_back({c.Fd, static_cast<short>(c.Stage == Phase::Writing ? POLLOUT : POLLIN), 0});
    if (::poll(fds.data(), fds.size(), timeout) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents != 0) break;

    // Connections first, so one accepted now is not looked at with stale flags.
    std::size_t i = 2;
    for (auto it = connections.begin(); it != connections.end(); ++i) {
      Connection& c = *it;
      const short ev = fds[i].revents;
      bool done = false;
      if (ev == 0) {
      } else if (c.Stage == Phase::Writing) {
        const ssize_t n = ::send(c.Fd, c.Out.data() + c.Sent, c.Out.size() - c.Sent, MSG_NOSIGNAL);
        if (n > 0) c.Sent += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) done = true;
        if (!done && c.Sent == c.Out.size()) {
          ::shutdown(c.Fd, SHUT_WR);
          c.Stage = Phase::Draining;
          c.Deadline = deadlineIn(kDrainMs);
          c.In.clear();
        }
      } else {
        char buffer[4096];
        const ssize_t n = ::recv(c.Fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
          done = true;
        } else if (n > 0 && c.Stage == Phase::Reading) {
          c.In.append(buffer, static_cast<std::size_t>(n));
          if (std::optional<std::string> answer =
                  HttpAnswer(c.In, limits_.MaxRequestBytes, body_)) {
            c.Out = std::move(*answer);
            c.In.clear();
            c.Stage = Phase::Writing;
            c.Deadline = deadlineIn(limits_.ResponseTimeoutMs);
          }
        }
      }
      if (done) {
        Close(c);
        it = connections.erase(it);
      } else {
        ++it;
      }
    }

    if (fds[1].revents & POLLIN) {
      for (;;) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
          if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
            acceptRestsUntil = deadlineIn(100);
          break;
        }
        std::string address = AddressOf(peer);
        makeRoom(&address, limits_.MaxConnectionsPerAddress);
        makeRoom(nullptr, limits_.MaxConnections);
        Connection c;
        c.Fd = fd;
        c.Address = std::move(address);
        c.Accepted = SteadyClock::now();
        c.Deadline = deadlineIn(limits_.RequestTimeoutMs);
        connections.push_back(std::move(c));
      }
    }
  }
  for (Connection& c : connections) Close(c);
}

}  // namespace sondaro
