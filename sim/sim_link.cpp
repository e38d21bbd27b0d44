#include "sim/sim_link.h"

#include <new>

namespace sondaro::sim {

class SimulatedAnalyzerPorts::SerialSide final : public SerialPort {
 public:
  explicit SerialSide(SimulatedAnalyzerPorts& owner) : owner_(owner) {}
  bool Open(const std::string&, const SerialSettings&) override {
    open_ = true;
    waiting_.clear();
    return true;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  std::string ReadAll() override { return std::exchange(waiting_, {}); }
  void Write(const std::string& bytes) override {
    if (open_) owner_.Write(bytes);
  }
  void Deliver(const std::string& bytes) {
    if (!open_ || bytes.empty()) return;
    waiting_ += bytes;
    if (OnRxChar) OnRxChar();
  }

 private:
  SimulatedAnalyzerPorts& owner_;
  bool open_ = false;
  std::string waiting_;
};

class SimulatedAnalyzerPorts::TcpSide final : public TcpClient {
 public:
  explicit TcpSide(SimulatedAnalyzerPorts& owner) : owner_(owner) {}
  void Connect(const std::string&, int) override {
    attempt_ = true;
    owner_.Schedule();
  }
  void Close() override {
    attempt_ = false;
    if (!connected_) return;
    connected_ = false;
    if (OnDisconnected) OnDisconnected();
  }
  bool IsConnected() const override { return connected_; }
  void Write(const std::string& bytes) override {
    if (connected_) owner_.Write(bytes);
  }
  // From the pump: finish a pending attempt, hand over received bytes.
  bool CompleteAttempt() {
    if (!attempt_) return false;
    attempt_ = false;
    connected_ = true;
    if (OnConnected) OnConnected();
    return true;
  }
  [[nodiscard]] bool AttemptPending() const { return attempt_; }
  void Deliver(const std::string& bytes) {
    if (connected_ && !bytes.empty() && OnRead) OnRead(bytes);
  }

 private:
  SimulatedAnalyzerPorts& owner_;
  bool attempt_ = false;
  bool connected_ = false;
};

namespace {

std::unique_ptr<Model> MakeModel(const SimOptions& options, Clock& clock, std::string& error) {
  World world = DefaultWorld();
  if (!options.WorldFile.empty()) {
    WorldLoad load = LoadWorld(options.WorldFile);
    if (load.Loaded) world = std::move(*load.Loaded);
    else error = "world: " + load.Error;
  }
  std::optional<RdsLog> log;
  if (!options.RdsLogFile.empty()) {
    RdsLogLoad load = LoadRdsLog(options.RdsLogFile);
    if (load.Loaded) log = std::move(*load.Loaded);
    else error += (error.empty() ? "" : "; ") + std::string("rds log: ") + load.Error;
  }
  // Model time is the clock's time, so wall time at model zero follows; the
  // analyzer is switched on now.
  return std::make_unique<Model>(std::move(world), options, std::move(log),
                                 clock.WallNow() - clock.Now(), clock.Now());
}

}  // namespace

SimulatedAnalyzerPorts::SimulatedAnalyzerPorts(Clock& clock, SimOptions options)
    : clock_(clock),
      model_(MakeModel(options, clock, loadError_)),
      serial_(std::make_unique<SerialSide>(*this)),
      tcp_(std::make_unique<TcpSide>(*this)) {}

SimulatedAnalyzerPorts::~SimulatedAnalyzerPorts() {
  // Deliberately not Detach(): by now the TimerSet that holds the pump is
  // normally gone, and the timer owns no memory of its own to free.
}

SerialPort& SimulatedAnalyzerPorts::Serial() { return *serial_; }
TcpClient& SimulatedAnalyzerPorts::Tcp() { return *tcp_; }

void SimulatedAnalyzerPorts::Attach(TimerSet& timers) {
  if (pump_) return;
  pump_ = new (pumpStorage_) Timer(timers, 1, false, [this] { Pump(); });
  Schedule();
}

void SimulatedAnalyzerPorts::Detach() {
  if (!pump_) return;
  pump_->~Timer();
  pump_ = nullptr;
}

void SimulatedAnalyzerPorts::Write(const std::string& bytes) {
  model_->Receive(clock_.Now(), bytes);
  const auto& commands = model_->Commands();
  for (; loggedCommands_ < commands.size(); ++loggedCommands_)
    received_.emplace_back(commands[loggedCommands_].first, commands[loggedCommands_].second.Text());
  Schedule();
}

void SimulatedAnalyzerPorts::Pump() {
  const Millis now = clock_.Now();
  tcp_->CompleteAttempt();
  const std::string out = model_->TakeOutput(now);
  serial_->Deliver(out);
  tcp_->Deliver(out);
  Schedule();
}

void SimulatedAnalyzerPorts::Schedule() {
  if (!pump_) return;
  const Millis now = clock_.Now();
  std::optional<Millis> next = model_->NextEvent();
  if (model_->OutputPending() || tcp_->AttemptPending()) {
    const Millis soon = now + (tcp_->AttemptPending() ? 1 : kChunkMs);
    if (!next || soon < *next) next = soon;
  }
  if (!next) {
    pump_->SetEnabled(false);
    return;
  }
  pump_->SetInterval(std::max<Millis>(1, *next - now));
  pump_->Restart();
}

}  // namespace sondaro::sim
