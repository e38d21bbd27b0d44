#pragma once
// The stereo multiplex signal of a station and the analyzer's view of it:
// instantaneous deviation samples (histogram, peak, power) and captures of
// IF period counts.
#include <array>
#include <cstdint>
#include <vector>

#include "sim/random.h"
#include "sim/world.h"

namespace sondaro::sim {

inline constexpr double kPilotHz = 19000.0;
inline constexpr double kRdsBitRate = 1187.5;
// Modulation power reference: a sine of +-19 kHz deviation, mean square
// 19^2 / 2 kHz^2.
inline constexpr double kPowerRefKHz2 = 19.0 * 19.0 / 2.0;
// The analyzer counts IF periods with a 30 MHz clock: one unit is 1/30 us.
inline constexpr double kCountClockHz = 30e6;
inline constexpr int kCaptureLength = 512;

// What a station puts on its carrier at one moment. Audio is in full-scale
// units (a channel at 1 deviates the carrier by AudioKHz with the other
// channel silent and no pilot or RDS); the clipper keeps |L| and |R| <= 1.
struct Modulation {
  double PilotKHz = 0;
  double RdsKHz = 0;
  double RdsPhaseRad = 0;
  double AudioKHz = 0;
  AudioKind Audio = AudioKind::Noise;
  double Sigma = 0;  // RMS of each channel (noise)
  double Rho = 0;    // left/right correlation (noise)
  double ToneLeftHz = 0, ToneRightHz = 0;
  double ToneAmp = 0;  // amplitude of each tone
};

// Programme dynamics: loudness in dB around the station's mean at time t
// (seconds); 0 for test tones.
[[nodiscard]] double LoudnessDb(const Station& s, std::uint64_t seed, double t);
[[nodiscard]] Modulation ModulationOf(const Station& s, double loudnessDb);
// Mean square deviation in kHz^2.
[[nodiscard]] double MeanSquareKHz2(const Modulation& m);
// Modulation power of the second starting at t, in dBr.
[[nodiscard]] double ModulationPowerDbr(const Station& s, std::uint64_t seed, double t);
// |deviation| at a random instant, kHz.
[[nodiscard]] double DrawDeviation(const Modulation& m, Rng& rng);

struct CaptureInput {
  const Modulation* Mpx = nullptr;  // nullptr: no carrier, only noise
  double IfKHz = 323.0;             // true IF centre of the carrier
  double SnrDb = 60;
  bool Double = false;              // every second period ("2?W")
  // RDS symbols from the capture start on (+1/-1, already differentially
  // coded), and the time into the first symbol.
  std::array<int, 8> RdsSymbols{};
  double RdsFirstSymbolS = 0;
  std::uint64_t Seed = 0;
};

// 512 period counts of the FM IF signal carrying the MPX. Counts stay in
// 64..250, clear of the bytes that frame sections (":" CR LF).
[[nodiscard]] std::vector<std::uint8_t> SynthesiseCapture(const CaptureInput& in);

}  // namespace sondaro::sim
