// MP3 recordings of a generated tone, checked with a real decoder (mpg123):
// the frame headers carry the configured rate, mode, bit rate and flags, and
// the decoded audio holds the tone of the recorded channel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/app.h"
#include "output/mp3_recorder.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/tone_audio_input.h"

namespace sondaro {
namespace {

// What every frame header of a file says (all frames must agree).
struct Mp3Headers {
  int Frames = 0;
  bool Mpeg1 = false;
  int SampleRate = 0;
  int BitrateKbps = 0;
  int Mode = -1;  // 0 stereo, 1 joint, 2 dual, 3 mono
  bool Crc = false, Private = false, Copyright = false, Original = false;
  bool Consistent = true;
};

Mp3Headers ReadHeaders(const std::string& bytes) {
  static const int kRates1[] = {44100, 48000, 32000}, kRates2[] = {22050, 24000, 16000};
  static const int kBr1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const int kBr2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  Mp3Headers h;
  std::size_t pos = 0;
  while (pos + 4 <= bytes.size()) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + pos);
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) break;
    const bool mpeg1 = (b[1] & 0x18) == 0x18;
    const int rate = (mpeg1 ? kRates1 : kRates2)[(b[2] >> 2) & 3];
    const int kbps = (mpeg1 ? kBr1 : kBr2)[b[2] >> 4];
    Mp3Headers f{0, mpeg1, rate, kbps, b[3] >> 6, (b[1] & 1) == 0, (b[2] & 1) != 0,
                 (b[3] & 8) != 0, (b[3] & 4) != 0};
    if (h.Frames == 0) {
      h = f;
    } else if (f.Mpeg1 != h.Mpeg1 || f.SampleRate != h.SampleRate || f.BitrateKbps != h.BitrateKbps ||
               f.Mode != h.Mode || f.Crc != h.Crc || f.Private != h.Private ||
               f.Copyright != h.Copyright || f.Original != h.Original) {
      h.Consistent = false;
    }
    ++h.Frames;
    pos += static_cast<std::size_t>((mpeg1 ? 144 : 72) * kbps * 1000 / rate + ((b[2] >> 1) & 1));
  }
  if (pos != bytes.size()) h.Consistent = false;  // stray bytes: not a clean stream
  return h;
}

struct Decoded {
  int SampleRate = 0;
  int Channels = 0;
  std::vector<std::int16_t> Samples;  // interleaved
};

// Decodes with mpg123 into a WAV file and reads it back.
Decoded Decode(const std::string& mp3, const std::string& wav) {
  Decoded d;
  const std::string command = "mpg123 -q -w '" + wav + "' '" + mp3 + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return d;
  const std::string w = test::ReadFile(wav);
  auto u32 = [&w](std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, w.data() + at, 4);
    return v;
  };
  for (std::size_t at = 12; at + 8 <= w.size(); at += 8 + u32(at + 4)) {
    const std::string id = w.substr(at, 4);
    if (id == "fmt ") {
      d.Channels = static_cast<unsigned char>(w[at + 10]);
      d.SampleRate = static_cast<int>(u32(at + 12));
    } else if (id == "data") {
      const std::size_t n = std::min<std::size_t>(u32(at + 4), w.size() - at - 8) / 2;
      d.Samples.resize(n);
      std::memcpy(d.Samples.data(), w.data() + at + 8, n * 2);
      break;
    }
  }
  return d;
}

// Frequency of a pure tone from its rising zero crossings in the middle
// half of the recording (away from the encoder's start-up and padding); a
// crossing counts only after the wave went well below zero, so coding noise
// near zero adds none.
double ToneHz(const Decoded& d, int channel) {
  double first = -1, last = -1;
  int crossings = 0;
  bool armed = false;
  const std::size_t frames = d.Samples.size() / d.Channels;
  for (std::size_t i = frames / 4 + 1; i < frames * 3 / 4; ++i) {
    const double a = d.Samples[(i - 1) * d.Channels + channel];
    const double b = d.Samples[i * d.Channels + channel];
    if (b < -4000) armed = true;
    if (armed && a < 0 && b >= 0) {
      const double t = (i - 1 + a / (a - b)) / d.SampleRate;
      if (first < 0) first = t;
      last = t;
      ++crossings;
      armed = false;
    }
  }
  return crossings > 1 ? (crossings - 1) / (last - first) : 0;
}

std::uintmax_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(path, ec);
  return ec ? 0 : n;
}

bool HaveMpg123() { return std::system("mpg123 --version >/dev/null 2>&1") == 0; }

struct RecordingCase {
  const char* Mode;
  int RateIndex, MonoIndex, StereoIndex;
  bool Copyright, Crc, Original, Private;
  // expected
  int SampleRate, Kbps, HeaderMode, Channels;
  double LeftHz, RightHz;  // tones found in decoded channel 0 and 1
};

