#include "platform/instance_guard.h"

#include <QLocalSocket>
#include <QTimer>
#include <memory>
#include <unistd.h>

namespace sondaro {

namespace {
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 2000;
constexpr int kReadMs = 2000;
}  // namespace

InstanceGuard::InstanceGuard(const std::string& title, QObject* parent)
    : QObject(parent),
      name_(QString::fromLatin1(title.c_str()).replace(' ', '_') + "-" +
            QString::number(::getuid())) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::Accept);
}

bool InstanceGuard::Claim(const std::string& handOff) {
  QLocalSocket other;
  other.connectToServer(name_);
  if (other.waitForConnected(kConnectMs)) {
    // The terminating zero tells the first instance the text is whole.
    other.write(handOff.c_str(), static_cast<qint64>(handOff.size()) + 1);
    other.waitForBytesWritten(kWriteMs);
    other.disconnectFromServer();
    return false;
  }
  // Nobody answers: a socket file left by a program that died is stale.
  QLocalServer::removeServer(name_);
  // Without the guard (no socket can be made) the program still runs.
  server_.listen(name_);
  return true;
}

void InstanceGuard::Accept() {
  while (QLocalSocket* client = server_.nextPendingConnection()) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    auto text = std::make_shared<QByteArray>();
    auto take = [this, client, text] {
      text->append(client->read(kMaxHandOff - text->size()));
      const qsizetype end = text->indexOf('\0');
      if (end < 0 && text->size() < kMaxHandOff) return;
      const QByteArray whole = end < 0 ? *text : text->left(end);
      client->disconnect(this);
      client->disconnectFromServer();
      if (OnHandOff) OnHandOff(whole.toStdString());
    };
    connect(client, &QLocalSocket::readyRead, this, take);
    // A client that never finishes its text is dropped.
    QTimer::singleShot(kReadMs, client, [client] { client->abort(); });
  }
}

}  // namespace sondaro
