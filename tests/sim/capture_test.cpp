// Captures of IF period counts, demodulated here the plain way (a period of
// n units of 1/30 us is an IF of 30000 / n kHz) and looked at in frequency.
#include <cmath>
#include <complex>
#include <cstdio>

#include <gtest/gtest.h>

#include "core/text.h"
#include "sim/model.h"

namespace sondaro {
namespace {

constexpr double kPi = 3.141592653589793;

struct Capture {
  std::string counts;  // 512 bytes
  double ifKHz = 0;
};

// Tunes a fresh analyzer and takes one capture the way the program asks.
Capture Take(int khz, bool dbl, std::uint64_t seed = 1, Millis at = 5000) {
  sim::SimOptions o;
  o.Seed = seed;
  sim::Model m(sim::DefaultWorld(), o);
  char tune[16];
  std::snprintf(tune, sizeof tune, "%06d*F", khz);
  m.Receive(0, tune);
  m.Receive(at, dbl ? "?I2?W" : "?I1?W");
  const std::string out = m.TakeOutput(at + 1000);
  Capture c;
  const auto w = out.find("W:\r\n");
  EXPECT_NE(w, std::string::npos);
  if (w == std::string::npos) return c;
  c.counts = out.substr(w + 4, 512);
  EXPECT_EQ(out.substr(w + 4 + 512, 4), "\r\n\r\n");
  const auto i = out.find("IF:\r\n");
  c.ifKHz = ReadDecimal(RemoveAll(out.substr(i + 5, 10), " kHz")).value_or(0);
  return c;
}

// Instantaneous deviation per period, held over the period on a grid of ten
// count units (3 MHz; in the double time base, where every count stands for
// two periods, the same grid is 1.5 MHz).
std::vector<double> Baseband(const Capture& c, bool = false) {
  std::vector<double> out;
  double end = 0;  // running end of the current period, in grid steps
  for (unsigned char n : c.counts) {
    const double dev = 30000.0 / n - c.ifKHz;
    end += n / 10.0;
    while (static_cast<double>(out.size()) < end) out.push_back(dev);
  }
  return out;
}

// Amplitude of a sine at f (Hz) in a Hann-windowed stretch sampled at fs.
double Amplitude(const std::vector<double>& x, double f, double fs) {
  std::complex<double> sum = 0;
  double wsum = 0;
  const double n = static_cast<double>(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / n);
    sum += w * x[i] * std::polar(1.0, -2 * kPi * f * static_cast<double>(i) / fs);
    wsum += w;
  }
  return 2 * std::abs(sum) / wsum;
}

// Largest amplitude found in a band, 250 Hz steps.
double BandPeak(const std::vector<double>& x, double lo, double hi, double fs) {
  double peak = 0;
  for (double f = lo; f <= hi; f += 250) peak = std::max(peak, Amplitude(x, f, fs));
  return peak;
}

TEST(Capture, PilotShowsAtNineteenKilohertzWithTheStationsDeviation) {
  for (const sim::Station& s : sim::DefaultWorld().Stations) {
    SCOPED_TRACE(s.FrequencyKHz);
    for (bool dbl : {false, true}) {
      const Capture c = Take(s.FrequencyKHz, dbl);
      ASSERT_EQ(c.counts.size(), 512u);
      const double fs = dbl ? 1.5e6 : 3e6;
      const auto x = Baseband(c, dbl);
      // Averaging over a period of about 3 us costs under 1 % at 19 kHz.
      const double pilot = BandPeak(x, 18500, 19500, fs);
      EXPECT_NEAR(pilot, s.PilotKHz, 0.08 * s.PilotKHz + 0.6) << (dbl ? "double" : "normal");
    }
  }
}

TEST(Capture, StereoAndRdsSubcarriersWhereTheStationHasThem) {
  // Test tones 1 kHz left, 3 kHz right: the difference signal sits around
  // 38 kHz as 37/39 and 35/41 kHz side bands; RDS fills 57 +- 2.4 kHz.
  const auto tones = Baseband(Take(98500, false), false);
  const double fs = 3e6;
  const double quiet = BandPeak(tones, 62000, 66000, fs);
  EXPECT_GT(BandPeak(tones, 36500, 39500, fs), 3.0);
  EXPECT_GT(BandPeak(tones, 34500, 35500, fs), 3.0);
  EXPECT_GT(BandPeak(tones, 55500, 58500, fs), 1.0);
  EXPECT_LT(quiet, 0.6);
  // The mono station without RDS has neither.
  const auto mono = Baseband(Take(94100, false), false);
  EXPECT_LT(BandPeak(mono, 18500, 19500, fs), 0.6);
  EXPECT_LT(BandPeak(mono, 30000, 46000, fs), 0.6);
  EXPECT_LT(BandPeak(mono, 55000, 59000, fs), 0.6);
}

// Least squares: coefficients of the columns of `basis` that best rebuild x.
std::vector<double> Fit(const std::vector<std::vector<double>>& basis, const std::vector<double>& x) {
  const std::size_t k = basis.size();
  std::vector<std::vector<double>> a(k, std::vector<double>(k + 1, 0));
  for (std::size_t r = 0; r < k; ++r) {
    for (std::size_t c = 0; c < k; ++c)
      for (std::size_t i = 0; i < x.size(); ++i) a[r][c] += basis[r][i] * basis[c][i];
    for (std::size_t i = 0; i < x.size(); ++i) a[r][k] += basis[r][i] * x[i];
  }
  for (std::size_t col = 0; col < k; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col + 1; r < k; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    std::swap(a[col], a[pivot]);
    for (std::size_t r = 0; r < k; ++r) {
      if (r == col) continue;
      const double f = a[r][col] / a[col][col];
      for (std::size_t c = col; c <= k; ++c) a[r][c] -= f * a[col][c];
    }
  }
  std::vector<double> out(k);
  for (std::size_t r = 0; r < k; ++r) out[r] = a[r][k] / a[r][r];
  return out;
}

TEST(Capture, DifferenceSignalIsLockedToTwiceThePilotPhase) {
  // Test tones, 1 kHz left and 3 kHz right: M = (L + R) / 2 and the
  // difference S = (L - R) / 2 rides on sin(2 x pilot phase). So the 1 kHz
  // content of S equals that of M and the 3 kHz content is its negative;
  // nothing is left in quadrature.
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    const auto x = Baseband(Take(98500, false, seed));
    const double fs = 3e6;
    auto column = [&](auto f) {
      std::vector<double> v(x.size());
      for (std::size_t i = 0; i < x.size(); ++i) v[i] = f(static_cast<double>(i) / fs);
      return v;
    };
    auto sine = [](double hz) { return [hz](double t) { return std::sin(2 * kPi * hz * t); }; };
    auto cosine = [](double hz) { return [hz](double t) { return std::cos(2 * kPi * hz * t); }; };
    // One linear fit: DC, pilot, the tones, and each tone times sin and cos
    // of 2 x 19 kHz.
    auto product = [&](auto tone, bool cosine38) {
      return column([tone, cosine38](double t) {
        const double arg = 2 * kPi * 38000 * t;
        return tone(t) * (cosine38 ? std::cos(arg) : std::sin(arg));
      });
    };
    const auto c = Fit({column([](double) { return 1.0; }), column(sine(19000)), column(cosine(19000)),
                        column(sine(1000)), column(cosine(1000)), column(sine(3000)), column(cosine(3000)),
                        product(sine(1000), false), product(sine(1000), true),
                        product(cosine(1000), false), product(cosine(1000), true),
                        product(sine(3000), false), product(sine(3000), true),
                        product(cosine(3000), false), product(cosine(3000), true)},
                       x);
    // pilot = P sin(w t + theta)
    const double theta = std::atan2(c[2], c[1]);
    EXPECT_NEAR(std::hypot(c[1], c[2]), 6.75, 0.4);
    // Split each product pair into the part along sin(2 w t + 2 theta) and
    // the part in quadrature.
    const double cs = std::cos(2 * theta), sn = std::sin(2 * theta);
    auto inPhase = [&](std::size_t i) { return c[i] * cs + c[i + 1] * sn; };
    auto quad = [&](std::size_t i) { return -c[i] * sn + c[i + 1] * cs; };
    const double m1 = std::hypot(c[3], c[4]), m3 = std::hypot(c[5], c[6]);
    ASSERT_GT(m1, 5);
    ASSERT_GT(m3, 5);
    const double s1 = (inPhase(7) * c[3] + inPhase(9) * c[4]) / (m1 * m1);
    const double s3 = (inPhase(11) * c[5] + inPhase(13) * c[6]) / (m3 * m3);
    EXPECT_NEAR(s1, 1.0, 0.1) << "seed " << seed;
    EXPECT_NEAR(s3, -1.0, 0.1) << "seed " << seed;
    const double q = std::hypot(std::hypot(quad(7), quad(9)), std::hypot(quad(11), quad(13)));
    EXPECT_LT(q, 0.1 * m1) << "seed " << seed;
  }
}

