#pragma once
// A sound card stand-in: each delivered buffer carries a sine tone, one
// frequency per channel, at half of full scale.
#include <cmath>
#include <numbers>
#include <vector>

#include "core/audio_input.h"

namespace sondaro::test {

class ToneAudioInput final : public AudioInput {
 public:
  ToneAudioInput(double leftHz, double rightHz, bool fail)
      : leftHz_(leftHz), rightHz_(rightHz), fail_(fail) {}
  bool Start(const AudioFormat& format) override {
    if (fail_) return false;
    Format = format;
    Started = true;
    return true;
  }
  void Stop() override { Started = false; }
  // Delivers `count` filled buffers while started.
  void Deliver(int count) {
    const int channels = Format.Channels;
    std::vector<std::int16_t> buffer(static_cast<std::size_t>(Format.BufferBytes / 2));
    for (int b = 0; b < count && Started; ++b) {
      for (std::size_t i = 0; i < buffer.size(); ++i) {
        const int channel = static_cast<int>(i) % channels;
        const double t = static_cast<double>(frame_ + i / channels) / Format.SampleRate;
        const double hz = channel == 0 ? leftHz_ : rightHz_;
        buffer[i] = static_cast<std::int16_t>(16384 * std::sin(2 * std::numbers::pi * hz * t));
      }
      frame_ += buffer.size() / channels;
      if (OnBufferFilled) OnBufferFilled(buffer.data(), Format.BufferBytes);
    }
  }
  AudioFormat Format;
  bool Started = false;

 private:
  double leftHz_, rightHz_;
  bool fail_;
  std::size_t frame_ = 0;
};

class ToneAudioFactory final : public AudioInputFactory {
 public:
  std::unique_ptr<AudioInput> MakeAudioInput() override {
    auto input = std::make_unique<ToneAudioInput>(LeftHz, RightHz, Fail);
    Last = input.get();
    return input;
  }
  double LeftHz = 440;
  double RightHz = 1000;
  bool Fail = false;
  ToneAudioInput* Last = nullptr;  // owned by whoever asked for it
};

}  // namespace sondaro::test
