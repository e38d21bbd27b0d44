#include "measure/mpx/dsp.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace sondaro::mpx {

const std::array<float, kWindowTableSize>& WindowTable() {
  static const std::array<float, kWindowTableSize> table = [] {
    std::array<float, kWindowTableSize> w{};
    // 6.2832 and 16383 as the analyzer's own software has them: the window
    // is a hair short of a full period, which the spectra rely on.
    for (int j = 0; j < kWindowTableSize; ++j)
      w[j] = static_cast<float>((1.0 - std::cos(j * 6.2832 / 16383.0)) / 2.0);
    return w;
  }();
  return table;
}

void FIR(std::span<const float> x, float pad, std::span<const float> c, std::vector<float>& out) {
  const long n = static_cast<long>(c.size());
  const long l = static_cast<long>(x.size());
  const long count = l - n / 2;
  out.assign(static_cast<std::size_t>(std::max(0L, count)), 0.0f);
  if (count <= 0 || n == 0) return;
  // xp[k] = x[k - offset]: out[j] = sum c[m] * xp[j + n - 1 - m], one
  // contiguous run per coefficient, which the compiler vectorises.
  const long shift = 3 * (n / 4);
  const long offset = n - 1 - shift;
  thread_local std::vector<float> xp;
  xp.assign(static_cast<std::size_t>(count + n - 1), pad);
  for (long k = 0; k < static_cast<long>(xp.size()); ++k) {
    const long i = k - offset;
    if (i >= 0 && i < l) xp[k] = x[i];
  }
  float* o = out.data();
  for (long m = 0; m < n; ++m) {
    const float cm = c[m];
    const float* src = xp.data() + (n - 1 - m);
    for (long j = 0; j < count; ++j) o[j] += cm * src[j];
  }
}

void FIRPoints(std::span<const float> x, float pad, std::span<const float> c, int step,
               std::size_t count, std::vector<float>& out) {
  const long n = static_cast<long>(c.size()), l = static_cast<long>(x.size());
  const long total = std::max(0L, l - n / 2);
  const long points = std::min(static_cast<long>(count), (total + step - 1) / step);
  out.assign(static_cast<std::size_t>(std::max(0L, points)), 0.0f);
  const long shift = 3 * (n / 4);
  for (long p = 0; p < points; ++p) {
    const long j = p * step;
    float sum = 0;
    for (long m = 0; m < n; ++m) {
      const long i = j + shift - m;
      sum += c[m] * (i >= 0 && i < l ? x[i] : pad);
    }
    out[p] = sum;
  }
}

// Linear convolution of the padded input with the taps in one transform of
// at least input + taps - 1 points; the filter's spectrum is kept per size.
struct FastFIR::Size {
  int N = 0;
  float* Time = nullptr;
  fftwf_complex* Freq = nullptr;
  std::vector<std::complex<float>> Filter;
  fftwf_plan Forward = nullptr, Inverse = nullptr;
  ~Size() {
    fftwf_destroy_plan(Forward);
    fftwf_destroy_plan(Inverse);
    fftwf_free(Time);
    fftwf_free(Freq);
  }
};

// The transforms are planned at the first capture, not at start.
FastFIR::FastFIR(std::span<const float> coefficients)
    : c_(coefficients.begin(), coefficients.end()) {}

FastFIR::~FastFIR() = default;

FastFIR::Size& FastFIR::Prepare(std::size_t length) {
  int log2 = 1;
  while ((std::size_t{1} << log2) < length + c_.size() - 1) ++log2;
  for (auto& s : sizes_)
    if (s->N == (1 << log2)) return *s;
  auto s = std::make_unique<Size>();
  const int n = 1 << log2;
  s->N = n;
  s->Time = fftwf_alloc_real(n);
  s->Freq = fftwf_alloc_complex(n / 2 + 1);
  s->Forward = fftwf_plan_dft_r2c_1d(n, s->Time, s->Freq, FFTW_ESTIMATE);
  s->Inverse = fftwf_plan_dft_c2r_1d(n, s->Freq, s->Time, FFTW_ESTIMATE);
  std::fill(s->Time, s->Time + n, 0.0f);
  std::copy(c_.begin(), c_.end(), s->Time);
  fftwf_execute(s->Forward);
  s->Filter.resize(static_cast<std::size_t>(n / 2 + 1));
  for (int k = 0; k <= n / 2; ++k)  // the 1/N of the inverse folded in
    s->Filter[k] = std::complex<float>(s->Freq[k][0], s->Freq[k][1]) / static_cast<float>(n);
  sizes_.push_back(std::move(s));
  return *sizes_.back();
}

