#include "platform/instance_guard.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sondaro {

namespace {
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 2000;
constexpr int kReadMs = 2000;
// Later starts arriving at once; more are turned away.
constexpr int kMaxArriving = 16;

// False when the path does not fit a socket address.
bool MakeAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

void SetSendTimeout(int fd, int ms) {
  const timeval tv{ms / 1000, (ms % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

// A later start's connection, read as its text comes.
class InstanceGuard::Arrival final : public QObject {
 public:
  Arrival(int fd, QObject* parent)
      : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read) {}
  ~Arrival() override { Shut(); }
  void Shut() {
    if (fd_ < 0) return;
    notifier_.setEnabled(false);
    timer_.stop();
    ::close(fd_);
    fd_ = -1;
  }
  int fd_;
  QSocketNotifier notifier_;
  QTimer timer_;
  std::string text_;
};

InstanceGuard::InstanceGuard(const std::string& title, QObject* parent)
    : QObject(parent),
      path_((QDir::tempPath() + "/" + QString::fromLatin1(title.c_str()).replace(' ', '_') + "-" +
             QString::number(::getuid()))
                .toStdString()) {}

InstanceGuard::~InstanceGuard() {
  if (listenFd_ < 0) return;
  notifier_->setEnabled(false);
  ::close(listenFd_);
  ::unlink(path_.c_str());
}

bool InstanceGuard::Claim(const std::string& handOff) {
  sockaddr_un address;
  // Without the guard (no socket can be made) the program still runs.
  if (!MakeAddress(path_, address)) return true;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  SetSendTimeout(fd, kConnectMs);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    SetSendTimeout(fd, kWriteMs);
    // The terminating zero tells the first instance the text is whole.
    const std::string text = handOff + '\0';
    for (std::size_t sent = 0; sent < text.size();) {
      const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (n > 0)
        sent += static_cast<std::size_t>(n);
      else if (n < 0 && errno == EINTR)
        continue;
      else
        break;
    }
    ::close(fd);
    return false;
  }
  ::close(fd);
  // Nobody answers: a socket file left by a program that died is stale.
  ::unlink(path_.c_str());
  Listen();
  return true;
}

// Bound in a private folder, made the user's alone, then moved into place,
// so that no other user can ever connect to it.
void InstanceGuard::Listen() {
  const std::string folder = path_.substr(0, path_.rfind('/') + 1);
  std::string temp = folder + ".sondaro-XXXXXX";
  if (!::mkdtemp(temp.data())) return;
  const std::string inner = temp + "/s";
  sockaddr_un address;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const bool bound = fd >= 0 && MakeAddress(inner, address) &&
                     ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                     ::chmod(inner.c_str(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 8) == 0 &&
                     ::rename(inner.c_str(), path_.c_str()) == 0;
  ::unlink(inner.c_str());
  ::rmdir(temp.c_str());
  if (!bound) {
    if (fd >= 0) ::close(fd);
    return;
  }
  listenFd_ = fd;
  notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &InstanceGuard::Accept);
}

void InstanceGuard::Accept() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (arriving_ >= kMaxArriving) {
      ::close(fd);
      continue;
    }
    ++arriving_;
    auto* arrival = new Arrival(fd, this);
    connect(&arrival->notifier_, &QSocketNotifier::activated, this,
            [this, arrival] { Read(arrival); });
    // A client that never finishes its text is dropped.
    arrival->timer_.setSingleShot(true);
    connect(&arrival->timer_, &QTimer::timeout, this, [this, arrival] { Finish(arrival, false); });
    arrival->timer_.start(kReadMs);
  }
}

void InstanceGuard::Read(Arrival* arrival) {
  std::string& text = arrival->text_;
  char buffer[1024];
  for (;;) {
    const std::size_t room = static_cast<std::size_t>(kMaxHandOff) - text.size();
    const ssize_t n = ::recv(arrival->fd_, buffer, std::min(sizeof buffer, room), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    // Closed or failed before the text was whole: nothing is handed over.
    if (n <= 0) return Finish(arrival, false);
    text.append(buffer, static_cast<std::size_t>(n));
    if (const std::size_t end = text.find('\0'); end != std::string::npos) {
      text.resize(end);
      return Finish(arrival, true);
    }
    if (text.size() >= static_cast<std::size_t>(kMaxHandOff)) return Finish(arrival, true);
  }
}

void InstanceGuard::Finish(Arrival* arrival, bool whole) {
  arrival->Shut();
  --arriving_;
  // Deleted later: this may run inside the arrival's own notifier or timer.
  arrival->deleteLater();
  if (whole && OnHandOff) OnHandOff(arrival->text_);
}

}  // namespace sondaro
