#pragma once
// Coefficient tables of the MPX demodulation's FIR filters. All are
// symmetric low-pass filters; the long ones are designed by
// tools/design_mpx_filters.py and checked against their responses by a test.
#include <array>

namespace sondaro::mpx {

// Pre-filter of the period counts (normal time base only): flattens the
// counter's response, rising to 1.75 at 0.3 cycles per sample.
inline constexpr std::array<float, 15> kPreFilter = {
    0.001550074f, -0.02054085f, 0.06746187f, -0.1452756f, 0.2246737f,
    -0.2270459f,  -0.01940524f, 1.234286f,   -0.01940524f, -0.2270459f,
    0.2246737f,   -0.1452756f,  0.06746187f, -0.02054085f, 0.001550074f};

// MPX low-pass, 0..60 kHz flat, -3 dB at 76 kHz: 3 MHz (normal) and
// 1.5 MHz (double time base).
extern const std::array<float, 258> kMpxLowPassNormal;
extern const std::array<float, 130> kMpxLowPassDouble;
// Audio low-pass, 0..12 kHz, -3 dB at 15 kHz: 300 kHz and 150 kHz.
extern const std::array<float, 106> kAudioLowPassNormal;
extern const std::array<float, 53> kAudioLowPassDouble;

}  // namespace sondaro::mpx