void FastFIR::Run(std::span<const float> x, float pad, std::vector<float>& out) {
  const long n = static_cast<long>(c_.size()), l = static_cast<long>(x.size());
  const long count = l - n / 2;
  out.assign(static_cast<std::size_t>(std::max(0L, count)), 0.0f);
  if (count <= 0 || n == 0) return;
  // As in FIR: out[j] = sum c[m] xp[j + n - 1 - m] = (c * xp)[j + n - 1].
  const long offset = n - 1 - 3 * (n / 4);
  const long padded = count + n - 1;
  Size& s = Prepare(static_cast<std::size_t>(padded));
  for (long k = 0; k < s.N; ++k) {
    const long i = k - offset;
    s.Time[k] = k >= padded ? 0.0f : (i >= 0 && i < l ? x[i] : pad);
  }
  fftwf_execute(s.Forward);
  for (int k = 0; k <= s.N / 2; ++k) {
    const std::complex<float> v = std::complex<float>(s.Freq[k][0], s.Freq[k][1]) * s.Filter[k];
    s.Freq[k][0] = v.real();
    s.Freq[k][1] = v.imag();
  }
  fftwf_execute(s.Inverse);
  std::copy(s.Time + (n - 1), s.Time + (n - 1) + count, out.begin());
}

// One r2c plan per size, its aligned buffers and its slice of the window.
struct Fft::Plans {
  struct Size {
    fftwf_plan Plan = nullptr;
    float* In = nullptr;
    fftwf_complex* Out = nullptr;
    std::vector<float> Window;
  };
  std::array<Size, kMaxLog2 + 1> Sizes{};

  ~Plans() {
    for (Size& s : Sizes) {
      if (!s.Plan) continue;
      fftwf_destroy_plan(s.Plan);
      fftwf_free(s.In);
      fftwf_free(s.Out);
    }
  }
  Size& Get(int log2Size) {
    Size& s = Sizes[log2Size];
    if (s.Plan) return s;
    const int n = 1 << log2Size;
    s.In = fftwf_alloc_real(n);
    s.Out = fftwf_alloc_complex(n / 2 + 1);
    s.Plan = fftwf_plan_dft_r2c_1d(n, s.In, s.Out, FFTW_ESTIMATE);
    s.Window.resize(n);
    const auto& w = WindowTable();
    for (int i = 0; i < n; ++i)
      s.Window[i] = w[static_cast<std::size_t>(static_cast<long long>(i) * kWindowTableSize / n)];
    return s;
  }
};

namespace {
// FFTW's planner is not re-entrant; everything runs on one thread, and the
// plans live until the program ends.
Fft::Plans* shared = nullptr;
}  // namespace

Fft::Fft() = default;
Fft::~Fft() = default;

bool Fft::MakeFFT(std::span<const float> values, int phaseBin, int log2Size, long start,
                  std::vector<float>& magnitudes, float& phase) {
  if (log2Size < kMinLog2 || log2Size > kMaxLog2) return false;
  const long n = 1L << log2Size;
  if (start < 0 || start + n > static_cast<long>(values.size())) return false;
  if (!shared) shared = new Plans();  // planned at the first capture, not at start
  Plans::Size& s = shared->Get(log2Size);
  const float* v = values.data() + start;
  for (long i = 0; i < n; ++i) s.In[i] = v[i] * s.Window[i];
  fftwf_execute(s.Plan);
  magnitudes.resize(static_cast<std::size_t>(n));
  const long half = n / 2;
  for (long k = 0; k <= half; ++k) {
    const float re = s.Out[k][0], im = s.Out[k][1];
    const float m = std::sqrt(re * re + im * im);
    magnitudes[k] = m;
    if (k > 0 && k < half) magnitudes[n - k] = m;  // a real input's mirror
  }
  if (phaseBin >= 0 && phaseBin < n) {
    // FFTW transforms with exp(-i...); the +i transform of a real input is
    // its conjugate: same real part, imaginary part negated.
    const long k = phaseBin <= half ? phaseBin : n - phaseBin;
    const float re = s.Out[k][0];
    const float im = phaseBin <= half ? -s.Out[k][1] : s.Out[k][1];
    const float m = magnitudes[phaseBin];
    // A bin of magnitude 0 has no phase; 0 rather than NaN.
    float a = m > 0 ? std::acos(std::clamp(re / m, -1.0f, 1.0f)) : 0.0f;
    if (im < 0) a = static_cast<float>(2 * std::numbers::pi) - a;
    phase = a;
  }
  return true;
}

}  // namespace sondaro::mpx
