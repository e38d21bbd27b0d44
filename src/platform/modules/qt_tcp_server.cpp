#include "platform/modules/qt_tcp_server.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QPointer>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sondaro {

class QtTcpServer::Client final : public QObject, public TcpServerClient {
 public:
  Client(QtTcpServer& server, int fd, int id)
      : server_(server),
        fd_(fd),
        id_(id),
        read_(fd, QSocketNotifier::Read),
        write_(fd, QSocketNotifier::Write) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    write_.setEnabled(false);
    connect(&read_, &QSocketNotifier::activated, this, [this] { ReadReady(); });
    connect(&write_, &QSocketNotifier::activated, this, [this] { WriteReady(); });
  }
  ~Client() override { Shut(); }

  void Write(const std::string& bytes) override {
    if (fd_ < 0 || bytes.empty()) return;
    out_ += bytes;
    // Hand the bytes to the system now: a last message written on the way
    // out (the relay's "EXIT" group) must not wait for the event loop.
    Flush();
  }
  void Close() override {
    closing_ = true;
    if (out_.empty()) server_.Drop(id_);
  }
  void Abort() override { server_.Drop(id_); }
  [[nodiscard]] int Id() const override { return id_; }
  [[nodiscard]] std::size_t PendingOutput() const override { return out_.size(); }

  // Closes the socket; nothing is read or written any more.
  void Shut() {
    if (fd_ < 0) return;
    read_.setEnabled(false);
    write_.setEnabled(false);
    ::close(fd_);
    fd_ = -1;
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;
  // Reads a few chunks per notification, so one flooding client cannot keep
  // the others waiting; the notifier fires again for the rest.
  static constexpr int kChunksPerWakeUp = 4;

  void ReadReady() {
    // The engine may drop this client while it handles a chunk.
    const QPointer<Client> alive(this);
    std::string chunk(kChunk, '\0');
    for (int i = 0; i < kChunksPerWakeUp && alive && fd_ >= 0; ++i) {
      const ssize_t n = ::recv(fd_, chunk.data(), chunk.size(), 0);
      if (n > 0) {
        if (server_.OnClientRead)
          server_.OnClientRead(*this, chunk.substr(0, static_cast<std::size_t>(n)));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
      if (n < 0) {
        server_.Drop(id_);
        return;
      }
      // End of the client's sending side: it may still read.
      read_.setEnabled(false);
      if (server_.OnClientInputClosed) server_.OnClientInputClosed(*this);
      else Close();
      return;
    }
  }
  void WriteReady() { Flush(); }
  void Flush() {
    while (fd_ >= 0 && !out_.empty()) {
      const ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        out_.erase(0, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
      server_.Drop(id_);  // the peer is gone
      return;
    }
    if (fd_ < 0) return;
    write_.setEnabled(!out_.empty());
    if (out_.empty() && closing_) server_.Drop(id_);
  }

  QtTcpServer& server_;
  int fd_;
  int id_;
  QSocketNotifier read_;
  QSocketNotifier write_;
  std::string out_;
  bool closing_ = false;
};

QtTcpServer::QtTcpServer(QObject* parent) : QObject(parent) {
  server_.OnIncoming = [this](qintptr fd) { Accept(fd); };
}

QtTcpServer::~QtTcpServer() { Stop(); }

bool QtTcpServer::Listen(const std::string& address, int port) {
  Stop();
  error_ = ListenError::None;
  const QHostAddress host = address.empty() || address == "0.0.0.0"
                                ? QHostAddress(QHostAddress::AnyIPv4)
                                : QHostAddress(QString::fromStdString(address));
  if (host.isNull()) {
    error_ = ListenError::BadAddress;
    return false;
  }
  if (server_.listen(host, static_cast<quint16>(port))) return true;
  switch (server_.serverError()) {
    case QAbstractSocket::AddressInUseError: error_ = ListenError::AddressInUse; break;
    case QAbstractSocket::SocketAccessError: error_ = ListenError::AccessDenied; break;
    case QAbstractSocket::SocketAddressNotAvailableError:
      error_ = ListenError::AddressNotAvailable;
      break;
    default: error_ = ListenError::Other; break;
  }
  return false;
}

std::string QtTcpServer::ErrorText() const {
  if (error_ == ListenError::BadAddress) return "not an IP address";
  return server_.errorString().toStdString();
}

void QtTcpServer::Stop() {
  server_.close();
  auto clients = std::move(clients_);
  clients_.clear();
  for (auto& [id, c] : clients) {
    c->Shut();
    c.release()->deleteLater();
  }
}

std::vector<TcpServerClient*> QtTcpServer::Clients() const {
  std::vector<TcpServerClient*> out;
  for (const auto& [id, c] : clients_) out.push_back(c.get());
  return out;
}

void QtTcpServer::Accept(qintptr fd) {
  const int id = nextId_++;
  auto client = std::make_unique<Client>(*this, static_cast<int>(fd), id);
  Client* raw = client.get();
  clients_[id] = std::move(client);
  if (OnClientConnected) OnClientConnected(*raw);
}

void QtTcpServer::Drop(int id) {
  auto it = clients_.find(id);
  if (it == clients_.end()) return;
  it->second->Shut();
  dropped_.push_back(std::move(it->second));
  clients_.erase(it);
  if (dropped_.size() == 1)
    QMetaObject::invokeMethod(this, [this] { ReportDropped(); }, Qt::QueuedConnection);
}

void QtTcpServer::ReportDropped() {
  const auto gone = std::move(dropped_);
  dropped_.clear();
  for (const auto& c : gone)
    if (OnClientDisconnected) OnClientDisconnected(*c);
}

}  // namespace sondaro

// The module's entry point (platform/module_ports).
extern "C" __attribute__((visibility("default"))) sondaro::TcpServer* sondaro_make_tcp_server() {
  return new sondaro::QtTcpServer();
}
