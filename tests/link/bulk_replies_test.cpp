#include "link/bulk_replies.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace sondaro {
namespace {

// A "Histogram Data" body as the analyzer sends it: 122 lines of a
// 7-character label and a 5-character count; the framing takes the last
// CR LF with the empty line.
std::string HistogramBody(int lines, const std::function<std::string(int)>& count) {
  std::string body;
  for (int i = 0; i < lines; ++i) {
    char label[16];
    std::snprintf(label, sizeof label, "%4dkHz", i - 61);
    if (i) body += "\r\n";
    body += std::string(label).substr(0, 7) + count(i);
  }
  return body;
}

std::string Padded(int v) {
  char t[16];
  std::snprintf(t, sizeof t, "%5d", v);
  return t;
}

TEST(BulkDecoders, HistogramCounts) {
  const HistogramCounts full = DecodeHistogram(HistogramBody(122, [](int i) { return Padded(i * 100); }));
  for (int i = 0; i < kHistogramBins; ++i) ASSERT_EQ(full[i], i * 100) << i;

  // Fewer lines: the missing bins are 0.
  const HistogramCounts shortBody = DecodeHistogram(HistogramBody(60, [](int) { return Padded(7); }));
  EXPECT_EQ(shortBody[59], 7);
  EXPECT_EQ(shortBody[60], 0);
  EXPECT_EQ(shortBody[121], 0);

  // Unreadable fields are 0; blanks anywhere in the field are removed; the
  // rest of the histogram is used.
  const std::vector<std::string> fields = {"  x12", " 1 2 ", "   -3", "     ", "99999"};
  const HistogramCounts odd = DecodeHistogram(
      HistogramBody(122, [&](int i) { return i < 5 ? fields[i] : Padded(1); }));
  EXPECT_EQ(odd[0], 0);
  EXPECT_EQ(odd[1], 12);
  EXPECT_EQ(odd[2], -3);
  EXPECT_EQ(odd[3], 0);
  EXPECT_EQ(odd[4], 99999);
  EXPECT_EQ(odd[5], 1);
  EXPECT_EQ(DecodeHistogram(""), HistogramCounts{});
}

TEST(BulkDecoders, ModulationPowerValue) {
  struct Case {
    const char* body;
    float value;
  } cases[] = {{" -1.2", -1.2f},      {"-1.2 dBr", -1.2f}, {"  0.5\r\nmore", 0.5f},
               {"12.345", 12.34f},    {"", kNoPmValue},    {"  999", kNoPmValue},
               {"     ", kNoPmValue}, {"abc", kNoPmValue}, {" 1,5 ", kNoPmValue},
               {"-", kNoPmValue},      // exponent forms and non-numbers are unreadable too
               {"9e99", kNoPmValue},   {"-9e99", kNoPmValue}, {"1e2", kNoPmValue},
               {"inf", kNoPmValue},    {"nan", kNoPmValue}};
  for (const Case& c : cases) EXPECT_FLOAT_EQ(DecodePmValue(c.body), c.value) << c.body;
}

TEST(BulkDecoders, BandscanIdentityFromGroups) {
  struct Case {
    const char* body;
    const char* pi;   // PI text after the group
    const char* ps;   // PS text after the group ("." for code 1)
  } cases[] = {
      {"D3C30802E0CD4142", "D3C3", "....AB.."},  // 0A segment 2: characters 5 and 6
      {"D3C30800E0CD4344", "D3C3", "CD......"},  // segment 0
      {"D3C3080BD3C34344", "D3C3", "......CD"},  // 0B segment 3
      {"D3C32000E0CD4344", "D3C3", "........"},  // group 2A: PI only
      {"----0802E0CD4142", "", "....AB.."},      // lost block A
      {"00000802E0CD4142", "", "....AB.."},      // PI 0000 is not a station
      {"D3C3----E0CD4344", "D3C3", "........"},  // lost block B
      {"D3C30802E0CD----", "D3C3", "........"},  // lost block D
      {"D3C30802E0CD1F41", "D3C3", "........"},  // control character in D
      {"D3C3zz02E0CD4344", "D3C3", "........"},  // unreadable B
      {"D3C30802", "D3C3", "........"},          // short body
      {"", "", "........"},
  };
  for (const Case& c : cases) {
    std::string pi, ps(8, '\x01');
    ApplyGroupToBandscanIdentity(c.body, pi, ps);
    std::string shown = ps;
    for (char& ch : shown)
      if (ch == '\x01') ch = '.';
    EXPECT_EQ(pi, c.pi) << c.body;
    EXPECT_EQ(shown, c.ps) << c.body;
  }
}

class BulkTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  TimerSet timers{clock};
  MeasurementState state;
  std::vector<std::pair<Millis, std::string>> written;
  CommandQueue queue{timers, state,
                     [this](const std::string& c) { written.emplace_back(clock.Now(), c); }};
  BulkReplies bulk{clock, state, queue};
  bool mpxRun = false;
  bool doubleTimeBase = false;
  int demodulated = 0;

