#pragma once
// The simulated analyzer behind the engine's link ports, in the engine's
// own time: what the engine writes goes to the model at once; replies come
// back from a timer in the engine's TimerSet, a chunk at a time, as fast as
// a 19200 baud line carries them.
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/ports.h"
#include "core/timer.h"
#include "sim/model.h"
#include "sim/options.h"

namespace sondaro::sim {

class SimulatedAnalyzerPorts {
 public:
  explicit SimulatedAnalyzerPorts(Clock& clock, SimOptions options = {});
  ~SimulatedAnalyzerPorts();
  SimulatedAnalyzerPorts(const SimulatedAnalyzerPorts&) = delete;
  SimulatedAnalyzerPorts& operator=(const SimulatedAnalyzerPorts&) = delete;

  // Open() of any device name succeeds and talks to the model.
  SerialPort& Serial();
  // Connect() of any host and port succeeds; OnConnected fires from a timer.
  TcpClient& Tcp();
  // Called once after the App exists. The ports must outlive that TimerSet
  // (the App holds references to them anyway); to drop them earlier, call
  // Detach() first.
  void Attach(TimerSet& timers);
  void Detach();
  Model& GetModel() { return *model_; }
  // Every command the model has received, with the time it arrived.
  [[nodiscard]] const std::vector<std::pair<Millis, std::string>>& ReceivedCommands() const {
    return received_;
  }
  // Why the world file or RDS log of the options was not used (the built-in
  // world stands in); empty when all was loaded.
  [[nodiscard]] const std::string& LoadError() const { return loadError_; }

  // Granularity of reply delivery while the line is busy.
  static constexpr Millis kChunkMs = 10;

 private:
  class SerialSide;
  class TcpSide;
  friend class SerialSide;
  friend class TcpSide;

  void Write(const std::string& bytes);
  void Pump();
  void Schedule();

  Clock& clock_;
  std::unique_ptr<Model> model_;
  std::string loadError_;
  std::unique_ptr<SerialSide> serial_;
  std::unique_ptr<TcpSide> tcp_;
  std::vector<std::pair<Millis, std::string>> received_;
  std::size_t loggedCommands_ = 0;
  // The pump timer lives in the App's TimerSet, which is usually destroyed
  // before these ports; its storage is ours so that it is never destroyed
  // through a dead TimerSet (see the destructor).
  alignas(Timer) unsigned char pumpStorage_[sizeof(Timer)];
  Timer* pump_ = nullptr;
};

}  // namespace sondaro::sim
