#pragma once
// The stations the simulated analyzer can receive, and the small text file
// that describes them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondaro::sim {

enum class AudioKind {
  Noise,  // programme-like: band-limited noise per channel with a moving loudness
  Tones,  // one sine per channel (0 Hz for a silent channel)
};

// Another programme announced through EON.
struct OtherNetwork {
  std::uint16_t Pi = 0;
  std::string Ps;  // 8 characters
};

struct Station {
  int FrequencyKHz = 0;  // carrier, on the 10 kHz grid: 98.50 MHz is 98500
  double LevelDbuv = 50;  // at the antenna input
  double CarrierOffsetKHz = 0;

  // RDS. Pi 0 means the station sends no RDS at all.
  std::uint16_t Pi = 0;
  std::string Ps;   // padded to 8
  std::string Rt;   // up to 64
  int Pty = 0;
  bool Tp = false, Ta = false, Music = true;
  int Di = 1;  // decoder identification bits d3..d0; 1 = stereo
  int Ecc = 0;  // 0 = not sent
  std::string Ptyn;  // empty = not sent
  bool SendsCt = true;
  int CtOffsetHalfHours = 2;  // local time offset sent in the CT group
  std::vector<int> AfKHz;
  std::vector<OtherNetwork> Eon;

  // Modulation, deviations in kHz.
  double PilotKHz = 6.8;  // 0 = mono
  double RdsKHz = 3.5;
  double RdsPhaseDeg = 90;  // RDS subcarrier against the third pilot harmonic
  double PeakKHz = 75;      // the station's clipper
  double PowerDbr = 0;      // modulation power, 0 dBr = a +-19 kHz sine
  AudioKind Audio = AudioKind::Noise;
  double ToneLeftHz = 1000, ToneRightHz = 3000;
  double Correlation = 0.5;  // between left and right (noise)

  [[nodiscard]] bool HasRds() const { return Pi != 0 && RdsKHz > 0; }
};

struct World {
  std::vector<Station> Stations;
};

// About a dozen stations across the band with varied levels and content:
// strong and weak ones, close neighbours, a mono station, one without RDS
// and one with RDS coding faults.
[[nodiscard]] World DefaultWorld();

struct WorldLoad {
  std::optional<World> Loaded;
  std::string Error;  // "line 12: unknown key 'lvl'" when Loaded is empty
};
// Text format: "[station]" starts a station, then "key = value" lines;
// "#" starts a comment. Keys: freq (MHz), level (dBuV), offset (kHz), pi
// (hex), ps, rt, pty, tp, ta, ms (music|speech), di, ecc (hex), ptyn, ct
// (yes|no), ct_offset (half hours), af (MHz list, comma separated), eon
// ("PI PS", repeatable), pilot, rds, rds_phase, peak, power (dBr),
// audio (noise | tones LEFT_HZ RIGHT_HZ), correlation.
[[nodiscard]] WorldLoad ParseWorld(const std::string& text);
[[nodiscard]] WorldLoad LoadWorld(const std::string& path);

}  // namespace sondaro::sim
