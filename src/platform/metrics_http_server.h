#pragma once
// A small HTTP/1.x server that answers "GET /metrics" and nothing else, on
// one thread with non-blocking sockets. It is built so that idle or slow
// clients cannot hold off a scrape: no connection ties up a worker, a
// request must arrive whole within a short time, requests are bounded in
// size, and when one address (or all together) holds too many connections
// the oldest of them is dropped to make room for the newcomer.
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace sondaro {

struct HttpServerLimits {
  int RequestTimeoutMs = 2000;   // from accept to the whole request head
  int ResponseTimeoutMs = 10000;  // to hand over the whole answer
  int MaxConnectionsPerAddress = 16;
  int MaxConnections = 256;
  std::size_t MaxRequestBytes = 8192;
};

class MetricsHttpServer {
 public:
  // The body of "/metrics"; called on the server's thread.
  using Body = std::function<std::string()>;

  explicit MetricsHttpServer(Body body, HttpServerLimits limits = {});
  ~MetricsHttpServer();
  MetricsHttpServer(const MetricsHttpServer&) = delete;
  MetricsHttpServer& operator=(const MetricsHttpServer&) = delete;

  // Listens on address:port (numeric IPv4 or IPv6; port 0 picks one) and
  // starts serving. False, with the reason in `error`, when it cannot.
  bool Start(const std::string& address, int port, std::string& error);
  // The port listened on (after Start).
  [[nodiscard]] int Port() const { return port_; }

 private:
  void Run();

  Body body_;
  HttpServerLimits limits_;
  int listenFd_ = -1;
  int wakeFd_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
};

// The answer to what a client has sent so far: nothing while the request
// head is still incomplete and within the size limit, else the whole
// response (the body only for "GET /metrics").
[[nodiscard]] std::optional<std::string> HttpAnswer(const std::string& received,
                                                    std::size_t maxRequestBytes,
                                                    const MetricsHttpServer::Body& body);

}  // namespace sondaro
