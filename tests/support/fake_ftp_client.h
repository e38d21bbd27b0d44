#pragma once
// An FTP client that records what it is asked and answers when the test
// says so, oldest operation first.
#include <deque>
#include <string>
#include <vector>

#include "core/ftp_client.h"

namespace sondaro::test {

class FakeFtpClient final : public FtpClient {
 public:
  void Connect(const FtpLogin& login, Done done) override {
    Login = login;
    Calls.push_back("CONNECT " + login.Host + ":" + std::to_string(login.Port));
    pending_.push_back(std::move(done));
  }
  void Put(const std::string& localPath, const std::string& remotePath, Done done) override {
    Calls.push_back("PUT " + localPath + " -> " + remotePath);
    pending_.push_back(std::move(done));
  }
  void Abort() override { Calls.push_back("ABOR"); }
  void Quit(Done done) override {
    Calls.push_back("QUIT");
    pending_.push_back(std::move(done));
  }
  void Close() override {
    Calls.push_back("CLOSE");
    pending_.clear();
  }
  // Answers the oldest operation still waiting.
  void Complete(bool ok, const std::string& message = {}) {
    Done done = std::move(pending_.front());
    pending_.pop_front();
    done(FtpResult{ok, message});
  }
  [[nodiscard]] std::size_t Pending() const { return pending_.size(); }

  FtpLogin Login;
  std::vector<std::string> Calls;

 private:
  std::deque<Done> pending_;
};

}  // namespace sondaro::test
