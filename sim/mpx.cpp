#include "sim/mpx.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace sondaro::sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

double Clip1(double x) { return std::clamp(x, -1.0, 1.0); }

}  // namespace

double LoudnessDb(const Station& s, std::uint64_t seed, double t) {
  if (s.Audio == AudioKind::Tones) return 0;
  // Slow swells of the programme plus a syllable-rate flicker; phases are
  // fixed per station so replies are repeatable.
  const std::uint64_t k = Key(seed, static_cast<std::uint64_t>(s.FrequencyKHz));
  const double a = UnitOf(k + 1) * kTwoPi, b = UnitOf(k + 2) * kTwoPi, c = UnitOf(k + 3) * kTwoPi;
  double db = 1.5 * std::sin(kTwoPi * t / 37.0 + a) + 1.0 * std::sin(kTwoPi * t / 11.0 + b) +
              0.8 * std::sin(kTwoPi * t / 4.3 + c);
  const auto slot = static_cast<std::uint64_t>(std::floor(t * 8.0));
  db += 2.0 * (UnitOf(Key(k, slot)) - 0.5);
  return db;
}

Modulation ModulationOf(const Station& s, double loudnessDb) {
  Modulation m;
  m.PilotKHz = s.PilotKHz;
  m.RdsKHz = s.HasRds() ? s.RdsKHz : 0;
  m.RdsPhaseRad = s.RdsPhaseDeg * kTwoPi / 360.0;
  m.AudioKHz = std::max(1.0, s.PeakKHz - m.PilotKHz - m.RdsKHz);
  m.Audio = s.Audio;
  m.Rho = std::clamp(s.Correlation, -1.0, 1.0);
  m.ToneLeftHz = s.ToneLeftHz;
  m.ToneRightHz = s.ToneRightHz;
  // The audio carries what the modulation power leaves after pilot and RDS
  // (a biphase RDS signal has a mean square of a quarter of its peak).
  const double total = kPowerRefKHz2 * std::pow(10.0, (s.PowerDbr + loudnessDb) / 10.0);
  const double audio = std::max(0.01, total - m.PilotKHz * m.PilotKHz / 2 - m.RdsKHz * m.RdsKHz / 4);
  const double fs2 = audio / (m.AudioKHz * m.AudioKHz);  // in full-scale units
  if (s.Audio == AudioKind::Tones) {
    // E[M^2] + E[S^2]/2 = 3/8 of the summed channel powers.
    const int channels = (s.ToneLeftHz > 0 ? 1 : 0) + (s.ToneRightHz > 0 ? 1 : 0);
    m.ToneAmp = channels ? std::min(1.0, std::sqrt(fs2 * 8.0 / 3.0 / channels * 2.0)) : 0;
  } else {
    m.Sigma = std::sqrt(fs2 / ((1 + m.Rho) / 2 + (1 - m.Rho) / 4));
  }
  return m;
}

double MeanSquareKHz2(const Modulation& m) {
  double audio = 0;
  if (m.Audio == AudioKind::Tones) {
    const int channels = (m.ToneLeftHz > 0 ? 1 : 0) + (m.ToneRightHz > 0 ? 1 : 0);
    audio = 3.0 / 8.0 * channels * m.ToneAmp * m.ToneAmp / 2;
  } else {
    audio = m.Sigma * m.Sigma * ((1 + m.Rho) / 2 + (1 - m.Rho) / 4);
  }
  return audio * m.AudioKHz * m.AudioKHz + m.PilotKHz * m.PilotKHz / 2 + m.RdsKHz * m.RdsKHz / 4;
}

double ModulationPowerDbr(const Station& s, std::uint64_t seed, double t) {
  double sum = 0;
  constexpr int kSteps = 16;
  for (int i = 0; i < kSteps; ++i)
    sum += MeanSquareKHz2(ModulationOf(s, LoudnessDb(s, seed, t + (i + 0.5) / kSteps)));
  return 10.0 * std::log10(sum / kSteps / kPowerRefKHz2);
}

double DrawDeviation(const Modulation& m, Rng& rng) {
  double left = 0, right = 0;
  if (m.Audio == AudioKind::Tones) {
    if (m.ToneLeftHz > 0) left = m.ToneAmp * std::sin(rng.Uniform(0, kTwoPi));
    if (m.ToneRightHz > 0) right = m.ToneAmp * std::sin(rng.Uniform(0, kTwoPi));
  } else {
    const double common = rng.Gauss() * std::sqrt(std::max(0.0, m.Rho));
    const double own = std::sqrt(std::max(0.0, 1 - std::max(0.0, m.Rho)));
    left = Clip1(m.Sigma * (common + own * rng.Gauss()));
    right = Clip1(m.Sigma * (common + own * rng.Gauss()));
  }
  const double u = rng.Uniform(0, kTwoPi);
  const double audio = m.AudioKHz * ((left + right) / 2 + (left - right) / 2 * std::sin(2 * u));
  const double rds = m.RdsKHz * std::sin(rng.Uniform(0, kTwoPi)) * std::sin(3 * u + m.RdsPhaseRad);
  return std::fabs(audio + m.PilotKHz * std::sin(u) + rds);
}

namespace {

// Programme noise as a sum of sines with random frequencies and phases: band
// limited, smooth, and cheap to run with rotating phasors.
struct NoiseSource {
  static constexpr int kParts = 12;
  std::array<std::complex<double>, kParts> z, step;
  double amp = std::sqrt(2.0 / kParts);  // unit variance in all

