#pragma once
// The FTP client on libcurl. One easy handle keeps the control connection
// between operations (connect, then every store reuses the login). The
// transfers run on a worker thread, one at a time in the order asked; each
// outcome is posted back to the thread that owns this object (the engine's,
// through its event loop), so engine state is never touched from the worker.
#include <QObject>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "core/ftp_client.h"

namespace sondaro {

class CurlFtpClient final : public FtpClient {
 public:
  CurlFtpClient();
  ~CurlFtpClient() override;
  CurlFtpClient(const CurlFtpClient&) = delete;
  CurlFtpClient& operator=(const CurlFtpClient&) = delete;

  void Connect(const FtpLogin& login, Done done) override;
  void Put(const std::string& localPath, const std::string& remotePath, Done done) override;
  void Abort() override;
  void Quit(Done done) override;
  void Close() override;

  class Worker;  // the worker thread's side: the handle and the operations

 private:
  struct Job {
    std::function<FtpResult(Worker&)> Run;
    Done OnDone;  // may be empty
  };
  void Enqueue(std::function<FtpResult(Worker&)> run, Done done);
  void Loop();

  QObject context_;  // outcomes are delivered through its thread's event loop
  std::unique_ptr<Worker> worker_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stop_ = false;
  // Outcomes posted before a Close are dropped when they arrive.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace sondaro
