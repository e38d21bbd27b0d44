#include "measure/mpx/dsp.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
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

// One r2c plan per size, its aligned buffers and its slice of the window.
struct Fft::Plans {
  struct Size {
    fftwf_plan Plan = nullptr;
    float* In = nullptr;
    fftwf_complex* Out = nullptr;
    std::vector<float> Window;
  };
  std::array<Size, kMaxLog2 + 1> Sizes{};

  Plans() {
    // The two sizes every capture uses are planned now; others on first use.
    Get(11);
    Get(12);
  }
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

Fft::Fft() : plans_(*(shared ? shared : (shared = new Plans()))) {}
Fft::~Fft() = default;

bool Fft::MakeFFT(std::span<const float> values, int phaseBin, int log2Size, long start,
                  std::vector<float>& magnitudes, float& phase) {
  if (log2Size < kMinLog2 || log2Size > kMaxLog2) return false;
  const long n = 1L << log2Size;
  if (start < 0 || start + n > static_cast<long>(values.size())) return false;
  Plans::Size& s = plans_.Get(log2Size);
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
