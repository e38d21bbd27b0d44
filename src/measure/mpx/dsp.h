#pragma once
// The two numeric tools of the capture processing: a windowed FFT whose
// phase follows a transform with the +i twiddle (exp(+2 pi i n k / N)), and
// an FIR filter whose output is shifted by 3 * (N div 4) samples.
#include <array>
#include <memory>
#include <span>
#include <vector>

namespace sondaro::mpx {

inline constexpr int kWindowTableSize = 16384;

// Hann window table, W[j] = (1 - cos(j * 6.2832 / 16383)) / 2; a transform
// of size N takes every (16384 / N)-th entry.
[[nodiscard]] const std::array<float, kWindowTableSize>& WindowTable();

// out[j] = sum over m of c[m] * x[j + 3 * (N div 4) - m], j = 0 .. L - (N div 2) - 1,
// with x outside 0..L-1 read as `pad`. `out` is replaced.
void FIR(std::span<const float> x, float pad, std::span<const float> c, std::vector<float>& out);

// The same outputs, only every `step`-th (j = 0, step, 2 step, ...), at most
// `count` of them: the audio traces use every second of 182.
void FIRPoints(std::span<const float> x, float pad, std::span<const float> c, int step,
               std::size_t count, std::vector<float>& out);

// FIR of a fixed coefficient table by FFT convolution on FFTW: the outputs of
// FIR (within float rounding) for a fraction of the work of long filters.
class FastFIR {
 public:
  explicit FastFIR(std::span<const float> coefficients);
  ~FastFIR();
  FastFIR(const FastFIR&) = delete;
  FastFIR& operator=(const FastFIR&) = delete;
  void Run(std::span<const float> x, float pad, std::vector<float>& out);

 private:
  struct Size;
  Size& Prepare(std::size_t length);
  std::vector<float> c_;
  std::vector<std::unique_ptr<Size>> sizes_;  // by transform size, made once
};

// Windowed real FFT on FFTW (single precision). Plans and buffers are made
// once per size, at its first transform, and shared by every object.
class Fft {
 public:
  static constexpr int kMinLog2 = 1, kMaxLog2 = 14;

  Fft();
  ~Fft();
  Fft(const Fft&) = delete;
  Fft& operator=(const Fft&) = delete;

  // MakeFFT: N = 2^log2Size values from `start` are windowed and transformed.
  // On success `magnitudes` holds the N bin magnitudes (not normalised) and,
  // when phaseBin is a valid bin, `phase` its phase in 0..2 pi. False (and
  // nothing changed) when the values do not reach.
  bool MakeFFT(std::span<const float> values, int phaseBin, int log2Size, long start,
               std::vector<float>& magnitudes, float& phase);

  struct Plans;  // shared by every Fft
};

}  // namespace sondaro::mpx
