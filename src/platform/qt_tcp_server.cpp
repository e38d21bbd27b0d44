#include "platform/qt_tcp_server.h"

#include <QHostAddress>

namespace sondaro {

class QtTcpServer::Client final : public TcpServerClient {
 public:
  Client(QTcpSocket* socket, int id) : socket_(socket), id_(id) {}
  void Write(const std::string& bytes) override {
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the system now: a last message written on the way
    // out (the relay's "EXIT" group) must not die in Qt's buffer.
    socket_->flush();
  }
  void Close() override { socket_->disconnectFromHost(); }
  [[nodiscard]] int Id() const override { return id_; }
  QTcpSocket* Socket() const { return socket_; }

 private:
  QTcpSocket* socket_;
  int id_;
};

QtTcpServer::QtTcpServer(QObject* parent) : QObject(parent) {
  connect(&server_, &QTcpServer::newConnection, this, &QtTcpServer::Accept);
}

QtTcpServer::~QtTcpServer() { Stop(); }

bool QtTcpServer::Listen(const std::string& address, int port) {
  Stop();
  const QHostAddress host = address.empty() || address == "0.0.0.0"
                                ? QHostAddress(QHostAddress::AnyIPv4)
                                : QHostAddress(QString::fromStdString(address));
  return server_.listen(host, static_cast<quint16>(port));
}

void QtTcpServer::Stop() {
  server_.close();
  auto clients = std::move(clients_);
  clients_.clear();
  for (auto& [id, c] : clients) {
    c->Socket()->disconnect(this);
    c->Socket()->abort();
    c->Socket()->deleteLater();
  }
}

std::vector<TcpServerClient*> QtTcpServer::Clients() const {
  std::vector<TcpServerClient*> out;
  for (const auto& [id, c] : clients_) out.push_back(c.get());
  return out;
}

void QtTcpServer::Accept() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    const int id = nextId_++;
    auto client = std::make_unique<Client>(socket, id);
    Client* raw = client.get();
    clients_[id] = std::move(client);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, raw] {
      const std::string chunk = socket->readAll().toStdString();
      if (OnClientRead) OnClientRead(*raw, chunk);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket, id] {
      auto it = clients_.find(id);
      if (it == clients_.end()) return;
      auto gone = std::move(it->second);
      clients_.erase(it);
      if (OnClientDisconnected) OnClientDisconnected(*gone);
      socket->deleteLater();
    });
    if (OnClientConnected) OnClientConnected(*raw);
  }
}

}  // namespace sondaro
