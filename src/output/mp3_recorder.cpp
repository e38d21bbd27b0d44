#include "output/mp3_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/text.h"

namespace sondaro {

namespace {

template <std::size_t N>
int Pick(const int (&list)[N], int index, int fallback) {
  return index >= 0 && index < static_cast<int>(N) ? list[index] : list[fallback];
}

}  // namespace

Mp3Config RecorderConfig(const RecorderSettings& s, const std::string& mode) {
  const bool stereo = mode == "STEREO";
  return Mp3Config{.SampleRate = Pick(kRecorderSampleRates, s.Samplerate, 4),
                   .Stereo = stereo,
                   .BitrateKbps = Pick(kRecorderBitrates, stereo ? s.BitrateStereo : s.BitrateMono, 8),
                   .Preset = s.Quality >= 0 && s.Quality <= 2 ? s.Quality : 0,
                   .Copyright = s.Copyright,
                   .Crc = s.CRC,
                   .Original = s.Original,
                   .Private = s.Private};
}

std::string RecordingPath(const std::string& recorderFile, const std::string& appFolder) {
  std::string name = recorderFile.empty() ? "Recording.mp3" : recorderFile;
  if (name.size() < 4 || ToUpper(name.substr(name.size() - 4)) != ".MP3") name += ".mp3";
  if (name.front() == '/' || appFolder.empty()) return name;
  return appFolder.back() == '/' ? appFolder + name : appFolder + "/" + name;
}

Mp3Recorder::Mp3Recorder(AudioInputFactory* audio, Clock& clock, View& view)
    : audio_(audio), clock_(clock), view_(view) {}

Mp3Recorder::~Mp3Recorder() { EncodeStop(); }

void Mp3Recorder::SetIndicator(RecIndicator colour) {
  indicator_ = colour;
  view_.Changed(Area::Recorder);
}

void Mp3Recorder::EncodeStart() {
  Finish();  // a start without a stop between
  path_ = RecordingPath(RecorderFile, hooks.AppFolder);
  file_ = std::fopen(path_.c_str(), "wb");
  if (!file_) return;  // the recorder counts as running until the next stop
  SetIndicator(RecIndicator::Yellow);
  const Mp3Config config = RecorderConfig(Settings, RecorderMode);
  encoder_ = LameEncoder::Open(config);
  if (!encoder_) return;
  chunk_.assign(static_cast<std::size_t>(encoder_->ChunkSamples()), 0);
  const int chunkBytes = encoder_->ChunkSamples() * 2;
  const bool oneOfTwo = RecorderMode == "LEFT" || RecorderMode == "RIGHT";
  format_ = AudioFormat{.SampleRate = config.SampleRate,
                        .Channels = RecorderMode == "MONO" ? 1 : 2,
                        .BufferBytes = oneOfTwo ? 2 * chunkBytes : chunkBytes,
                        .BufferCount = 4};
  if (audio_) input_ = audio_->MakeAudioInput();
  if (!input_ || !input_->Start(format_)) {
    input_.reset();
    if (hooks.DebugError) hooks.DebugError("Unable to open audio input device");
    return;
  }
  input_->OnBufferFilled = [this](const std::int16_t* samples, int bytes) {
    AudioIn1BufferFilled(samples, bytes);
  };
}

void Mp3Recorder::AudioIn1BufferFilled(const std::int16_t* samples, int bytes) {
  // A main thread that has not served its timers for 2 s drops audio
  // instead of falling further behind.
  const Millis beat = hooks.Heartbeat ? hooks.Heartbeat() : clock_.Now();
  if (clock_.Now() - beat < kHeartbeatMaxAgeMs) EncodeToMP3(samples, bytes);
}

void Mp3Recorder::EncodeToMP3(const std::int16_t* samples, int bytes) {
  if (!Running() || !encoder_ || bytes <= 0) return;
  // A short buffer is padded with silence: the encoder always takes a whole chunk.
  std::fill(chunk_.begin(), chunk_.end(), std::int16_t{0});
  if (RecorderMode == "LEFT" || RecorderMode == "RIGHT") {
    const int offset = RecorderMode == "LEFT" ? 0 : 1;
    const int frames = std::min(bytes / 4, static_cast<int>(chunk_.size()));
    for (int i = 0; i < frames; ++i) chunk_[i] = samples[2 * i + offset];
  } else {
    const int count = std::min(bytes / 2, static_cast<int>(chunk_.size()));
    std::copy(samples, samples + count, chunk_.begin());
  }
  const std::uint8_t* mp3 = nullptr;
  const int n = encoder_->EncodeChunk(chunk_.data(), &mp3);
  if (n > 0) Append(mp3, n);  // a failed chunk is lost; recording goes on
}

void Mp3Recorder::Append(const std::uint8_t* bytes, int count) {
  if (!file_) return;
  // Flushed at once: the frames written so far stay playable whatever
  // happens to the program.
  std::fwrite(bytes, 1, static_cast<std::size_t>(count), file_);
  std::fflush(file_);
}

void Mp3Recorder::EncodeStop() {
  SetIndicator(RecIndicator::Maroon);
  if (!Running()) return;
  Finish();
  RecorderMode.clear();
  RecorderFile.clear();
}

void Mp3Recorder::Finish() {
  if (input_) {
    input_->OnBufferFilled = nullptr;
    input_->Stop();
    input_.reset();
  }
  if (encoder_) {
    const std::uint8_t* mp3 = nullptr;
    const int n = encoder_->Flush(&mp3);
    if (n > 0) Append(mp3, n);
    encoder_.reset();
    chunk_.clear();
  }
  // Closed whatever the encoder did, so the file holds all it was given.
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

StereoPeaks PeakLevels(const std::int16_t* samples, int bytes) {
  int left = 0, right = 0;
  for (int i = 0; i + 1 < bytes / 2; i += 2) {
    left = std::max(left, std::abs(static_cast<int>(samples[i])));
    right = std::max(right, std::abs(static_cast<int>(samples[i + 1])));
  }
  auto level = [](int peak) { return std::max(0.001, peak / 32767.0); };
  return {level(left), level(right)};
}

int MeterSegmentCount(int heightPixels) { return std::clamp(heightPixels / 3, 0, 100); }

namespace {
double SegmentDb(int i, int n) {
  return -static_cast<double>(n - i) / n * (kMeterMaxDb - kMeterMinDb);
}
}  // namespace

bool MeterSegmentLit(int i, int n, double value) {
  return n > 0 && value > std::pow(10.0, SegmentDb(i, n) / 20);
}

MeterColour MeterSegmentColour(int i, int n) {
  const double db = SegmentDb(i, n);
  if (db > -3) return MeterColour::Red;
  if (db >= -6) return MeterColour::Yellow;
  return MeterColour::Green;
}

}  // namespace sondaro
