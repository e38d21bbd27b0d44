#include "output/ftp_session.h"

#include <charconv>
#include <filesystem>

#include "core/text.h"

namespace sondaro {

namespace {

// The folder with "/" between it and a file name. A trailing "\" (settings
// files of the past hold "www\") is that separator written the old way: it
// becomes "/", so "www\" and "www" name the same folder. A "\" inside a
// name stays.
std::string WithTrailingSlash(std::string folder) {
  if (folder.empty()) return folder;
  if (folder.back() == '\\') folder.back() = '/';
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool LocalFileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

}  // namespace

FtpHostPort ParseFtpHost(const std::string& field) {
  FtpHostPort r;
  std::string text = field;
  if (ToUpper(text.substr(0, 7)) == "FTPS://") {
    r.Tls = true;
    text.erase(0, 7);
  }
  const auto colon = text.find(':');
  if (colon == std::string::npos) {
    r.Host = text;
    return r;
  }
  r.Host = text.substr(0, colon);
  const std::string port = text.substr(colon + 1);
  int value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (!port.empty() && ec == std::errc() && end == port.data() + port.size() && value >= 1 &&
      value <= 65535)
    r.Port = value;
  return r;
}

// Two letters per byte: high nibble + k + 99 ('c'..), low nibble + k + 102
// ('f'..), k = position mod 3 counting from 1. "abc" -> "jhkjii".
std::string Zasifruj(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int b = static_cast<unsigned char>(text[i]);
    const int k = static_cast<int>((i + 1) % 3);
    out += static_cast<char>(b / 16 + k + 99);
    out += static_cast<char>(b % 16 + k + 102);
  }
  return out;
}

// Hand-edited text is read pair by pair without complaint; an odd last
// letter is ignored.
std::string Odsifruj(const std::string& text) {
  std::string out;
  for (std::size_t n = 1; n <= text.size() / 2; ++n) {
    const int k = static_cast<int>(n % 3);
    const int hi = static_cast<unsigned char>(text[2 * n - 2]) - k - 99;
    const int lo = static_cast<unsigned char>(text[2 * n - 1]) - k - 102;
    out += static_cast<char>(((hi * 16 + lo) % 256 + 256) % 256);
  }
  return out;
}

FtpSession::~FtpSession() { CloseAtExit(); }

void FtpSession::SetIndicator(FtpIndicator colour) {
  indicator_ = colour;
  view_.Changed(Area::Ftp);
}

void FtpSession::Report(const std::string& message) {
  if (hooks.DebugError) hooks.DebugError(message);
}

FtpClient::Done FtpSession::Track(std::function<void(const FtpResult&)> then) {
  if (pending_++ == 0 && hooks.BusyChanged) hooks.BusyChanged(true);
  return [this, then = std::move(then)](const FtpResult& result) {
    if (closed_) return;
    then(result);
    if (--pending_ == 0 && hooks.BusyChanged) hooks.BusyChanged(false);
  };
}

void FtpSession::FtpConnect() {
  if (!client_) {
    Report("FTP connect failed - no FTP client in this program");
    return;
  }
  const FtpHostPort where = ParseFtpHost(Account.Host);
  FtpLogin login{.Host = where.Host,
                 .Port = where.Port,
                 .User = Account.User,
                 .Password = Account.Password,
                 .Passive = Account.Passive,
                 .Tls = where.Tls,
                 .TimeoutMs = kFtpTimeoutMs};
  client_->Connect(login, Track([this](const FtpResult& r) {
    if (!r.Ok) {
      Report("FTP connect failed - " + r.Message);
      return;
    }
    connected_ = true;
    SetIndicator(FtpIndicator::Aqua);
  }));
}

void FtpSession::FtpPut(const std::string& argument) {
  if (argument.empty() || !connected_) return;
  const auto comma = argument.find(',');
  const std::string localName = argument.substr(0, comma);
  const std::string remoteName = comma == std::string::npos ? argument : argument.substr(comma + 1);
  // A backslash is an ordinary character of a file name on the server, so
  // the folder gets "/".
  const std::string remoteDir = WithTrailingSlash(Account.RemoteDir);
  const std::string localPath = WithTrailingSlash(Account.LocalDir) + localName;
  const std::string fullLocal =
      localPath.starts_with('/') ? localPath : WithTrailingSlash(hooks.AppFolder) + localPath;
  if (!LocalFileExists(fullLocal)) {
    Report("File does not exist (" + localPath + ")");
    return;
  }
  if (localName.empty() || remoteName.empty()) return;
  const std::string remotePath = remoteDir + remoteName;
  SetIndicator(FtpIndicator::Yellow);
  client_->Put(fullLocal, remotePath, Track([this, localPath, remotePath](const FtpResult& r) {
    if (r.Ok) {
      SetIndicator(FtpIndicator::Aqua);
      return;
    }
    // The indicator stays yellow: the store did not finish.
    Report("Can't put the file to FTP server (" + localPath + " -> " + remotePath + ")\r\n" +
           r.Message);
    client_->Abort();
  }));
}

void FtpSession::FtpDisconnect() {
  if (!connected_) return;
  SetIndicator(FtpIndicator::Maroon);
  connected_ = false;
  client_->Quit(Track([this](const FtpResult& r) {
    if (!r.Ok) Report("A problem occured while disconnecting from FTP server");
  }));
}

void FtpSession::CloseAtExit() {
  if (closed_) return;
  closed_ = true;
  if (client_) client_->Close();
  connected_ = false;
  pending_ = 0;
}

}  // namespace sondaro
