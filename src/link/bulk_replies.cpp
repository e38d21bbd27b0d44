#include "link/bulk_replies.h"

#include "core/text.h"

namespace sondaro {

HistogramCounts DecodeHistogram(const std::string& body) {
  HistogramCounts counts{};
  for (int i = 0; i < kHistogramBins; ++i)
    counts[i] = ReadInt32(RemoveAll(Copy(body, 14 * i + 8, 5), " ")).value_or(0);
  return counts;
}

float DecodePmValue(const std::string& body) {
  return ReadReading(RemoveAll(Copy(body, 1, 5), " ")).value_or(kNoPmValue);
}

RawGroupBlocks SplitRawGroup(const std::string& body) {
  return {Copy(body, 1, 4), Copy(body, 5, 4), Copy(body, 9, 4), Copy(body, 13, 4)};
}

void ApplyGroupToBandscanIdentity(const std::string& body, std::string& piText,
                                  std::string& psText) {
  const RawGroupBlocks g = SplitRawGroup(body);
  if (g.A != "----" && g.A != "0000") piText = g.A;
  if (g.B == "----" || g.D == "----") return;
  const unsigned long b = ReadHex(g.B).value_or(0xFFFF);
  if ((b & 0xF000) != 0) return;  // group type 0 only
  const std::size_t segment = b & 3;
  const unsigned long d = ReadHex(g.D).value_or(0);
  const unsigned long h = d / 256, l = d % 256;
  if (h < 32 || l < 32) return;
  if (psText.size() < 8) psText.resize(8, '\x01');
  psText[2 * segment] = static_cast<char>(h);
  psText[2 * segment + 1] = static_cast<char>(l);
}

BulkReplies::BulkReplies(Clock& clock, MeasurementState& state, CommandQueue& queue)
    : clock_(clock), state_(state), queue_(queue) {}

void BulkReplies::Histogram(const std::string& body) {
  const HistogramCounts counts = DecodeHistogram(body);
  if (hooks.StoreHistogram) hooks.StoreHistogram(counts);
}

void BulkReplies::ModulationPower(const std::string& body) {
  const float v = DecodePmValue(body);
  if (hooks.StorePmValue) hooks.StorePmValue(v);
}

void BulkReplies::FlushQueue() {
  while (!queue_.Empty()) {
    queue_.Timer10Timer();
    clock_.Sleep(10);
  }
}

void BulkReplies::Capture(const std::string& body) {
  if (state_.SkipNextWaveform) {
    state_.SkipNextWaveform = false;
    return;
  }
  queue_.OdeberZCekej("W");
  const bool running = Ask(hooks.MpxRunActive);
  if (running) {
    // Ask for the next block before storing this one, and push it out now.
    clock_.Sleep(30);
    queue_.Send("?I");
    queue_.Send(Ask(hooks.DoubleTimeBase) ? "2?W" : "1?W");
    FlushQueue();
    for (const char* letter : {"I", "W", "Q", "L", "R", "E"}) queue_.OdeberZCekej(letter);
  }
  if (body.size() != kMpxSampleCount) return;
  for (int k = 0; k < kMpxSampleCount; ++k)
    state_.MpxSamples[k] = static_cast<float>(static_cast<unsigned char>(body[k]));
  state_.MpxDataReady = true;
  if (!running && hooks.Demodulate) hooks.Demodulate();
}

void BulkReplies::RawGroup(const std::string& body) {
  const bool scanning = Ask(hooks.BandscanRunning);
  if (scanning) ApplyGroupToBandscanIdentity(body, state_.BandscanPiText, state_.BandscanPsText);
  else if (hooks.GroupReceived) hooks.GroupReceived(body);
  if (hooks.SendToQuillet) hooks.SendToQuillet(body);
  const int count = hooks.RawCount ? hooks.RawCount() : 0;
  if (!Ask(hooks.QuilletRunning) && count < kRawGroupCapacity && !scanning && hooks.StoreRawGroup)
    hooks.StoreRawGroup(body);
  const int after = hooks.RawCount ? hooks.RawCount() : 0;
  if (after == kRawGroupCapacity && !scanning && hooks.RawGroupFull) hooks.RawGroupFull();
}

void BulkReplies::MemoryDump(const std::string& body) {
  if (body.compare(0, 7, "4CE,00E") == 0) state_.AlarmConfigHex = Copy(body, 10, 28);
}

}  // namespace sondaro
