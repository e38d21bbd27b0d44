#pragma once
// Sound card input: 16-bit PCM from the default device, delivered a filled
// buffer at a time on the engine's thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace sondaro {

struct AudioFormat {
  int SampleRate = 44100;
  int Channels = 2;      // interleaved when 2
  int BufferBytes = 0;   // bytes per delivered buffer
  int BufferCount = 4;   // buffers the device may fill ahead
};

class AudioInput {
 public:
  virtual ~AudioInput() = default;
  // False when the device cannot be opened with that format.
  virtual bool Start(const AudioFormat& format) = 0;
  virtual void Stop() = 0;
  // One filled buffer of BufferBytes bytes (interleaved 16-bit samples).
  std::function<void(const std::int16_t* samples, int bytes)> OnBufferFilled;
};

// Each capture (the recorder, the level meter) has its own input.
class AudioInputFactory {
 public:
  virtual ~AudioInputFactory() = default;
  virtual std::unique_ptr<AudioInput> MakeAudioInput() = 0;
};

}  // namespace sondaro
