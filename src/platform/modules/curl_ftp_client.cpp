#include "platform/modules/curl_ftp_client.h"

#include <curl/curl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace sondaro {

namespace {

// Percent-encodes a remote path for the URL. "/" stays a separator, except
// a leading one, which makes the path absolute on the server.
std::string EncodePath(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool plain = std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' ||
                       (c == '/' && i > 0);
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool ValidHost(const std::string& host) {
  if (host.empty()) return false;
  for (unsigned char c : host)
    if (!std::isalnum(c) && c != '.' && c != '-' && c != '_') return false;
  return true;
}

struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

}  // namespace

class CurlFtpClient::Worker {
 public:
  Worker() {
    static std::once_flag global;
    std::call_once(global, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }
  ~Worker() { Drop(); }

  FtpResult Connect(const FtpLogin& login) {
    Drop();
    if (!ValidHost(login.Host)) return {false, "Invalid host name \"" + login.Host + "\""};
    login_ = login;
    curl_ = curl_easy_init();
    if (!curl_) return {false, "Out of memory"};
    Prepare("");
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);  // log in and stay
    return Perform();
  }

  FtpResult Put(const std::string& localPath, const std::string& remotePath) {
    if (!curl_) return {false, "Not connected"};
    std::FILE* file = std::fopen(localPath.c_str(), "rb");
    if (!file) return {false, "Cannot open " + localPath};
    std::error_code ec;
    const auto size = std::filesystem::file_size(localPath, ec);
    Prepare(remotePath);
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_READDATA, file);
    if (!ec) curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    FtpResult r = Perform();
    std::fclose(file);
    return r;
  }

  // One raw command over the open control connection; false when there is
  // none (nothing is sent then).
  FtpResult Command(const char* command) {
    if (!ControlOpen()) return {false, "Not connected"};
    Slist quote(curl_slist_append(nullptr, command));
    Prepare("");
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_, CURLOPT_QUOTE, quote.get());
    return Perform();
  }

  // A failed transfer can leave the control connection out of step with its
  // replies; the next operation logs in afresh instead of reading them.
  void Reopen() {
    Drop();
    curl_ = curl_easy_init();
  }

  FtpResult Quit() {
    FtpResult r{true, {}};
    if (ControlOpen()) r = Command("QUIT");
    Drop();
    return r;
  }

  // Closes the handle without QUIT: the control socket is shut first, so
  // the goodbye that cleanup would send fails at once instead of waiting.
  void Drop() {
    if (!curl_) return;
    curl_socket_t fd = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl_, CURLINFO_ACTIVESOCKET, &fd) == CURLE_OK && fd != CURL_SOCKET_BAD)
      ::shutdown(fd, SHUT_RDWR);
    curl_easy_cleanup(curl_);
    curl_ = nullptr;
  }

  std::atomic<bool> Cancel{false};

 private:
  // The control connection is still held and the server has not closed it.
  bool ControlOpen() {
    if (!curl_) return false;
    curl_socket_t fd = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl_, CURLINFO_ACTIVESOCKET, &fd) != CURLE_OK || fd == CURL_SOCKET_BAD)
      return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return true;
    if (p.revents & (POLLHUP | POLLERR)) return false;
    char byte;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
  }

  // Everything an operation sets, from scratch; the live connection and
  // its login survive the reset.
  void Prepare(const std::string& remotePath) {
    curl_easy_reset(curl_);
    error_[0] = '\0';
    const std::string url = "ftp://" + login_.Host + ":" + std::to_string(login_.Port) + "/" +
                            EncodePath(remotePath);
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl_, CURLOPT_USERNAME, login_.User.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, login_.Password.c_str());
    curl_easy_setopt(curl_, CURLOPT_PROXY, "");
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, error_);
    // STOR with the whole path, as given, no CWD on the way.
    curl_easy_setopt(curl_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl_, CURLOPT_APPEND, 0L);
    if (!login_.Passive) curl_easy_setopt(curl_, CURLOPT_FTPPORT, "-");
    if (login_.Tls) curl_easy_setopt(curl_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    const long seconds = std::max(1, login_.TimeoutMs / 1000);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(login_.TimeoutMs));
    curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
    curl_easy_setopt(curl_, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(login_.TimeoutMs));
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, seconds);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &Progress);
  }

  FtpResult Perform() {
    const CURLcode code = curl_easy_perform(curl_);
    if (code == CURLE_OK) return {true, {}};
    return {false, error_[0] ? std::string(error_) : std::string(curl_easy_strerror(code))};
  }

  static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Worker*>(self)->Cancel.load() ? 1 : 0;
  }

  CURL* curl_ = nullptr;
  FtpLogin login_;
  char error_[CURL_ERROR_SIZE] = {};
};

CurlFtpClient::CurlFtpClient() : worker_(std::make_unique<Worker>()) {}

CurlFtpClient::~CurlFtpClient() { Close(); }

void CurlFtpClient::Enqueue(std::function<FtpResult(Worker&)> run, Done done) {
  std::lock_guard lock(mutex_);
  jobs_.push_back({std::move(run), std::move(done)});
  if (!thread_.joinable()) {
    stop_ = false;
    worker_->Cancel = false;
    thread_ = std::thread([this] { Loop(); });
  }
  wake_.notify_one();
}

void CurlFtpClient::Loop() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (stop_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    FtpResult result = job.Run(*worker_);
    if (!job.OnDone) continue;
    std::lock_guard lock(mutex_);
    if (stop_) return;
    QMetaObject::invokeMethod(
        &context_,
        [alive = alive_, done = std::move(job.OnDone), result = std::move(result)] {
          if (*alive) done(result);
        },
        Qt::QueuedConnection);
  }
}

void CurlFtpClient::Connect(const FtpLogin& login, Done done) {
  Enqueue([login](Worker& w) { return w.Connect(login); }, std::move(done));
}

void CurlFtpClient::Put(const std::string& localPath, const std::string& remotePath, Done done) {
  Enqueue([localPath, remotePath](Worker& w) { return w.Put(localPath, remotePath); },
          std::move(done));
}

void CurlFtpClient::Abort() {
  Enqueue(
      [](Worker& w) {
        w.Command("ABOR");
        w.Reopen();
        return FtpResult{true, {}};
      },
      {});
}

void CurlFtpClient::Quit(Done done) {
  Enqueue([](Worker& w) { return w.Quit(); }, std::move(done));
}

void CurlFtpClient::Close() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    jobs_.clear();
    worker_->Cancel = true;  // a transfer under way gives up at its next progress call
    wake_.notify_one();
  }
  if (thread_.joinable()) thread_.join();
  worker_->Drop();
  *alive_ = false;
  alive_ = std::make_shared<bool>(true);
}

}  // namespace sondaro

// The module's entry point: a new client, owned by the caller.
extern "C" __attribute__((visibility("default"))) sondaro::FtpClient* sondaro_make_ftp_client() {
  return new sondaro::CurlFtpClient();
}