  void SetUp() override {
    bulk.hooks.MpxRunActive = [this] { return mpxRun; };
    bulk.hooks.DoubleTimeBase = [this] { return doubleTimeBase; };
    bulk.hooks.Demodulate = [this] { ++demodulated; };
  }
  [[nodiscard]] bool Awaited(const std::string& letter) const {
    for (const TCekej& e : queue.PendingReplies())
      if (e.Letter == letter) return !e.Answered;
    return false;
  }
  static std::string Block(std::size_t n) {
    std::string b(n, '\0');
    for (std::size_t k = 0; k < n; ++k) b[k] = static_cast<char>((k * 7 + 200) & 0xFF);
    return b;
  }
};

TEST_F(BulkTest, CaptureOfExactlyFiveHundredTwelveBytesIsStoredAndDemodulated) {
  queue.Send("1?W");
  bulk.Capture(Block(512));
  EXPECT_FALSE(Awaited("W"));
  EXPECT_TRUE(state.MpxDataReady);
  EXPECT_EQ(demodulated, 1);
  EXPECT_EQ(state.MpxSamples[0], 200.0f);  // byte values 0..255, not signed chars
  EXPECT_EQ(state.MpxSamples[8], static_cast<float>((8 * 7 + 200) & 0xFF));
  EXPECT_EQ(state.MpxSamples[511], static_cast<float>((511 * 7 + 200) & 0xFF));

  for (std::size_t n : {0u, 511u, 513u}) {
    state.MpxDataReady = false;
    bulk.Capture(Block(n));
    EXPECT_FALSE(state.MpxDataReady) << n;
  }
  EXPECT_EQ(demodulated, 1);
}

TEST_F(BulkTest, SkippedCaptureKeepsWAwaitedAndTheNextOneIsStored) {
  queue.Send("1?W");
  state.SkipNextWaveform = true;
  bulk.Capture(Block(512));
  EXPECT_FALSE(state.SkipNextWaveform);
  EXPECT_FALSE(state.MpxDataReady);
  EXPECT_TRUE(Awaited("W"));
  bulk.Capture(Block(512));
  EXPECT_TRUE(state.MpxDataReady);
  EXPECT_FALSE(Awaited("W"));
}

TEST_F(BulkTest, DuringTheRunTheNextBlockIsRequestedAndFlushedAtTenMilliseconds) {
  AdvanceVirtual(clock, timers, 5000);  // the first pacing tick has passed
  mpxRun = true;
  doubleTimeBase = true;
  for (const char* q : {"?Q", "?L", "?R", "?E"}) queue.Send(q);
  written.clear();
  const Millis start = clock.Now();
  bulk.Capture(Block(511));  // wrong length: dropped, yet the run goes on
  // 30 ms wait, then everything queued leaves 10 ms apart, whatever the
  // pacing ("2?W" alone would hold the queue 450 ms).
  const std::vector<std::pair<Millis, std::string>> expected{
      {start + 30, "?Q"}, {start + 40, "?L"}, {start + 50, "?R"},
      {start + 60, "?E"}, {start + 70, "?I"}, {start + 80, "2?W"}};
  EXPECT_EQ(written, expected);
  EXPECT_EQ(clock.Now(), start + 90);
  EXPECT_TRUE(queue.Empty());
  for (const char* letter : {"I", "W", "Q", "L", "R", "E"}) EXPECT_FALSE(Awaited(letter)) << letter;
  EXPECT_FALSE(state.MpxDataReady);
  bulk.Capture(Block(512));
  EXPECT_TRUE(state.MpxDataReady);
  EXPECT_EQ(demodulated, 0);  // the run's own timer demodulates
}

