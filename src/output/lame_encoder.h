#pragma once
// MP3 encoding through libmp3lame, in the four steps of a stream encoder:
// open with a configuration (which fixes the chunk size), encode one chunk
// of 16-bit samples at a time, flush, close (the destructor).
#include <cstdint>
#include <memory>
#include <vector>

struct lame_global_struct;

namespace sondaro {

struct Mp3Config {
  int SampleRate = 44100;  // input and output: no resampling
  bool Stereo = false;     // plain stereo (two channels); mono otherwise
  int BitrateKbps = 128;   // constant bit rate, no VBR and no VBR header
  int Preset = 0;          // 0 normal, 1 low, 2 high quality
  bool Copyright = false;
  bool Crc = false;
  bool Original = false;
  bool Private = false;
};

class LameEncoder {
 public:
  // Null when the encoder refuses the configuration.
  [[nodiscard]] static std::unique_ptr<LameEncoder> Open(const Mp3Config& config);
  ~LameEncoder();
  LameEncoder(const LameEncoder&) = delete;
  LameEncoder& operator=(const LameEncoder&) = delete;

  // Samples per chunk, all channels together (one MP3 frame: 1152 per
  // channel at 32 kHz and above, 576 below).
  [[nodiscard]] int ChunkSamples() const { return chunkSamples_; }
  [[nodiscard]] int OutputBufferBytes() const { return static_cast<int>(out_.size()); }
  // Encodes ChunkSamples() interleaved samples; the number of MP3 bytes
  // produced at *mp3 (often none yet), -1 when the encoder failed.
  int EncodeChunk(const std::int16_t* samples, const std::uint8_t** mp3);
  // Whatever the encoder still holds; -1 on failure.
  int Flush(const std::uint8_t** mp3);

 private:
  LameEncoder(lame_global_struct* flags, int channels);
  lame_global_struct* flags_;
  int channels_;
  int chunkSamples_;
  std::vector<std::uint8_t> out_;
};

}  // namespace sondaro
