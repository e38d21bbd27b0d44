#pragma once
// Ends a closing program that hangs: once started, it asks the event loop to
// quit after `first` ms, and if the program is still not gone `grace` ms
// later, it ends the process. Disarmed when destroyed (the close finished).
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sondaro {

class ExitWatchdog {
 public:
  using Ms = std::chrono::milliseconds;
  // Both callbacks run on the watchdog's own thread.
  ExitWatchdog(std::function<void()> closeRequest, std::function<void()> terminate,
               Ms first = Ms(8000), Ms grace = Ms(5000));
  ~ExitWatchdog();
  ExitWatchdog(const ExitWatchdog&) = delete;
  ExitWatchdog& operator=(const ExitWatchdog&) = delete;

  // Starts the count; later calls do nothing.
  void Start();

 private:
  void Run();
  bool WaitDisarmed(Ms ms);
  std::function<void()> closeRequest_, terminate_;
  Ms first_, grace_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool disarmed_ = false;
  std::thread thread_;
};

}  // namespace sondaro
