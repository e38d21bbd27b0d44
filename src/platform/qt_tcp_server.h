#pragma once
// TCP servers with several clients over QTcpServer.
#include <QTcpServer>
#include <QTcpSocket>
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
  [[nodiscard]] std::string ErrorText() const override {
    return server_.errorString().toStdString();
  }
  [[nodiscard]] int ListeningPort() const { return server_.serverPort(); }

 private:
  class Client;
  void Accept();
  QTcpServer server_;
  std::map<int, std::unique_ptr<Client>> clients_;
  int nextId_ = 1;
};

class QtNetworkFactory final : public NetworkFactory {
 public:
  std::unique_ptr<TcpServer> MakeTcpServer() override { return std::make_unique<QtTcpServer>(); }
};

}  // namespace sondaro