class RecordingTest : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(RecordingTest, DecodesWithTheConfiguredFormatAndTone) {
  if (!HaveMpg123()) GTEST_SKIP() << "mpg123 is not installed (tools/install-deps.sh installs it)";
  const RecordingCase& c = GetParam();
  test::TempDir dir;
  VirtualClock clock;
  ViewHub view;
  test::ToneAudioFactory audio;
  Mp3Recorder recorder(&audio, clock, view);
  recorder.hooks.AppFolder = dir.Path();
  recorder.Settings = {c.RateIndex, c.MonoIndex, c.StereoIndex, 2,
                       c.Copyright, c.Crc,       c.Original,    c.Private};
  recorder.RecorderFile = "tone";
  recorder.RecorderMode = c.Mode;
  recorder.EncodeStart();
  ASSERT_NE(audio.Last, nullptr);
  ASSERT_TRUE(audio.Last->Started);
  const AudioFormat& f = audio.Last->Format;
  EXPECT_EQ(f.SampleRate, c.SampleRate);
  EXPECT_EQ(recorder.Indicator(), RecIndicator::Yellow);
  const int framesPerBuffer = f.BufferBytes / 2 / f.Channels;
  audio.Last->Deliver(c.SampleRate / framesPerBuffer + 1);  // a second of sound
  recorder.EncodeStop();
  EXPECT_FALSE(recorder.Running());
  EXPECT_EQ(recorder.Indicator(), RecIndicator::Maroon);

  const std::string mp3 = dir / "tone.mp3";
  const Mp3Headers h = ReadHeaders(test::ReadFile(mp3));
  EXPECT_TRUE(h.Consistent);
  EXPECT_GT(h.Frames, 10);
  EXPECT_EQ(h.Mpeg1, c.SampleRate >= 32000);
  EXPECT_EQ(h.SampleRate, c.SampleRate);
  EXPECT_EQ(h.BitrateKbps, c.Kbps);
  EXPECT_EQ(h.Mode, c.HeaderMode);
  EXPECT_EQ(h.Copyright, c.Copyright);
  EXPECT_EQ(h.Crc, c.Crc);
  EXPECT_EQ(h.Original, c.Original);
  EXPECT_EQ(h.Private, c.Private);

  const Decoded d = Decode(mp3, dir / "tone.wav");
  ASSERT_EQ(d.SampleRate, c.SampleRate);
  ASSERT_EQ(d.Channels, c.Channels);
  EXPECT_GT(d.Samples.size(), static_cast<std::size_t>(c.SampleRate * c.Channels * 9 / 10));
  EXPECT_NEAR(ToneHz(d, 0), c.LeftHz, c.LeftHz * 0.01);
  if (c.Channels == 2) {
    EXPECT_NEAR(ToneHz(d, 1), c.RightHz, c.RightHz * 0.01);
  }
}

// The tone input plays 440 Hz on the left and 1000 Hz on the right.
INSTANTIATE_TEST_SUITE_P(
    Modes, RecordingTest,
    ::testing::Values(
        RecordingCase{"STEREO", 4, 4, 8, true, false, true, false, 44100, 128, 0, 2, 440, 1000},
        RecordingCase{"LEFT", 5, 4, 8, false, true, false, true, 48000, 64, 3, 1, 440, 0},
        RecordingCase{"RIGHT", 1, 2, 8, false, false, false, false, 22050, 48, 3, 1, 1000, 0},
        RecordingCase{"MONO", 3, 0, 13, true, true, true, true, 32000, 32, 3, 1, 440, 0}));

TEST(RecorderConfig, StereoUsesTheStereoListAndBadIndicesFallBack) {
  RecorderSettings s;
  s.BitrateMono = 0;
  s.BitrateStereo = 13;
  EXPECT_EQ(RecorderConfig(s, "STEREO").BitrateKbps, 320);
  EXPECT_TRUE(RecorderConfig(s, "STEREO").Stereo);
  for (const char* mode : {"MONO", "LEFT", "RIGHT"}) {
    EXPECT_EQ(RecorderConfig(s, mode).BitrateKbps, 32) << mode;
    EXPECT_FALSE(RecorderConfig(s, mode).Stereo) << mode;
  }
  s = {.Samplerate = 9, .BitrateMono = -1, .Quality = 7};
  const Mp3Config c = RecorderConfig(s, "MONO");
  EXPECT_EQ(c.SampleRate, 44100);
  EXPECT_EQ(c.BitrateKbps, 128);
  EXPECT_EQ(c.Preset, 0);
}