TEST_F(BulkTest, RawGroupRelayCaptureAndCaptureFull) {
  std::vector<std::string> relayed, stored;
  int count = 0, full = 0;
  bool quillet = false, scanning = false;
  bulk.hooks.SendToQuillet = [&](const std::string& g) { relayed.push_back(g); };
  bulk.hooks.QuilletRunning = [&] { return quillet; };
  bulk.hooks.BandscanRunning = [&] { return scanning; };
  bulk.hooks.RawCount = [&] { return count; };
  bulk.hooks.StoreRawGroup = [&](const std::string& g) {
    stored.push_back(g);
    ++count;
  };
  bulk.hooks.RawGroupFull = [&] { ++full; };
  const std::string g = "D3C30802E0CD4142";

  bulk.RawGroup(g);
  EXPECT_EQ(stored.size(), 1u);
  EXPECT_EQ(state.BandscanPiText, "");  // identity only while scanning

  quillet = true;  // relayed, not captured
  bulk.RawGroup(g);
  EXPECT_EQ(stored.size(), 1u);

  quillet = false;
  scanning = true;  // identity, relay; no capture
  bulk.RawGroup(g);
  EXPECT_EQ(stored.size(), 1u);
  EXPECT_EQ(state.BandscanPiText, "D3C3");
  EXPECT_EQ(state.BandscanPsText.substr(4, 2), "AB");

  scanning = false;
  count = kRawGroupCapacity - 1;  // this group fills the buffer
  bulk.RawGroup(g);
  EXPECT_EQ(stored.size(), 2u);
  EXPECT_EQ(full, 1);
  bulk.RawGroup(g);  // full: not stored, full rule again
  EXPECT_EQ(stored.size(), 2u);
  EXPECT_EQ(full, 2);
  scanning = true;
  bulk.RawGroup(g);
  EXPECT_EQ(full, 2);
  EXPECT_EQ(relayed.size(), 6u);  // every group
}

TEST_F(BulkTest, MemoryDumpOnlyForTheAlarmConfiguration) {
  const std::string hex = "0102030405060708090A0B0C0D0E";
  bulk.MemoryDump("4CE,00E: " + hex);
  EXPECT_EQ(state.AlarmConfigHex, hex);
  bulk.MemoryDump("100,00E: FFFFFFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_EQ(state.AlarmConfigHex, hex);
  bulk.MemoryDump("4CE");
  EXPECT_EQ(state.AlarmConfigHex, hex);
  bulk.MemoryDump("4CE,00E: 01");  // short dump: what there is
  EXPECT_EQ(state.AlarmConfigHex, "01");
}

TEST_F(BulkTest, HistogramAndPowerReachTheirStores) {
  HistogramCounts got{};
  std::vector<float> values;
  bulk.hooks.StoreHistogram = [&](const HistogramCounts& c) { got = c; };
  bulk.hooks.StorePmValue = [&](float v) { values.push_back(v); };
  bulk.Histogram(HistogramBody(122, [](int i) { return Padded(i == 61 ? 4321 : 0); }));
  EXPECT_EQ(got[61], 4321);
  bulk.ModulationPower(" -1.2");
  bulk.ModulationPower("");
  EXPECT_EQ(values, (std::vector<float>{-1.2f, kNoPmValue}));
}

}  // namespace
}  // namespace sondaro
