// Encoding one second of 48 kHz stereo sound card input to MP3 (128 kbps,
// high quality), chunk by chunk as the recorder does it. Reported as the
// fraction of real time it takes (counter "realtime_ratio"): the recorder
// encodes on the main thread, so this must stay a small fraction.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "output/mp3_recorder.h"
#include "support/tone_audio_input.h"

using namespace sondaro;

namespace {

void EncodeOneSecond(benchmark::State& state) {
  const std::string path = std::filesystem::temp_directory_path() / "sondaro-bench.mp3";
  VirtualClock clock;
  ViewHub view;
  test::ToneAudioFactory audio;
  for (auto _ : state) {
    Mp3Recorder recorder(&audio, clock, view);
    recorder.Settings.Samplerate = 5;  // 48000 Hz
    recorder.Settings.Quality = static_cast<int>(state.range(0));
    recorder.RecorderFile = path;
    recorder.RecorderMode = "STEREO";
    recorder.EncodeStart();
    const int framesPerBuffer = audio.Last->Format.BufferBytes / 4;
    audio.Last->Deliver(48000 / framesPerBuffer + 1);
    recorder.EncodeStop();
  }
  std::filesystem::remove(path);
  // Seconds of CPU per iteration over the second of sound it encodes.
  state.counters["realtime_ratio"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(EncodeOneSecond)->Arg(0)->Arg(2)->ArgName("quality")->Unit(benchmark::kMillisecond);
