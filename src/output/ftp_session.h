#pragma once
// Publishing files on an FTP server from scripts: the account of the FTP
// Upload dialog, the one session (connect, store, disconnect) and the "FTP"
// indicator of the main window.
//
//   FTPCONNECT            host "ftp.example.net:2121", user, password
//   FTPPUT(report.txt)    STOR www/report.txt  (remote folder "www")
//   FTPPUT(a.jpg,b.jpg)   local a.jpg stored as www/b.jpg
//   FTPDISCONNECT         QUIT
//
// The client works in the background; while an operation is under way the
// session is Busy() and the script that asked for it waits.
#include <functional>
#include <string>

#include "core/ftp_client.h"
#include "core/view.h"

namespace sondaro {

// What the FTP Upload dialog holds; the password in plain text.
struct FtpAccount {
  std::string Host;  // "host", "host:port", "ftps://host[:port]"
  std::string User;
  std::string Password;
  std::string RemoteDir;
  std::string LocalDir;
  bool Passive = false;
};

enum class FtpIndicator { Maroon, Aqua, Yellow };

struct FtpHostPort {
  std::string Host;
  int Port = 21;
  bool Tls = false;
};

// "host:port" -> host and port; a port that is not a decimal integer in
// 1..65535, or no colon at all, gives 21. A leading "ftps://" asks for explicit TLS.
[[nodiscard]] FtpHostPort ParseFtpHost(const std::string& field);

// The stored form of the password: each byte as two letters "c".."w".
[[nodiscard]] std::string Zasifruj(const std::string& text);
[[nodiscard]] std::string Odsifruj(const std::string& text);

inline constexpr int kFtpTimeoutMs = 300000;

struct FtpHooks {
  std::function<void(const std::string&)> DebugError;
  // The local folder is resolved against this (the program folder).
  std::string AppFolder;
  // Busy changed: scripts wait while an operation is under way.
  std::function<void(bool busy)> BusyChanged;
};

class FtpSession {
 public:
  FtpSession(FtpClient* client, View& view) : client_(client), view_(view) {}
  ~FtpSession();
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  void FtpConnect();
  void FtpPut(const std::string& argument);
  void FtpDisconnect();
  // The close path: no QUIT, nothing reported.
  void CloseAtExit();

  [[nodiscard]] bool FtpConnected() const { return connected_; }
  [[nodiscard]] FtpIndicator Indicator() const { return indicator_; }
  [[nodiscard]] bool Busy() const { return pending_ > 0; }

  FtpAccount Account;
  FtpHooks hooks;

 private:
  void SetIndicator(FtpIndicator colour);
  void Report(const std::string& message);
  // Counts an operation in; the returned wrapper counts it out after `then`.
  FtpClient::Done Track(std::function<void(const FtpResult&)> then);

  FtpClient* client_;
  View& view_;
  bool connected_ = false;
  FtpIndicator indicator_ = FtpIndicator::Maroon;
  int pending_ = 0;
  // Outcomes that arrive after CloseAtExit are dropped.
  bool closed_ = false;
};

}  // namespace sondaro
