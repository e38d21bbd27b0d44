#pragma once
// What an unattended monitor reads: a copy of the readings that the engine
// hands to a MonitorSink after every parser tick. The sink (the metrics
// endpoint) serves it from its own threads and never calls into the engine.
#include <optional>
#include <string>

namespace sondaro {

struct MonitorSnapshot {
  // Link: "Disconnect" enabled (what %connected shows), bytes flowing, and
  // how often bytes have started to flow since start.
  bool LinkConnected = false;
  bool LinkUp = false;
  long long LinkUps = 0;

  // Readings as the program shows them; nothing when there is none.
  std::optional<double> FrequencyHz;
  std::optional<double> Level;  // dBuV when LevelInDbuv, else the M40's own figure
  bool LevelInDbuv = false;
  std::optional<double> SignalQuality;  // 0..5
  std::optional<double> PilotHz, RdsInjectionHz, PeakDeviationHz;
  std::optional<double> PmLastDbr, PmAverageDbr;  // average over the last 30 minutes

  // Deviation histogram.
  std::optional<double> AboveLimitRatio;  // nothing until computed for the limit
  double DeviationLimitHz = 0;
  double MaxAtHz = 0;
  long long TotalSamples = 0;

  // RDS stream: groups since start, block error rate over 10 s and 60 s.
  long long RdsGroups = 0;
  std::optional<double> BlockErrorRatio10s, BlockErrorRatio60s;
  // Decoded values as shown (8-bit text).
  std::string Pi, Ps, Pty, Rt;

  // Carrier offset from the normal set on the reference station.
  std::optional<double> CarrierOffsetHz;
  // Last MPX capture: peak levels of the decoded channels, and the pilot's
  // phase while a stereo pilot is present.
  std::optional<double> MpxPeakLeftDb, MpxPeakRightDb, PilotPhaseRadians;
  // Band scan: stations found, and when the last scan ended (Unix seconds).
  long long BandscanStations = 0;
  std::optional<double> BandscanFinishedSeconds;
  std::string Version;
};

// [Metrics] in kaveli.ini: the endpoint listens on Address:Port while Port is
// set.
struct MetricsSettings {
  std::string Port;
  std::string Address = "127.0.0.1";
};

class MonitorSink {
 public:
  virtual ~MonitorSink() = default;
  // Called on the engine thread; must not block for long.
  virtual void Publish(const MonitorSnapshot& snapshot) = 0;
};

}  // namespace sondaro