TEST(Capture, CountsNeverFormSectionFraming) {
  // ":" CR LF and CR LF CR LF would cut the block apart; no count can be
  // a CR, an LF or a colon, on a station or on an empty channel.
  std::vector<int> channels{88500, 108000};
  for (const auto& s : sim::DefaultWorld().Stations) channels.push_back(s.FrequencyKHz);
  for (int khz : channels) {
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
      for (bool dbl : {false, true}) {
        const Capture c = Take(khz, dbl, seed, 3000 + 977 * static_cast<Millis>(seed));
        for (unsigned char n : c.counts) {
          ASSERT_NE(n, '\r') << khz;
          ASSERT_NE(n, '\n') << khz;
          ASSERT_NE(n, ':') << khz;
        }
      }
    }
  }
}

TEST(Capture, PeakDeviationStaysWithinTheStationsClipper) {
  for (int khz : {98500, 103900, 87600}) {
    double peak = 0;
    for (std::uint64_t seed = 1; seed <= 5; ++seed)
      for (double v : Baseband(Take(khz, false, seed, 2000 * static_cast<Millis>(seed)), false))
        peak = std::max(peak, std::fabs(v));
    double clip = 0;
    for (const auto& s : sim::DefaultWorld().Stations)
      if (s.FrequencyKHz == khz) clip = s.PeakKHz;
    // Period quantisation adds a few kHz (one count is about 3.5 kHz).
    EXPECT_LT(peak, clip + 6) << khz;
    EXPECT_GT(peak, 10) << khz;
  }
}

}  // namespace
}  // namespace sondaro