  NoiseSource(Rng& rng, double dt) {
    for (int i = 0; i < kParts; ++i) {
      const double f = 40.0 * std::pow(15000.0 / 40.0, rng.Unit());
      z[i] = std::polar(1.0, rng.Uniform(0, kTwoPi));
      step[i] = std::polar(1.0, kTwoPi * f * dt);
    }
  }
  double Next() {
    double sum = 0;
    for (int i = 0; i < kParts; ++i) {
      sum += z[i].imag();
      z[i] *= step[i];
    }
    return amp * sum;
  }
};

}  // namespace

std::vector<std::uint8_t> SynthesiseCapture(const CaptureInput& in) {
  constexpr double kFs = 3e6;  // phase integration rate
  constexpr double dt = 1.0 / kFs;
  Rng rng(in.Seed);
  const int periodsNeeded = in.Double ? 2 * kCaptureLength : kCaptureLength;
  const double ifHz = in.IfKHz * 1e3;

  const Modulation* m = in.Mpx;
  NoiseSource common(rng, dt), ownL(rng, dt), ownR(rng, dt);
  const double rho = m ? std::clamp(m->Rho, 0.0, 1.0) : 0;
  const double wc = std::sqrt(rho), wo = std::sqrt(1 - rho);
  std::complex<double> toneL = std::polar(1.0, rng.Uniform(0, kTwoPi));
  std::complex<double> toneR = std::polar(1.0, rng.Uniform(0, kTwoPi));
  const std::complex<double> toneLStep = std::polar(1.0, kTwoPi * (m ? m->ToneLeftHz : 0) * dt);
  const std::complex<double> toneRStep = std::polar(1.0, kTwoPi * (m ? m->ToneRightHz : 0) * dt);
  std::complex<double> pilot = std::polar(1.0, rng.Uniform(0, kTwoPi));
  const std::complex<double> pilotStep = std::polar(1.0, kTwoPi * kPilotHz * dt);
  const std::complex<double> rdsRot = std::polar(1.0, m ? m->RdsPhaseRad : 0.0);

  auto mpxKHz = [&](double t) {
    if (!m) return 0.0;
    double left = 0, right = 0;
    if (m->Audio == AudioKind::Tones) {
      if (m->ToneLeftHz > 0) left = m->ToneAmp * toneL.imag();
      if (m->ToneRightHz > 0) right = m->ToneAmp * toneR.imag();
      toneL *= toneLStep;
      toneR *= toneRStep;
    } else {
      const double c = common.Next();
      left = Clip1(m->Sigma * (wc * c + wo * ownL.Next()));
      right = Clip1(m->Sigma * (wc * c + wo * ownR.Next()));
    }
    // 38 kHz at twice and 57 kHz at three times the pilot phase.
    const std::complex<double> p2 = pilot * pilot;
    const std::complex<double> p3 = p2 * pilot * rdsRot;
    const double sum = (left + right) / 2, diff = (left - right) / 2;
    double v = m->AudioKHz * (sum + diff * p2.imag()) + m->PilotKHz * pilot.imag();
    if (m->RdsKHz > 0) {
      // Biphase symbol: one sine cycle per bit, its sign the coded bit.
      const double pos = (t + in.RdsFirstSymbolS) * kRdsBitRate;
      const auto sym = std::min<std::size_t>(static_cast<std::size_t>(pos), in.RdsSymbols.size() - 1);
      const double shape = std::sin(kTwoPi * (pos - std::floor(pos)));
      v += m->RdsKHz * in.RdsSymbols[sym] * shape * p3.imag();
    }
    pilot *= pilotStep;
    return v;
  };

  // Phase noise from the channel: each zero crossing is displaced by the
  // noise; its RMS in 1/30 us units.
  const double snr = std::pow(10.0, (m ? in.SnrDb : -10.0) / 10.0);
  const double sigmaRad = std::min(1.8, std::sqrt(1.0 / (2.0 * snr)));
  const double jitterUnits = sigmaRad / kTwoPi * kCountClockHz / ifHz;

  std::vector<double> edges;  // rising crossings in count units
  edges.reserve(static_cast<std::size_t>(periodsNeeded) + 1);
  double phase = rng.Unit();  // cycles
  double t = 0;
  double f0 = ifHz + 1e3 * mpxKHz(0);
  for (long i = 0; edges.size() <= static_cast<std::size_t>(periodsNeeded) && i < 50'000'000; ++i) {
    const double f1 = ifHz + 1e3 * mpxKHz(t + dt);
    const double next = phase + 0.5 * (f0 + f1) * dt;
    if (std::floor(next) > std::floor(phase)) {
      const double frac = (std::floor(next) - phase) / (next - phase);
      edges.push_back((t + frac * dt) * kCountClockHz + jitterUnits * rng.Gauss());
    }
    phase = next;
    f0 = f1;
    t += dt;
  }
  // A reciprocal counter: every edge is read off the free-running clock, so
  // the quantisation errors of neighbouring periods cancel.
  while (edges.size() <= static_cast<std::size_t>(periodsNeeded))
    edges.push_back((edges.empty() ? 0.0 : edges.back()) + kCountClockHz / ifHz);
  std::vector<std::uint8_t> counts(kCaptureLength);
  const int stride = in.Double ? 2 : 1;
  for (int i = 0; i < kCaptureLength; ++i) {
    const auto a = static_cast<std::size_t>(i * stride);
    const double n = std::floor(edges[a + 1]) - std::floor(edges[a]);
    counts[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(n, 64.0, 250.0));
  }
  return counts;
}

}  // namespace sondaro::sim
