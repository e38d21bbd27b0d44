#include "measure/bandscan_process.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace sondaro {

namespace {

[[nodiscard]] int Field(const std::string& text, std::size_t pos1, int substitute) {
  return ReadInt32(Copy(text, pos1, 5)).value_or(substitute);
}

// The IF counter sits on a carrier when the offset is near 325; noisier
// channels are allowed to read a little high (N div 60).
[[nodiscard]] bool OffsetWithin(const BandscanReading& r, int low, int high) {
  const int n = r.Noise / 60;
  return n + low < r.Offset && r.Offset < n + high;
}

}  // namespace

std::string TuneCode(int channel) {
  const int code = 8750 + 10 * channel;
  return (code < 10000 ? "0" : "") + std::to_string(code);
}

std::string ChannelFrequencyText(int channel) { return FormatFixed((875 + channel) / 10.0, 1); }

std::string FrequencyCode(const std::string& frequencyText) {
  std::string s = RemoveAll(RemoveAll(RemoveAll(frequencyText, " "), "MHz"), ".");
  if (s.size() == 4) s.insert(0, "0");
  return s;
}

BandscanReading ParseFastSignalInfo(const std::string& text) {
  return {Field(text, 1, -500), Field(text, 15, 999), Field(text, 8, 325)};
}

BandscanReading AverageReadings(const BandscanReading& first, const BandscanReading& second) {
  auto average = [](int f, int s) { return (2 * s + f) / 3; };
  BandscanReading r;
  r.Offset = average(first.Offset, second.Offset);
  r.Noise = average(first.Noise, second.Noise);
  int level = average(first.Level, second.Level);
  // The M40 sends its level as an unsigned 16-bit figure.
  if (level > 32768) level -= 65536;
  if ((level == 0 || level == -1) && r.Offset > 400) level = -10;
  if (level >= -4 && level <= 0 && r.Offset < 250) level = -10;
  r.Level = std::clamp(level, -800, 120);
  return r;
}

SigtodbTable IniSigtodb(int m) {
  return {{{9999, -47},
           {m, -50},
           {m - 3, -60},
           {m - 9, -70},
           {m - 62, -80},
           {-2, -90},
           {-22, -100},
           {-290, -110},
           {-560, -120},
           {-600, -130},
           {-9999, -133}}};
}

int Sigtodb(const SigtodbTable& table, int raw) {
  int db = table.back().Db;
  for (std::size_t j = 0; j + 1 < table.size(); ++j) {
    const SigtodbRow& upper = table[j];
    const SigtodbRow& lower = table[j + 1];
    if (!(upper.Threshold > raw && raw >= lower.Threshold)) continue;
    double dt = upper.Threshold - lower.Threshold;
    double dd = upper.Db - lower.Db;
    if (std::fabs(dt * dd) < 0.0001) dt = dd = 1;
    // The last matching pair wins; with a sane table only one matches.
    db = static_cast<int>(std::trunc((raw - lower.Threshold) / dt * dd + lower.Db));
  }
  return db;
}

void ProcessBandscanNew(const ChannelReadings& readings, ChannelLevels& corrected) {
  for (int i = 0; i < kScanChannels; ++i) {
    const BandscanReading& r = readings[i];
    const int d = 325 - r.Offset;
    if (d > 25)
      corrected[i] = static_cast<int>(std::trunc(r.Level * 50.0 / (d + 25)));
    else if (d < -25)
      corrected[i] = static_cast<int>(std::trunc(r.Level * 50.0 / (25 - d)));
    else
      corrected[i] = r.Level;
  }
}

void ProcessBandscanOld(const ChannelReadings& readings, int maxSignal, ChannelLevels& corrected,
                        ChannelLevels& shaped) {
  int m = maxSignal - 1;
  for (int i = 1; i <= kScanChannels - 2; ++i) m = std::max(m, readings[i].Level);
  const SigtodbTable table = IniSigtodb(m);
  for (int i = 0; i < kScanChannels; ++i) corrected[i] = Sigtodb(table, readings[i].Level) + 130;
  shaped = corrected;
  // A strong carrier pulls the M40's counter off two channels above it; the
  // level read there is then a few dB short.
  for (int k = 2; k < kScanChannels; ++k) {
    const BandscanReading& r = readings[k];
    const BandscanReading& below = readings[k - 2];
    if (r.Level + 6 > m && r.Offset > 300 && r.Offset < 350 &&
        ((below.Offset > 390 && below.Level > -5) || (below.Offset > 360 && below.Level > -1)))
      corrected[k] += 6;
  }
}

std::vector<TStationList> DetectStations(const ChannelReadings& readings,
                                         const ChannelLevels& corrected) {
  std::vector<TStationList> stations;
  for (int i = 0; i < kScanChannels; ++i) {
    const BandscanReading& r = readings[i];
    const int l = corrected[i];
    if (!OffsetWithin(r, 305, 345)) continue;
    // 90.0 MHz must be above 40 as well.
    const bool strong = ((l > 15 && r.Noise < 160) || (l > 40 && r.Noise < 250)) &&
                        (i != kStrictChannel || l > 40);
    if (strong) stations.push_back({i, l, r.Noise, {}, {}});
  }
  return stations;
}

void SpreadCarriers(const ChannelReadings& readings, const ChannelLevels& corrected,
                    ChannelLevels& shaped) {
  for (int k = 1; k < kScanChannels - 1; ++k) {
    const BandscanReading& r = readings[k];
    const int l = corrected[k];
    if (!OffsetWithin(r, 295, 355) || l <= 15 || r.Noise >= 300) continue;
    // Not where a stronger neighbour is the real carrier.
    const int up = corrected[k + 1], down = corrected[k - 1];
    if (l < up && (up > l + 2 || readings[k + 1].Offset >= 300)) continue;
    if (l < down && (down > l + 4 || readings[k - 1].Offset <= 350)) continue;
    const int spill = static_cast<int>(std::trunc(0.9 * l));
    shaped[k - 1] = spill;
    shaped[k + 1] = spill;
  }
}

void FillHoles(ChannelLevels& shaped) {
  for (int k = 1; k < kScanChannels - 1; ++k)
    if (shaped[k] < 3) shaped[k] = std::min({shaped[k - 1], shaped[k + 1], 10});
}

void NoiseFloor(ChannelLevels& display, const std::function<int()>& randomBit) {
  int t = 12;
  int count = 0;
  do {
    count = static_cast<int>(std::count_if(display.begin(), display.end(),
                                           [t](int v) { return v < t; }));
    --t;
  } while (count > 20 && t >= 0);
  if (t <= 0) return;
  for (int& v : display)
    if (v < t) v = t + (randomBit ? randomBit() : 0);
}

BandscanResult ProcessReadings(const ChannelReadings& readings, bool levelInDbuv, int maxSignal,
                               const std::function<int()>& randomBit) {
  BandscanResult r;
  ChannelLevels shaped{};
  if (levelInDbuv) {
    ProcessBandscanNew(readings, r.CorrectedLevel);
    shaped = r.CorrectedLevel;
  } else {
    ProcessBandscanOld(readings, maxSignal, r.CorrectedLevel, shaped);
  }
  r.Stations = DetectStations(readings, r.CorrectedLevel);
  SpreadCarriers(readings, r.CorrectedLevel, shaped);
  FillHoles(shaped);
  r.DisplayLevel = shaped;
  NoiseFloor(r.DisplayLevel, randomBit);
  return r;
}

}  // namespace sondaro
