#include "platform/modules/qt_tcp_client.h"

namespace sondaro {

QtTcpClient::QtTcpClient(QObject* parent) : QObject(parent) {
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    established_ = true;
    if (OnConnected) OnConnected();
  });
  connect(&socket_, &QTcpSocket::readyRead, this, [this] {
    const QByteArray chunk = socket_.readAll();
    if (OnRead) OnRead(chunk.toStdString());
  });
  connect(&socket_, &QTcpSocket::disconnected, this, [this] {
    if (!established_) return;
    established_ = false;
    if (OnDisconnected) OnDisconnected();
  });
  connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
    if (OnError) OnError(socket_.errorString().toStdString(), static_cast<int>(e));
    // A failed attempt closes the socket without a "disconnected" signal;
    // report it the same way as a closed connection.
    if (!established_ && socket_.state() != QAbstractSocket::ConnectedState) {
      socket_.abort();
      if (OnDisconnected) OnDisconnected();
    }
  });
}

void QtTcpClient::Connect(const std::string& host, int port) {
  socket_.abort();
  established_ = false;
  socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void QtTcpClient::Close() {
  if (established_) {
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
  } else {
    socket_.abort();
  }
}

bool QtTcpClient::IsConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

void QtTcpClient::Write(const std::string& bytes) {
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace sondaro

// The module's entry point (platform/module_ports).
extern "C" __attribute__((visibility("default"))) sondaro::TcpClient* sondaro_make_tcp_client() {
  return new sondaro::QtTcpClient();
}
