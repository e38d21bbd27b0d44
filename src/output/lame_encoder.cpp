#include "output/lame_encoder.h"

#include <lame/lame.h>

namespace sondaro {

namespace {

// The quality presets as LAME's algorithm quality (0 best ... 9 fastest).
int AlgorithmQuality(int preset) {
  switch (preset) {
    case 1: return 7;
    case 2: return 2;
    default: return 5;
  }
}

}  // namespace

std::unique_ptr<LameEncoder> LameEncoder::Open(const Mp3Config& c) {
  lame_global_flags* f = lame_init();
  if (!f) return nullptr;
  const int channels = c.Stereo ? 2 : 1;
  lame_set_num_channels(f, channels);
  lame_set_in_samplerate(f, c.SampleRate);
  lame_set_out_samplerate(f, c.SampleRate);
  lame_set_mode(f, c.Stereo ? STEREO : MONO);
  lame_set_VBR(f, vbr_off);
  lame_set_brate(f, c.BitrateKbps);
  lame_set_quality(f, AlgorithmQuality(c.Preset));
  lame_set_copyright(f, c.Copyright ? 1 : 0);
  lame_set_error_protection(f, c.Crc ? 1 : 0);
  lame_set_original(f, c.Original ? 1 : 0);
  lame_set_extension(f, c.Private ? 1 : 0);
  lame_set_emphasis(f, 0);
  lame_set_bWriteVbrTag(f, 0);
  if (lame_init_params(f) < 0) {
    lame_close(f);
    return nullptr;
  }
  return std::unique_ptr<LameEncoder>(new LameEncoder(f, channels));
}

LameEncoder::LameEncoder(lame_global_flags* flags, int channels)
    : flags_(flags),
      channels_(channels),
      chunkSamples_(lame_get_framesize(flags) * channels),
      // LAME's worst case for n samples per channel: 1.25 n + 7200 bytes.
      out_(static_cast<std::size_t>(lame_get_framesize(flags) * 5 / 4 + 7200)) {}

LameEncoder::~LameEncoder() {
  lame_close(flags_);
}

int LameEncoder::EncodeChunk(const std::int16_t* samples, const std::uint8_t** mp3) {
  const int frames = chunkSamples_ / channels_;
  const int size = static_cast<int>(out_.size());
  // LAME's input pointers are not const but are only read.
  auto* pcm = const_cast<short*>(samples);
  const int n = channels_ == 2
                    ? lame_encode_buffer_interleaved(flags_, pcm, frames, out_.data(), size)
                    : lame_encode_buffer(flags_, pcm, pcm, frames, out_.data(), size);
  *mp3 = out_.data();
  return n < 0 ? -1 : n;
}

int LameEncoder::Flush(const std::uint8_t** mp3) {
  const int n = lame_encode_flush(flags_, out_.data(), static_cast<int>(out_.size()));
  *mp3 = out_.data();
  return n < 0 ? -1 : n;
}

}  // namespace sondaro
