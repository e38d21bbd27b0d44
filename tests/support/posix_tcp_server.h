#pragma once
// A real TcpServer over POSIX sockets for engine tests: no event loop, the
// test calls Poll() to accept connections and deliver what clients sent.
// Plus a blocking loopback client to play the peer.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ports.h"

namespace sondaro::test {

class PosixTcpServer final : public TcpServer {
 public:
  ~PosixTcpServer() override { Stop(); }

  bool Listen(const std::string& address, int port) override {
    Stop();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return Fail();
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = address.empty() || address == "0.0.0.0" ? htonl(INADDR_ANY)
                                                                   : inet_addr(address.c_str());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
      Fail();
      ::close(fd);
      return false;
    }
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    listenFd_ = fd;
    BoundAddress = address;
    BoundPort = port;
    return true;
  }
  void Stop() override {
    for (auto& [fd, c] : clients_) ::close(fd);
    clients_.clear();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
  }
  bool IsListening() const override { return listenFd_ >= 0; }
  std::vector<TcpServerClient*> Clients() const override {
    std::vector<TcpServerClient*> out;
    for (const auto& [fd, c] : clients_) out.push_back(c.get());
    return out;
  }
  std::string ErrorText() const override { return error_; }

  // Accepts waiting connections and reads every client once, waiting up to
  // timeoutMs for something to happen.
  void Poll(int timeoutMs = 200) {
    if (listenFd_ < 0) return;
    std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
    for (const auto& [fd, c] : clients_) fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), timeoutMs) <= 0) return;
    if (fds[0].revents & POLLIN) {
      for (int fd; (fd = ::accept(listenFd_, nullptr, nullptr)) >= 0;) {
        auto client = std::make_unique<Client>(fd);
        Client& ref = *client;
        clients_[fd] = std::move(client);
        if (OnClientConnected) OnClientConnected(ref);
      }
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
      auto it = clients_.find(fds[i].fd);
      if (n > 0) {
        if (OnClientRead) OnClientRead(*it->second, std::string(buf, static_cast<std::size_t>(n)));
      } else {
        auto gone = std::move(it->second);
        clients_.erase(it);
        if (OnClientDisconnected) OnClientDisconnected(*gone);
        ::close(fds[i].fd);
      }
    }
  }

  std::string BoundAddress;
  int BoundPort = 0;

 private:
  class Client final : public TcpServerClient {
   public:
    explicit Client(int fd) : fd_(fd) {}
    void Write(const std::string& bytes) override {
      [[maybe_unused]] auto n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    void Close() override { ::shutdown(fd_, SHUT_RDWR); }
    int Id() const override { return fd_; }

   private:
    int fd_;
  };
  bool Fail() {
    error_ = std::strerror(errno);
    return false;
  }
  int listenFd_ = -1;
  std::map<int, std::unique_ptr<Client>> clients_;
  std::string error_;
};

class PosixNetworkFactory final : public NetworkFactory {
 public:
  std::unique_ptr<TcpServer> MakeTcpServer() override {
    auto server = std::make_unique<PosixTcpServer>();
    Made.push_back(server.get());
    return server;
  }
  std::vector<PosixTcpServer*> Made;
};

// A loopback port that was free a moment ago.
inline int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// The peer: a blocking TCP client on loopback.
class LoopbackClient {
 public:
  explicit LoopbackClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    timeval tv{0, 300000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }
  ~LoopbackClient() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  [[nodiscard]] bool Connected() const { return connected_; }
  void Send(const std::string& text) {
    [[maybe_unused]] auto n = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
  }
  // Reads until `count` bytes arrived or nothing more comes for 300 ms.
  std::string Receive(std::size_t count) {
    std::string got;
    char buf[4096];
    while (got.size() < count) {
      const ssize_t n = ::recv(fd_, buf, std::min(sizeof buf, count - got.size()), 0);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

}  // namespace sondaro::test
