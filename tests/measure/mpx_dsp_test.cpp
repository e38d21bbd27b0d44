// The FFT and FIR of the capture processing against a direct evaluation of
// what they stand for, and the designed low-pass tables against their
// required responses.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

#include "measure/mpx/dsp.h"
#include "measure/mpx/filter_tables.h"

namespace sondaro::test {
namespace {

using mpx::Fft;
using mpx::FIR;

std::vector<float> RandomValues(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-100, 100);
  std::vector<float> v(n);
  for (float& x : v) x = d(rng);
  return v;
}

// The transform as the analyzer's software does it: window from the
// 16384-entry table, bit-reversed order, in-place radix-2 butterflies with
// the twiddle exp(+i pi m / t).
struct DirectFft {
  std::vector<double> Magnitudes;
  double Phase = -1;
};
DirectFft DirectMakeFFT(const std::vector<float>& values, int bin, int log2, int start) {
  const int n = 1 << log2;
  std::vector<std::complex<double>> x(n);
  for (int i = 0; i < n; ++i) {
    const int j = static_cast<int>(static_cast<long long>(i) * 16384 / n);
    const double w = (1 - std::cos(j * 6.2832 / 16383)) / 2;
    x[i] = values[start + i] * static_cast<double>(static_cast<float>(w));
  }
  for (int i = 0, j = 0; i < n; ++i) {
    if (i < j) std::swap(x[i], x[j]);
    int m = n >> 1;
    while (m >= 1 && (j & m)) {
      j ^= m;
      m >>= 1;
    }
    j |= m;
  }
  for (int t = 1; t < n; t *= 2) {
    for (int m = 0; m < t; ++m) {
      const std::complex<double> w = std::polar(1.0, std::numbers::pi * m / t);
      for (int k = m; k < n; k += 2 * t) {
        const std::complex<double> u = x[k], v = w * x[k + t];
        x[k] = u + v;
        x[k + t] = u - v;
      }
    }
  }
  DirectFft r;
  for (const auto& c : x) r.Magnitudes.push_back(std::abs(c));
  const double mag = std::abs(x[bin]);
  r.Phase = std::acos(x[bin].real() / mag);
  if (x[bin].imag() < 0) r.Phase = 2 * std::numbers::pi - r.Phase;
  return r;
}

TEST(MakeFFT, MatchesTheDirectTransformInMagnitudeAndPhase) {
  const std::vector<float> values = RandomValues(5000, 7);
  Fft fft;
  struct Case {
    int Log2, Start, Bin;
  };
  for (const Case c : {Case{11, 500, 13}, Case{12, 0, 100}, Case{12, 903, 3000}, Case{4, 3, 5}}) {
    SCOPED_TRACE(c.Log2);
    std::vector<float> mags;
    float phase = -1;
    ASSERT_TRUE(fft.MakeFFT(values, c.Bin, c.Log2, c.Start, mags, phase));
    const DirectFft d = DirectMakeFFT(values, c.Bin, c.Log2, c.Start);
    ASSERT_EQ(mags.size(), d.Magnitudes.size());
    double peak = 0;
    for (double m : d.Magnitudes) peak = std::max(peak, m);
    for (std::size_t k = 0; k < mags.size(); ++k)
      ASSERT_NEAR(mags[k], d.Magnitudes[k], 1e-5 * peak) << "bin " << k;
    EXPECT_NEAR(phase, d.Phase, 1e-3);
  }
}

TEST(MakeFFT, PhaseFollowsThePlusITransform) {
  // cos(2 pi 13 n / 2048 - 1): the +i transform puts the phase of bin 13 at
  // +1 rad (a transform with -i would say 2 pi - 1).
  std::vector<float> v(2048);
  for (int n = 0; n < 2048; ++n) v[n] = static_cast<float>(std::cos(2 * std::numbers::pi * 13 * n / 2048 - 1));
  Fft fft;
  std::vector<float> mags;
  float phase = 0;
  ASSERT_TRUE(fft.MakeFFT(v, 13, 11, 0, mags, phase));
  EXPECT_NEAR(phase, 1.0, 0.01);
  EXPECT_NEAR(2 * mags[13], 1024, 5);  // Hann: half the points, half the amplitude
}

TEST(MakeFFT, ValuesThatDoNotReachFailAndChangeNothing) {
  const std::vector<float> values = RandomValues(3000, 1);
  Fft fft;
  std::vector<float> mags{1, 2};
  float phase = 0.5f;
  EXPECT_FALSE(fft.MakeFFT(values, 13, 11, -1, mags, phase));
  EXPECT_FALSE(fft.MakeFFT(values, 13, 11, 953, mags, phase));  // 953 + 2048 > 3000
  EXPECT_FALSE(fft.MakeFFT(values, 13, 12, 0, mags, phase));
  EXPECT_EQ(mags, (std::vector<float>{1, 2}));
  EXPECT_EQ(phase, 0.5f);
  EXPECT_TRUE(fft.MakeFFT(values, -1, 11, 952, mags, phase));  // no phase asked
  EXPECT_EQ(phase, 0.5f);
}

// out[j] = sum c[m] x[j + 3 (N div 4) - m], x read as pad outside, in double;
// the tolerance follows the size of the terms.
struct DirectOutput {
  double Sum = 0, Size = 0;
};
DirectOutput DirectFIR(const std::vector<float>& x, float pad, const std::vector<float>& c, long j) {
  const long n = static_cast<long>(c.size()), l = static_cast<long>(x.size());
  DirectOutput d;
  for (long m = 0; m < n; ++m) {
    const long i = j + 3 * (n / 4) - m;
    const double term = c[m] * static_cast<double>(i >= 0 && i < l ? x[i] : pad);
    d.Sum += term;
    d.Size += std::abs(term);
  }
  return d;
}

TEST(FIR, EveryFormMatchesTheDirectSumWithItsShiftAndPad) {
  struct Case {
    std::size_t Length, Taps;
    float Pad;
  };
  const Case cases[] = {{600, 15, 92.9f}, {600, 53, 0},   {2101, 106, -3},
                        {4700, 258, 0},   {600, 4, 1},    {9000, 130, 5}};
  for (const Case c : cases) {
    SCOPED_TRACE(c.Taps);
    const std::vector<float> x = RandomValues(c.Length, 3);
    const std::vector<float> taps = RandomValues(c.Taps, static_cast<unsigned>(c.Taps));
    const long count = static_cast<long>(c.Length - c.Taps / 2);
    std::vector<float> plain{42}, fast{42}, points;
    FIR(x, c.Pad, taps, plain);
    mpx::FastFIR(taps).Run(x, c.Pad, fast);
    mpx::FIRPoints(x, c.Pad, taps, 2, 182, points);
    ASSERT_EQ(static_cast<long>(plain.size()), count);
    ASSERT_EQ(static_cast<long>(fast.size()), count);
    ASSERT_EQ(points.size(), std::min<std::size_t>(182, (count + 1) / 2));
    for (long j = 0; j < count; ++j) {
      const DirectOutput d = DirectFIR(x, c.Pad, taps, j);
      ASSERT_NEAR(plain[j], d.Sum, 2e-5 * d.Size + 1e-4) << j;
      ASSERT_NEAR(fast[j], d.Sum, 2e-5 * d.Size + 1e-3) << j;
      if (j % 2 == 0 && j / 2 < static_cast<long>(points.size()))
        ASSERT_NEAR(points[j / 2], d.Sum, 2e-5 * d.Size + 1e-4) << j;
    }
  }
}

TEST(FIR, InputShorterThanHalfTheFilterGivesNoOutput) {
  const std::vector<float> x(100, 1.0f);
  std::vector<float> out{1, 2, 3};
  FIR(x, 0, mpx::kMpxLowPassNormal, out);
  EXPECT_TRUE(out.empty());
  out = {1};
  mpx::FastFIR(mpx::kMpxLowPassNormal).Run(x, 0, out);
  EXPECT_TRUE(out.empty());
}

// Response of a tap table at f (Hz) for the sampling rate fs.
double Gain(std::span<const float> c, double f, double fs) {
  std::complex<double> sum = 0;
  for (std::size_t m = 0; m < c.size(); ++m) sum += static_cast<double>(c[m]) * std::polar(1.0, -2 * std::numbers::pi * f * m / fs);
  return std::abs(sum);
}
double Db(double g) { return 20 * std::log10(g); }

struct Requirement {
  const char* Name;
  std::span<const float> Taps;
  double Fs, PassEdge, RippleDb, MinusThree, StopEdge, StopDb, DcGain;
};

TEST(LowPassTables, MeetTheirResponses) {
  const Requirement reqs[] = {
      {"MPX normal", mpx::kMpxLowPassNormal, 3e6, 60e3, 0.006, 76e3, 100e3, -58.8, 1.0007},
      {"MPX double", mpx::kMpxLowPassDouble, 1.5e6, 60e3, 0.006, 76e3, 100e3, -58.9, 1.0006},
      {"audio normal", mpx::kAudioLowPassNormal, 300e3, 12e3, 0.33, 15e3, 20e3, -47.9, 1.036},
      {"audio double", mpx::kAudioLowPassDouble, 150e3, 12e3, 0.34, 15e3, 20e3, -47.6, 1.038},
  };
  for (const Requirement& r : reqs) {
    SCOPED_TRACE(r.Name);
    const std::size_t n = r.Taps.size();
    for (std::size_t m = 0; m < n / 2; ++m) ASSERT_EQ(r.Taps[m], r.Taps[n - 1 - m]);
    const double dc = Gain(r.Taps, 0, r.Fs);
    EXPECT_NEAR(dc, r.DcGain, 1e-4);
    double worstRipple = 0;
    for (double f = 0; f <= r.PassEdge; f += r.PassEdge / 600)
      worstRipple = std::max(worstRipple, std::abs(Db(Gain(r.Taps, f, r.Fs) / dc)));
    EXPECT_LE(worstRipple, r.RippleDb + 1e-4);
    // The -3 dB point within 1 % of the required frequency.
    double f3 = r.PassEdge;
    while (Db(Gain(r.Taps, f3, r.Fs) / dc) > -3) f3 += r.MinusThree / 2000;
    EXPECT_NEAR(f3, r.MinusThree, r.MinusThree * 0.01);
    double worstStop = -200;
    for (double f = r.StopEdge; f <= r.Fs / 2; f += (r.Fs / 2 - r.StopEdge) / 20000)
      worstStop = std::max(worstStop, Db(Gain(r.Taps, f, r.Fs)));
    EXPECT_LE(worstStop, r.StopDb);
  }
}

TEST(LowPassTables, PreFilterLiftsTheCounterRollOff) {
  // Cycles per sample -> gain: 0.997 at DC, 1.06 at 0.1, 1.75 at 0.3, 0.1 at 0.5.
  const std::pair<double, double> points[] = {{0, 0.9971}, {0.1, 1.0561}, {0.3, 1.7423}, {0.5, 0.1}};
  for (auto [f, g] : points) EXPECT_NEAR(Gain(mpx::kPreFilter, f, 1), g, 0.002) << f;
}

}  // namespace
}  // namespace sondaro::test