TEST(RecordingPath, AppendsTheExtensionUnlessPresent) {
  EXPECT_EQ(RecordingPath("log", "/d/"), "/d/log.mp3");
  EXPECT_EQ(RecordingPath("log.MP3", "/d/"), "/d/log.MP3");
  EXPECT_EQ(RecordingPath("", "/d/"), "/d/Recording.mp3");
  EXPECT_EQ(RecordingPath("/tmp/x.wav", "/d/"), "/tmp/x.wav.mp3");
  EXPECT_EQ(RecordingPath("mp3", "/d/"), "/d/mp3.mp3");
}

class RecorderStates : public ::testing::Test {
 protected:
  test::TempDir dir;
  VirtualClock clock;
  ViewHub view;
  test::ToneAudioFactory audio;
  Mp3Recorder recorder{&audio, clock, view};
  std::vector<std::string> errors;

  void SetUp() override {
    recorder.hooks.AppFolder = dir.Path();
    recorder.hooks.DebugError = [this](const std::string& m) { errors.push_back(m); };
  }
  void Start(const char* mode) {
    recorder.RecorderFile = "r";
    recorder.RecorderMode = mode;
    recorder.EncodeStart();
  }
};

TEST_F(RecorderStates, LeftCapturesTwoChannelsOfTwiceTheChunk) {
  Start("LEFT");
  ASSERT_NE(audio.Last, nullptr);
  EXPECT_EQ(audio.Last->Format.Channels, 2);
  EXPECT_EQ(audio.Last->Format.BufferBytes, 2 * 1152 * 2);  // 1152 samples a chunk, 2 bytes each
  EXPECT_EQ(audio.Last->Format.BufferCount, 4);
  recorder.EncodeStop();
  Start("STEREO");
  EXPECT_EQ(audio.Last->Format.BufferBytes, 2 * 1152 * 2);  // a stereo chunk is 2304 samples
  Start("MONO");
  EXPECT_EQ(audio.Last->Format.Channels, 1);
  EXPECT_EQ(audio.Last->Format.BufferBytes, 1152 * 2);
}

TEST_F(RecorderStates, StaleHeartbeatDropsAudio) {
  Millis beat = 0;
  recorder.hooks.Heartbeat = [&beat] { return beat; };
  Start("MONO");
  clock.Set(2000);  // the main thread has not served its timers for 2 s
  audio.Last->Deliver(40);
  EXPECT_EQ(FileSize(dir / "r.mp3"), 0u);
  beat = 1999;
  audio.Last->Deliver(40);
  EXPECT_GT(FileSize(dir / "r.mp3"), 0u);
}

TEST_F(RecorderStates, UnavailableDeviceReportsAndStaysRunningUntilStop) {
  audio.Fail = true;
  Start("STEREO");
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to open audio input device"});
  EXPECT_TRUE(recorder.Running());
  recorder.EncodeStop();
  EXPECT_FALSE(recorder.Running());
  EXPECT_TRUE(test::FileExists(dir / "r.mp3"));
}

TEST_F(RecorderStates, UncreatableFileRecordsNothing) {
  recorder.RecorderFile = "no/such/folder/x";
  recorder.RecorderMode = "MONO";
  recorder.EncodeStart();
  EXPECT_EQ(audio.Last, nullptr);
  EXPECT_EQ(recorder.Indicator(), RecIndicator::Maroon);
  EXPECT_TRUE(recorder.Running());  // until the next stop request
  recorder.EncodeStop();
  EXPECT_FALSE(recorder.Running());
}

TEST(LevelMeter, PeaksPerChannelAndSegments) {
  const std::int16_t frames[] = {100, -32767, -16384, 5, 0, 0};
  const StereoPeaks p = PeakLevels(frames, sizeof frames);
  EXPECT_NEAR(p.Left, 16384 / 32767.0, 1e-9);
  EXPECT_DOUBLE_EQ(p.Right, 1.0);
  const std::int16_t silence[] = {0, 0};
  EXPECT_DOUBLE_EQ(PeakLevels(silence, sizeof silence).Left, 0.001);

  EXPECT_EQ(MeterSegmentCount(90), 30);
  EXPECT_EQ(MeterSegmentCount(1000), 100);
  // 30 segments of 1 dB: segment 0 stands for -30 dB, segment 29 for -1 dB.
  EXPECT_TRUE(MeterSegmentLit(0, 30, 0.032));
  EXPECT_FALSE(MeterSegmentLit(0, 30, 0.031));
  EXPECT_FALSE(MeterSegmentLit(29, 30, 0.89));
  EXPECT_TRUE(MeterSegmentLit(29, 30, 0.9));
  EXPECT_EQ(MeterSegmentColour(28, 30), MeterColour::Red);     // -2 dB
  EXPECT_EQ(MeterSegmentColour(27, 30), MeterColour::Yellow);  // -3 dB
  EXPECT_EQ(MeterSegmentColour(24, 30), MeterColour::Yellow);  // -6 dB
  EXPECT_EQ(MeterSegmentColour(23, 30), MeterColour::Green);   // -7 dB
}

}  // namespace
}  // namespace sondaro
