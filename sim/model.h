#pragma once
// The simulated analyzer: takes the command bytes the program writes and
// produces the reply sections it reads, in model time (milliseconds). It is
// passive: the host feeds it bytes, calls Advance as time passes and takes
// the bytes the serial line has finished sending.
#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "sim/command_stream.h"
#include "sim/mpx.h"
#include "sim/options.h"
#include "sim/rds.h"
#include "sim/world.h"

namespace sondaro::sim {

enum class Mode { Measuring, Rds, Stereo };

// What the receiver gets at its tuned frequency.
struct Reception {
  const Station* Carrier = nullptr;  // the station being received, if any
  int StationIndex = -1;
  double DeltaKHz = 0;     // carrier minus tuned frequency
  // The carrier is inside the demodulator's capture range: its programme,
  // pilot and RDS are what the analyzer measures.
  [[nodiscard]] bool OnCarrier() const { return Carrier && DeltaKHz > -60 && DeltaKHz < 60; }
  double LevelDbuv = -3;   // everything in the IF passband
  double SnrDb = -10;      // carrier against noise and neighbours
};

class Model {
 public:
  // Bytes per millisecond on the analyzer's 19200 8N1 line.
  static constexpr double kBytesPerMs = 19200.0 / 10.0 / 1000.0;
  static constexpr double kIfCentreKHz = 323.25;
  static constexpr double kNoiseFloorDbuv = -3.0;
  static constexpr std::size_t kTxBacklogLimit = 8192;  // about 4 s of line time

  // wallAtZero: local wall time (ms since 1970) at model time 0, for CT.
  // startAt: model time at which the analyzer is switched on; its deviation
  // histogram counts from then.
  Model(World world, SimOptions options, std::optional<RdsLog> log = std::nullopt,
        Millis wallAtZero = 1705320000000, Millis startAt = 0);

  // Bytes from the program, arriving at `now`.
  void Receive(Millis now, std::string_view bytes);
  // Runs everything due up to now (replies, periodic sections, tuning).
  void Advance(Millis now);
  // The bytes the line has finished sending by now.
  [[nodiscard]] std::string TakeOutput(Millis now);
  // When Advance next has work; nullopt when only the line is busy or
  // nothing is going on.
  [[nodiscard]] std::optional<Millis> NextEvent() const;
  [[nodiscard]] bool OutputPending() const { return !tx_.empty(); }

  // Inspection, for hosts and tests.
  [[nodiscard]] const World& GetWorld() const { return world_; }
  [[nodiscard]] const SimOptions& Options() const { return options_; }
  [[nodiscard]] int TunedKHz() const { return tunedKHz_; }
  [[nodiscard]] Mode CurrentMode() const { return mode_; }
  [[nodiscard]] const std::array<int, 5>& Dip() const { return dip_; }
  [[nodiscard]] const std::array<std::uint8_t, 14>& AlarmMemory() const { return alarm_; }
  [[nodiscard]] int LoadedFile() const { return loadedFile_; }
  [[nodiscard]] Reception CurrentReception() const { return ReceptionAt(tunedKHz_); }
  [[nodiscard]] Reception ReceptionAt(int tunedKHz) const;
  [[nodiscard]] const std::vector<std::pair<Millis, Command>>& Commands() const {
    return commands_;
  }
  // The group a station sends as number k (numbered from model time 0),
  // before reception losses.
  [[nodiscard]] Group SentGroup(int stationIndex, std::int64_t k) const;
  [[nodiscard]] Millis GroupTime(std::int64_t k) const;

 private:
  struct Pending {
    Millis Due;
    Command Cmd;
  };
  struct TxSegment {
    double Start;  // ms when its first byte starts
    std::string Bytes;
    std::size_t Sent = 0;
  };

  void Execute(Millis now, const Command& c);
  void Reply(Millis now, const Command& c);
  void Section(Millis now, std::string_view header, std::string_view body);
  void SettleTuning(Millis now);
  void RunStreams(Millis now);
  void AccumulateHistogram(Millis now);
  void CatchUpRds(Millis now);
  [[nodiscard]] std::optional<Group> ReceivedGroup(std::int64_t k) const;

  // Reply bodies.
  [[nodiscard]] std::string FrequencyBody() const;
  [[nodiscard]] std::string LevelBody(const Reception& r) const;
  [[nodiscard]] std::string FastSignalInfoBody(Millis now) const;
  [[nodiscard]] std::string HistogramBody() const;
  [[nodiscard]] std::string CaptureBody(Millis now, bool dbl);
  [[nodiscard]] std::string BalanceBody(Millis now) const;
  [[nodiscard]] const Station* Programme(Reception& r, Station& scratch) const;
  [[nodiscard]] std::string MaxBody(Millis now);
  [[nodiscard]] double MeasuredIfKHz(const Reception& r) const;
  [[nodiscard]] int RawLevel(double dbuv) const;
  [[nodiscard]] double Jitter(Millis now, std::uint64_t what) const;  // -0.5..0.5

  World world_;
  SimOptions options_;
  std::optional<RdsLog> rdsLog_;
  int logStation_ = -1;
  Millis wallAtZero_;
  CommandStream stream_;
  std::vector<std::pair<Millis, Command>> commands_;
  std::deque<Pending> pending_;
  std::deque<TxSegment> tx_;
  double txFreeAt_ = 0;
  Millis now_ = 0;

  // Receiver.
  int tunedKHz_ = 87500;
  std::optional<std::pair<Millis, int>> tuning_;  // settles at, to
  Millis tunedAt_ = 0;
  Mode mode_ = Mode::Measuring;
  std::array<int, 5> dip_{0, 0, 1, 0, 0};
  std::array<std::uint8_t, 14> alarm_{};
  int loadedFile_ = 0;
  std::optional<std::string> savedSettings_;

  // Deviation histogram: samples at 20 per second since the start or the
  // last "*C", each the peak of kDrawsPerSample instants.
  static constexpr int kDrawsPerSample = 40;
  std::array<std::int64_t, 122> histogram_{};
  Millis histogramFrom_;
  std::int64_t histogramSamples_ = 0;
  double maxHoldKHz_ = 0;
  std::uint64_t draws_ = 0;

  // RDS decoding since the last tune.
  RdsDecoder decoder_;
  std::int64_t nextDecodeGroup_ = 0;

  // Periodic sections.
  std::optional<Millis> nextMax_, nextPm_, nextBalance_;
  std::optional<std::int64_t> nextRawGroup_;
  std::uint64_t captures_ = 0;
};

}  // namespace sondaro::sim
