#pragma once
// The bandscan's numbers: channels and their tune codes, the readings of a
// scan, and the processing that turns them into a level per channel for the
// charts and a list of detected stations.
//
// Channel i is 87.5 + i * 0.1 MHz; its tune code is the frequency in 10 kHz
// units as five digits: 08750 (channel 0), 10000 (channel 125), 10800 (205).
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace sondaro {

inline constexpr int kScanChannels = 206;
// Channel 25 is 90.0 MHz: a station there must be stronger to count.
inline constexpr int kStrictChannel = 25;
inline constexpr int kMaxSignalDefault = 70;
inline constexpr int kMaxSignalMin = 65, kMaxSignalMax = 120;

// One channel as the scan read it; the values before it is scanned.
struct BandscanReading {
  int Level = -999;
  int Noise = -1;
  int Offset = -1;  // 325 when the receiver sits on a carrier
  friend bool operator==(const BandscanReading&, const BandscanReading&) = default;
};

// One detected station.
struct TStationList {
  int Channel = 0;
  int Signal = 0;  // its corrected level
  int Noise = 0;
  std::string PI;
  std::string PS;
  friend bool operator==(const TStationList&, const TStationList&) = default;
};

using ChannelReadings = std::array<BandscanReading, kScanChannels>;
using ChannelLevels = std::array<int, kScanChannels>;

[[nodiscard]] std::string TuneCode(int channel);
// "98.5": the channel's frequency in MHz with one decimal, system separator.
[[nodiscard]] std::string ChannelFrequencyText(int channel);
// Tuned-frequency text as the scan compares it with a tune code: blanks,
// "MHz" and "." removed, a "0" in front of four remaining characters
// (" 87.50 MHz" -> "08750").
[[nodiscard]] std::string FrequencyCode(const std::string& frequencyText);

// One "Fast Signal Info" reading: level in characters 1-5, offset in 8-12,
// noise in 15-19; a field that does not convert gives -500, 325 and 999.
[[nodiscard]] BandscanReading ParseFastSignalInfo(const std::string& text);
// Two readings of a channel averaged as (2 * second + first) div 3, the
// level then fixed (16-bit wrap, the -10 off-carrier rules, -800..120).
[[nodiscard]] BandscanReading AverageReadings(const BandscanReading& first,
                                              const BandscanReading& second);

// Row of the calibration table: raw level threshold and its dB value.
struct SigtodbRow {
  int Threshold;
  int Db;
};
using SigtodbTable = std::array<SigtodbRow, 11>;
[[nodiscard]] SigtodbTable IniSigtodb(int m);
// dB of a raw level by interpolating between the table's rows.
[[nodiscard]] int Sigtodb(const SigtodbTable& table, int raw);

// What ProcessBandscan makes of the readings.
struct BandscanResult {
  ChannelLevels CorrectedLevel{};
  ChannelLevels DisplayLevel{};
  std::vector<TStationList> Stations;
};

// Level correction of an analyzer that reports dBuV: the level is scaled
// down the further the IF counter sits off the carrier.
void ProcessBandscanNew(const ChannelReadings& readings, ChannelLevels& corrected);
// Level correction through the calibration table (analyzers without dBuV);
// `shaped` gets the levels before the +6 rule, which only `corrected` sees.
void ProcessBandscanOld(const ChannelReadings& readings, int maxSignal, ChannelLevels& corrected,
                        ChannelLevels& shaped);
[[nodiscard]] std::vector<TStationList> DetectStations(const ChannelReadings& readings,
                                                       const ChannelLevels& corrected);
void SpreadCarriers(const ChannelReadings& readings, const ChannelLevels& corrected,
                    ChannelLevels& shaped);
void FillHoles(ChannelLevels& shaped);
// Lifts the quietest channels to a floor so an empty band does not read 0;
// randomBit gives 0 or 1.
void NoiseFloor(ChannelLevels& display, const std::function<int()>& randomBit);

[[nodiscard]] BandscanResult ProcessReadings(const ChannelReadings& readings, bool levelInDbuv,
                                             int maxSignal, const std::function<int()>& randomBit);

}  // namespace sondaro
