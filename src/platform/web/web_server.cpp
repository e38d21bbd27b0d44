// The web view's server, built into the run-time module libsondaro_web.so:
// Qt HTTP Server answers GET of the page's few files and hands the WebSocket
// upgrade of "/ws" over; each viewer then gets the page's data as JSON
// texts and the charts as PNG pictures. Nothing a viewer sends changes the
// program: the only message understood picks which charts it shows.
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <array>
#include <list>
#include <map>
#include <memory>

#include "platform/web/web_rules.h"
#include "platform/web_view.h"

namespace sondaro {
namespace {

constexpr const char* kCookie = "sondaro_session";
// What one connection may send: request heads (GET has no body), or a
// viewer's few chart choices; beyond this it is cut off.
constexpr qint64 kMaxHttpBytes = 256 * 1024;
constexpr qint64 kMaxViewerBytes = 1024 * 1024;
constexpr quint64 kMaxViewerMessage = 256;
// A connection that sends nothing for this long is closed unless it is a viewer.
constexpr qint64 kIdleMs = 15000;
constexpr int kMaxConnectionsPerAddress = 16;
constexpr int kMaxConnections = 128;

QByteArray Header(const QHttpServerRequest& request, const QByteArray& name) {
  for (const auto& [key, value] : request.headers())
    if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
  return {};
}

std::string Std(const QByteArray& b) { return std::string(b.constData(), static_cast<std::size_t>(b.size())); }

QByteArray Resource(const QString& name) {
  QFile f(":/web/" + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Hands every accepted socket to `accepted` before Qt HTTP Server takes it.
class WatchedTcpServer final : public QTcpServer {
 public:
  std::function<void(QTcpSocket*)> accepted;
  QTcpSocket* nextPendingConnection() override {
    QTcpSocket* socket = QTcpServer::nextPendingConnection();
    if (socket && accepted) accepted(socket);
    return socket;
  }
};

class WebServer final : public QObject, public WebView {
 public:
  WebServer();
  ~WebServer() override;
  bool Start(const WebConfig& config, std::string& error) override;
  int Port() const override { return port_; }
  int Viewers() const override { return static_cast<int>(viewers_.size()); }
  unsigned WantedCharts() const override;
  void PublishState(const std::string& part, const std::string& json) override;
  void PublishChart(int chart, const std::string& png) override;
  long long BytesSent() const override { return bytesSent_; }

 private:
  struct Connection {
    QPointer<QTcpSocket> Socket;
    QHostAddress Address;
    quint16 PeerPort = 0;
    qint64 Received = 0;
    qint64 LastActive = 0;
    bool Viewer = false;
  };
  struct Viewer {
    std::unique_ptr<QWebSocket> Socket;
    unsigned Wanted = 0;
  };

  void Accepted(QTcpSocket* socket);
  void Sweep();
  void Handle(const QHttpServerRequest& request, QHttpServerResponder&& responder);
  void Reply(QHttpServerResponder& responder, QHttpServerResponder::StatusCode status,
             const QByteArray& type, const QByteArray& body, const QByteArray& cookie = {});
  [[nodiscard]] bool HostOk(const QByteArray& host) const;
  [[nodiscard]] bool SessionOk(const QByteArray& cookieHeader) const;
  void NewWebSockets();
  void Accept(std::unique_ptr<QWebSocket> socket);
  void Received(QWebSocket* socket, const QString& message);
  void Send(Viewer& viewer, const QByteArray& data, bool binary);
  void Drop(QWebSocket* socket);
  void SendChart(Viewer& viewer, int chart);

  QHttpServer http_;
  WatchedTcpServer* tcp_ = nullptr;  // owned by http_
  WebConfig config_;
  std::vector<std::string> hostNames_;
  int port_ = 0;
  std::string session_;
  web::LoginLimiter limiter_;
  std::list<Connection> connections_;
  std::vector<std::unique_ptr<Viewer>> viewers_;
  std::map<std::string, QByteArray> state_;  // part -> message
  std::array<QByteArray, kWebCharts> charts_;  // message per chart
  QTimer sweep_;
  long long bytesSent_ = 0;
};

WebServer::WebServer() {
  QRandomGenerator* random = QRandomGenerator::system();
  for (int i = 0; i < 32; ++i) session_ += "0123456789abcdef"[random->bounded(16)];
  http_.setMissingHandler([this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
    Handle(request, std::move(responder));
  });
  // Qt HTTP Server upgrades a request only where a route matches; the
  // viewer is checked as soon as its socket is handed over (Accept).
  http_.route("/ws", [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
    if (Header(request, "Upgrade").isEmpty()) Handle(request, std::move(responder));
  });
  QObject::connect(&http_, &QAbstractHttpServer::newWebSocketConnection, this, [this] { NewWebSockets(); });
  sweep_.setInterval(1000);
  QObject::connect(&sweep_, &QTimer::timeout, this, [this] { Sweep(); });
}

WebServer::~WebServer() {
  // The sockets outlive this object's lists by a little: no call back.
  for (Connection& c : connections_)
    if (c.Socket) c.Socket->disconnect(this);
  for (auto& v : viewers_) {
    v->Socket->disconnect(this);
    v->Socket->abort();
  }
}

bool WebServer::Start(const WebConfig& config, std::string& error) {
  config_ = config;
  QHostAddress address;
  if (!address.setAddress(QString::fromStdString(config.Address))) {
    error = "not a numeric address: " + config.Address;
    return false;
  }
  tcp_ = new WatchedTcpServer;
  tcp_->setParent(&http_);
  tcp_->accepted = [this](QTcpSocket* s) { Accepted(s); };
  if (!tcp_->listen(address, static_cast<quint16>(config.Port))) {
    error = tcp_->errorString().toStdString();
    return false;
  }
  port_ = tcp_->serverPort();
  http_.bind(tcp_);
  // The names a browser may reach us by: the address listened on, the
  // loopback names when that is loopback, every address of this machine
  // when listening on all of them, and the configured names.
  hostNames_ = config.HostNames;
  hostNames_.push_back(address.toString().toStdString());
  if (address.isLoopback()) {
    for (const char* n : {"localhost", "127.0.0.1", "::1"}) hostNames_.push_back(n);
  } else if (address == QHostAddress::AnyIPv4 || address == QHostAddress::AnyIPv6 ||
             address == QHostAddress::Any) {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
      hostNames_.push_back(a.toString().section('%', 0, 0).toStdString());
    hostNames_.push_back("localhost");
  }
  sweep_.start();
  return true;
}

void WebServer::Accepted(QTcpSocket* socket) {
  const QHostAddress address = socket->peerAddress();
  // The oldest plain connection of a crowded address, or of a crowded
  // server, makes room: idle or half-sent requests cannot lock viewers out.
  auto dropOldest = [this](const std::function<bool(const Connection&)>& which, int limit) {
    int n = 0;
    for (const Connection& c : connections_) n += which(c) ? 1 : 0;
    if (n < limit) return;
    for (Connection& c : connections_)
      if (which(c) && c.Socket) {
        c.Socket->abort();
        return;
      }
  };
  dropOldest([&](const Connection& c) { return c.Socket && !c.Viewer && c.Address == address; },
             kMaxConnectionsPerAddress);
  dropOldest([](const Connection& c) { return c.Socket && !c.Viewer; }, kMaxConnections);

  std::erase_if(connections_, [](const Connection& c) { return !c.Socket; });
  connections_.push_back({socket, address, socket->peerPort(), 0, QDateTime::currentMSecsSinceEpoch(), false});
  auto it = std::prev(connections_.end());
  // Connected before Qt HTTP Server's own slot, so it sees every byte first.
  QObject::connect(socket, &QTcpSocket::readyRead, this, [this, it] {
    Connection& c = *it;
    if (!c.Socket) return;
    c.Received += c.Socket->bytesAvailable();
    c.LastActive = QDateTime::currentMSecsSinceEpoch();
    if (c.Received > (c.Viewer ? kMaxViewerBytes : kMaxHttpBytes)) {
      c.Socket->readAll();  // none of it is parsed
      QMetaObject::invokeMethod(c.Socket, &QTcpSocket::abort, Qt::QueuedConnection);
    }
  });
}

void WebServer::Sweep() {
  // The upgrade cuts every connection of the socket, so gone sockets are
  // found here rather than told.
  std::erase_if(connections_, [](const Connection& c) { return !c.Socket; });
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  for (Connection& c : connections_)
    if (c.Socket && !c.Viewer && now - c.LastActive > kIdleMs) c.Socket->abort();
}

bool WebServer::HostOk(const QByteArray& host) const {
  return web::HostAllowed(Std(host), hostNames_, port_);
}

bool WebServer::SessionOk(const QByteArray& cookieHeader) const {
  return config_.Token.empty() || web::SameSecret(web::CookieValue(Std(cookieHeader), kCookie), session_);
}

void WebServer::Reply(QHttpServerResponder& responder, QHttpServerResponder::StatusCode status,
                      const QByteArray& type, const QByteArray& body, const QByteArray& cookie) {
  responder.writeStatusLine(status);
  responder.writeHeader("Content-Type", type);
  responder.writeHeader("Content-Length", QByteArray::number(body.size()));
  responder.writeHeader("Cache-Control", "no-store");
  responder.writeHeader("X-Content-Type-Options", "nosniff");
  responder.writeHeader("X-Frame-Options", "DENY");
  responder.writeHeader("Referrer-Policy", "no-referrer");
  responder.writeHeader("Content-Security-Policy",
                        "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob:; "
                        "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
  if (status == QHttpServerResponder::StatusCode::MethodNotAllowed) responder.writeHeader("Allow", "GET");
  if (!cookie.isEmpty()) responder.writeHeader("Set-Cookie", cookie);
  responder.writeBody(body);
}

void WebServer::Handle(const QHttpServerRequest& request, QHttpServerResponder&& responder) {
  using Status = QHttpServerResponder::StatusCode;
  const QByteArray text = "text/plain; charset=utf-8";
  if (!HostOk(Header(request, "Host"))) return Reply(responder, Status::Forbidden, text, "Unknown host\n");
  if (request.method() != QHttpServerRequest::Method::Get)
    return Reply(responder, Status::MethodNotAllowed, text, "Only GET\n");
  const QString path = request.url().path();
  static const std::map<QString, std::pair<QString, QByteArray>> files = {
      {"/app.js", {"app.js", "text/javascript; charset=utf-8"}},
      {"/login.js", {"login.js", "text/javascript; charset=utf-8"}},
      {"/style.css", {"style.css", "text/css; charset=utf-8"}},
  };
  if (const auto f = files.find(path); f != files.end())
    return Reply(responder, Status::Ok, f->second.second, Resource(f->second.first));
  const QByteArray html = "text/html; charset=utf-8";
  if (path == "/" || path == "/index.html") {
    const bool in = SessionOk(Header(request, "Cookie"));
    return Reply(responder, Status::Ok, html, Resource(in ? "index.html" : "login.html"));
  }
  if (path == "/login") {
    const std::string address = request.remoteAddress().toString().toStdString();
    const auto now = web::LoginLimiter::Clock::now();
    if (!limiter_.Allowed(address, now))
      return Reply(responder, Status::TooManyRequests, text, "Too many tries; wait a minute\n");
    const std::string given = web::BearerToken(Std(Header(request, "Authorization")));
    if (config_.Token.empty() || !web::SameSecret(given, config_.Token)) {
      limiter_.Failed(address, now);
      return Reply(responder, Status::Unauthorized, text, "Wrong token\n");
    }
    return Reply(responder, Status::NoContent, text, {},
                 QByteArray(kCookie) + "=" + QByteArray::fromStdString(session_) +
                     "; Path=/; HttpOnly; SameSite=Strict");
  }
  Reply(responder, Status::NotFound, text, "Not found\n");
}

void WebServer::NewWebSockets() {
  while (http_.hasPendingWebSocketConnections())
    if (std::unique_ptr<QWebSocket> s = http_.nextPendingWebSocketConnection()) Accept(std::move(s));
}

void WebServer::Accept(std::unique_ptr<QWebSocket> socket) {
  const QNetworkRequest request = socket->request();
  const QByteArray origin = request.rawHeader("Origin");
  const char* refusal = nullptr;
  if (!HostOk(request.rawHeader("Host"))) refusal = "unknown host";
  else if (!origin.isEmpty() && !web::OriginAllowed(Std(origin), hostNames_, port_)) refusal = "foreign origin";
  else if (request.url().path() != "/ws") refusal = "not found";
  else if (!SessionOk(request.rawHeader("Cookie"))) refusal = "login needed";
  else if (static_cast<int>(viewers_.size()) >= config_.MaxViewers) refusal = "too many viewers";
  if (refusal) {
    QWebSocket* s = socket.release();
    s->close(QWebSocketProtocol::CloseCodePolicyViolated, refusal);
    s->deleteLater();
    return;
  }
  for (Connection& c : connections_)
    if (c.Address == socket->peerAddress() && c.PeerPort == socket->peerPort()) c.Viewer = true;
  socket->setMaxAllowedIncomingFrameSize(kMaxViewerMessage);
  socket->setMaxAllowedIncomingMessageSize(kMaxViewerMessage);
  QWebSocket* raw = socket.get();
  QObject::connect(raw, &QWebSocket::textMessageReceived, this,
                   [this, raw](const QString& m) { Received(raw, m); });
  QObject::connect(raw, &QWebSocket::binaryMessageReceived, this, [this, raw] { Drop(raw); });
  QObject::connect(raw, &QWebSocket::disconnected, this, [this, raw] { Drop(raw); });
  viewers_.push_back(std::make_unique<Viewer>(Viewer{std::move(socket), 0}));
  Viewer& v = *viewers_.back();
  for (const auto& [part, message] : state_) Send(v, message, false);
}

void WebServer::Received(QWebSocket* socket, const QString& message) {
  // "show N": the viewer shows the charts of the bits of N.
  const auto it = std::find_if(viewers_.begin(), viewers_.end(),
                               [socket](const auto& v) { return v->Socket.get() == socket; });
  if (it == viewers_.end()) return;
  Viewer& v = **it;
  bool ok = false;
  const unsigned wanted = message.startsWith("show ") ? message.mid(5).toUInt(&ok) : 0;
  if (!ok || wanted >= (1U << kWebCharts)) return;
  const unsigned fresh = wanted & ~v.Wanted;
  v.Wanted = wanted;
  for (int c = 0; c < kWebCharts; ++c)
    if (fresh & (1U << c)) SendChart(v, c);
}

void WebServer::SendChart(Viewer& viewer, int chart) {
  if (!charts_[static_cast<std::size_t>(chart)].isEmpty())
    Send(viewer, charts_[static_cast<std::size_t>(chart)], true);
}

void WebServer::Send(Viewer& viewer, const QByteArray& data, bool binary) {
  QWebSocket* s = viewer.Socket.get();
  if (s->state() != QAbstractSocket::ConnectedState) return;
  // A viewer that does not read is dropped, not buffered for: it holds at
  // most the bound and one message.
  if (s->bytesToWrite() > config_.MaxQueuedBytes) {
    QMetaObject::invokeMethod(this, [this, s] { Drop(s); }, Qt::QueuedConnection);
    return;
  }
  binary ? s->sendBinaryMessage(data) : s->sendTextMessage(QString::fromUtf8(data));
  bytesSent_ += data.size();
}

void WebServer::Drop(QWebSocket* socket) {
  const auto it = std::find_if(viewers_.begin(), viewers_.end(),
                               [socket](const auto& v) { return v->Socket.get() == socket; });
  if (it == viewers_.end()) return;
  std::unique_ptr<QWebSocket> s = std::move((*it)->Socket);
  viewers_.erase(it);
  s->disconnect(this);
  s->abort();
  s.release()->deleteLater();
}

unsigned WebServer::WantedCharts() const {
  unsigned bits = 0;
  for (const auto& v : viewers_) bits |= v->Wanted;
  return bits;
}

void WebServer::PublishState(const std::string& part, const std::string& json) {
  QByteArray message = "{\"part\":\"" + QByteArray::fromStdString(part) + "\",\"data\":" +
                       QByteArray::fromStdString(json) + "}";
  state_[part] = message;
  for (std::size_t i = 0; i < viewers_.size(); ++i) Send(*viewers_[i], message, false);
}

void WebServer::PublishChart(int chart, const std::string& png) {
  if (chart < 0 || chart >= kWebCharts) return;
  QByteArray message(1, static_cast<char>(chart));
  message += QByteArray::fromStdString(png);
  charts_[static_cast<std::size_t>(chart)] = message;
  for (std::size_t i = 0; i < viewers_.size(); ++i)
    if (viewers_[i]->Wanted & (1U << chart)) Send(*viewers_[i], message, true);
}

}  // namespace
}  // namespace sondaro

extern "C" __attribute__((visibility("default"))) sondaro::WebView* sondaro_make_web_view() {
  return new sondaro::WebServer;
}
