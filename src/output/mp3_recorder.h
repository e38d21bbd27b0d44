#pragma once
// Recording the sound card input to MP3 under script control, and the level
// meter of the MP3 Recorder dialog.
//
//   RECORDER.RUN(news,LEFT)   news.mp3, mono, from the left input channel
//   RECORDER.STOP             flushed and closed: a complete, playable file
//
// Capture buffers are one encoder chunk each (twice that for LEFT / RIGHT,
// where one channel is taken out of stereo frames), so every buffer is one
// call of the encoder.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/audio_input.h"
#include "core/clock.h"
#include "core/view.h"
#include "output/lame_encoder.h"

namespace sondaro {

inline constexpr int kRecorderSampleRates[] = {16000, 22050, 24000, 32000, 44100, 48000};
inline constexpr int kRecorderBitrates[] = {32,  40,  48,  56,  64,  80,  96,
                                            112, 128, 160, 192, 224, 256, 320};

// The MP3 Recorder dialog's lists (indices) and check boxes.
struct RecorderSettings {
  int Samplerate = 4;     // 44100 Hz
  int BitrateMono = 4;    // 64 kbps
  int BitrateStereo = 8;  // 128 kbps
  int Quality = 0;        // normal
  bool Copyright = false;
  bool CRC = false;
  bool Original = false;
  bool Private = false;
};

// The encoder configuration for a recording in `mode`: out-of-range
// indices fall back to 44100 Hz and 128 kbps.
[[nodiscard]] Mp3Config RecorderConfig(const RecorderSettings& settings, const std::string& mode);
// The file a recording goes to: ".mp3" appended unless the name ends in it
// (any case); relative names are in the program folder.
[[nodiscard]] std::string RecordingPath(const std::string& recorderFile, const std::string& appFolder);

enum class RecIndicator { Maroon, Yellow };

inline constexpr Millis kHeartbeatMaxAgeMs = 2000;

struct RecorderHooks {
  std::function<void(const std::string&)> DebugError;
  // When the main thread last served its timers.
  std::function<Millis()> Heartbeat;
  std::string AppFolder;
};

class Mp3Recorder {
 public:
  Mp3Recorder(AudioInputFactory* audio, Clock& clock, View& view);
  ~Mp3Recorder();
  Mp3Recorder(const Mp3Recorder&) = delete;
  Mp3Recorder& operator=(const Mp3Recorder&) = delete;

  void EncodeStart();
  // Harmless when idle.
  void EncodeStop();
  void EncodeToMP3(const std::int16_t* samples, int bytes);
  // The capture's buffer event: encoded only while the main thread keeps up.
  void AudioIn1BufferFilled(const std::int16_t* samples, int bytes);

  [[nodiscard]] bool Running() const { return !RecorderMode.empty(); }
  [[nodiscard]] RecIndicator Indicator() const { return indicator_; }
  // The capture format of the running recording (zero when none started).
  [[nodiscard]] const AudioFormat& CaptureFormat() const { return format_; }
  [[nodiscard]] const std::string& OutputPath() const { return path_; }

  std::string RecorderFile;
  std::string RecorderMode;  // "MONO", "STEREO", "LEFT", "RIGHT"; empty: idle
  RecorderSettings Settings;
  RecorderHooks hooks;

 private:
  void SetIndicator(RecIndicator colour);
  void Append(const std::uint8_t* bytes, int count);
  // Stops the capture, flushes the encoder and closes the file.
  void Finish();

  AudioInputFactory* audio_;
  Clock& clock_;
  View& view_;
  RecIndicator indicator_ = RecIndicator::Maroon;
  std::unique_ptr<AudioInput> input_;
  std::unique_ptr<LameEncoder> encoder_;
  std::vector<std::int16_t> chunk_;  // one encoder chunk
  std::FILE* file_ = nullptr;
  std::string path_;
  AudioFormat format_{0, 0, 0, 0};
};

// Level meter: the peak of each channel of a stereo buffer, as a fraction of
// full scale, at least 0.001.
struct StereoPeaks {
  double Left = 0.001;
  double Right = 0.001;
};
[[nodiscard]] StereoPeaks PeakLevels(const std::int16_t* samples, int bytes);

enum class MeterColour { Green, Yellow, Red };
inline constexpr double kMeterMinDb = -30;
inline constexpr double kMeterMaxDb = 0;
// Segments 3 pixels high, as many as fit, at most 100.
[[nodiscard]] int MeterSegmentCount(int heightPixels);
// Segment i (0 at the bottom) of n: lit above its level, coloured by it.
[[nodiscard]] bool MeterSegmentLit(int i, int n, double value);
[[nodiscard]] MeterColour MeterSegmentColour(int i, int n);

}  // namespace sondaro
