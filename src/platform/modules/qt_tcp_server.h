#pragma once
// TCP servers with several clients: QTcpServer listens, and each accepted
// connection is driven on its raw socket, so a client that closes only its
// sending side ("nc -q", shutdown(SHUT_WR)) still receives what is written
// to it, and unsent output can be counted and thrown away.
#include <QSocketNotifier>
#include <QTcpServer>
#include <map>
#include <memory>

#include "core/ports.h"

namespace sondaro {

class QtTcpServer final : public QObject, public TcpServer {
  Q_OBJECT
 public:
  explicit QtTcpServer(QObject* parent = nullptr);
  ~QtTcpServer() override;
  bool Listen(const std::string& address, int port) override;
  void Stop() override;
  [[nodiscard]] bool IsListening() const override { return server_.isListening(); }
  [[nodiscard]] std::vector<TcpServerClient*> Clients() const override;
  [[nodiscard]] std::string ErrorText() const override;
  [[nodiscard]] ListenError LastListenError() const override { return error_; }
  [[nodiscard]] int ListeningPort() const { return server_.serverPort(); }

 private:
  class Client;
  class Listener final : public QTcpServer {
   public:
    std::function<void(qintptr)> OnIncoming;

   protected:
    void incomingConnection(qintptr fd) override { OnIncoming(fd); }
  };
  void Accept(qintptr fd);
  // Closes and forgets the client at once; the engine is told, and the
  // client deleted, from the event loop: this may run inside a handler of
  // the client, or of the engine holding on to it.
  void Drop(int id);
  void ReportDropped();
  Listener server_;
  std::map<int, std::unique_ptr<Client>> clients_;
  std::vector<std::unique_ptr<Client>> dropped_;
  int nextId_ = 1;
  ListenError error_ = ListenError::None;
  bool badAddress_ = false;
};

}  // namespace sondaro
