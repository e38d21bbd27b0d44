#pragma once
// The FTP client the engine's FTP session drives. One persistent control
// connection: Connect logs in, Put stores over it, Quit logs out. Every
// operation returns at once; its outcome arrives through `done`, always on
// the engine's thread and in the order the operations were asked for, so a
// transfer never holds up the window.
#include <functional>
#include <string>

namespace sondaro {

struct FtpLogin {
  std::string Host;
  int Port = 21;
  std::string User;
  std::string Password;
  bool Passive = false;
  // FTP over explicit TLS (AUTH TLS on the control and data connections).
  bool Tls = false;
  int TimeoutMs = 300000;  // control connection: connect and each reply
};

struct FtpResult {
  bool Ok = false;
  std::string Message;  // why it failed; empty on success
};

class FtpClient {
 public:
  using Done = std::function<void(const FtpResult&)>;
  virtual ~FtpClient() = default;
  // Drops any earlier connection, then connects and logs in.
  virtual void Connect(const FtpLogin& login, Done done) = 0;
  // Stores the local file as `remotePath` (relative to the login folder, or
  // absolute with a leading "/"), binary, replacing an existing file.
  virtual void Put(const std::string& localPath, const std::string& remotePath, Done done) = 0;
  // ABOR over the control connection if it is still open; failures ignored.
  virtual void Abort() = 0;
  // QUIT if the control connection is still open, then closes it.
  virtual void Quit(Done done) = 0;
  // Closes at once without QUIT, cancelling what is under way; no outcome
  // is reported afterwards for operations still pending.
  virtual void Close() = 0;
};

}  // namespace sondaro
