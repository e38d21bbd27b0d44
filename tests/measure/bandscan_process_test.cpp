// Bandscan processing: codes, readings, both level corrections, station
// detection, spreading, hole filling and the noise floor.
#include "measure/bandscan_process.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/formats.h"

namespace sondaro {
namespace {

// A band of quiet channels off any carrier, with readings set per test.
ChannelReadings QuietBand() {
  ChannelReadings r;
  r.fill({-10, 450, 180});
  return r;
}

TEST(BandscanCodes, TuneCodesAndTheTunedFrequencyText) {
  EXPECT_EQ(TuneCode(0), "08750");
  EXPECT_EQ(TuneCode(125), "10000");
  EXPECT_EQ(TuneCode(205), "10800");
  EXPECT_EQ(FrequencyCode("87.50 MHz"), "08750");
  EXPECT_EQ(FrequencyCode(" 87.50 MHz"), "08750");
  EXPECT_EQ(FrequencyCode("108.00 MHz"), "10800");
  EXPECT_EQ(FrequencyCode(""), "");
  Formats().DecimalSeparator = ',';
  EXPECT_EQ(ChannelFrequencyText(6), "88,1");
  Formats() = FormatSettings{};
  EXPECT_EQ(ChannelFrequencyText(205), "108.0");
}

TEST(BandscanReadings, FieldsAndTheirSubstitutes) {
  EXPECT_EQ(ParseFastSignalInfo("   54    326     38"), (BandscanReading{54, 38, 326}));
  EXPECT_EQ(ParseFastSignalInfo("65535      0    999"), (BandscanReading{65535, 999, 0}));
  // Level -500, offset 325, noise 999 where a field does not convert.
  EXPECT_EQ(ParseFastSignalInfo("  x54  ????  "), (BandscanReading{-500, 999, 325}));
  EXPECT_EQ(ParseFastSignalInfo(""), (BandscanReading{-500, 999, 325}));
}

TEST(BandscanReadings, AveragingAndLevelFixes) {
  struct Case {
    BandscanReading first, second;
    BandscanReading expected;
  };
  const Case cases[] = {
      // (2 * second + first) div 3, truncating toward zero.
      {{10, 30, 320}, {20, 40, 330}, {16, 36, 326}},
      {{-10, 100, 326}, {-20, 100, 326}, {-16, 100, 326}},
      // 65535 is -1 ...
      {{65535, 50, 300}, {65535, 50, 300}, {-1, 50, 300}},
      // ... and -10 with the counter far above the carrier.
      {{65535, 50, 450}, {65535, 50, 450}, {-10, 50, 450}},
      {{0, 50, 401}, {0, 50, 401}, {-10, 50, 401}},
      {{0, 50, 400}, {0, 50, 400}, {0, 50, 400}},
      // -4..0 below the carrier is -10 too.
      {{-4, 50, 249}, {-4, 50, 249}, {-10, 50, 249}},
      {{-5, 50, 249}, {-5, 50, 249}, {-5, 50, 249}},
      {{-4, 50, 250}, {-4, 50, 250}, {-4, 50, 250}},
      // Clamped to -800..120.
      {{500, 50, 325}, {500, 50, 325}, {120, 50, 325}},
      {{-900, 50, 325}, {-900, 50, 325}, {-800, 50, 325}},
      {{32800, 50, 325}, {32800, 50, 325}, {-800, 50, 325}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AverageReadings(c.first, c.second), c.expected)
        << c.first.Level << " " << c.second.Level << " offset " << c.second.Offset;
}

TEST(BandscanCorrection, DbuvLevelsScaledByTheOffset) {
  ChannelReadings r = QuietBand();
  r[0] = {60, 40, 325};   // on the carrier
  r[1] = {60, 40, 300};   // d = 25: unchanged
  r[2] = {60, 40, 299};   // d = 26: 60 * 50 / 51
  r[3] = {60, 40, 351};   // d = -26: 60 * 50 / 51
  r[4] = {60, 40, 425};   // d = -100: 60 * 50 / 125
  r[5] = {-999, -1, -1};  // not scanned: d = 326, truncated toward zero
  ChannelLevels corrected{};
  ProcessBandscanNew(r, corrected);
  EXPECT_EQ(corrected[0], 60);
  EXPECT_EQ(corrected[1], 60);
  EXPECT_EQ(corrected[2], 58);
  EXPECT_EQ(corrected[3], 58);
  EXPECT_EQ(corrected[4], 24);
  EXPECT_EQ(corrected[5], -142);
}

TEST(BandscanCorrection, CalibrationTable) {
  const SigtodbTable t = IniSigtodb(69);
  EXPECT_EQ(t[1].Threshold, 69);
  EXPECT_EQ(t[4].Threshold, 7);
  struct Case {
    int raw, db;
  };
  const Case cases[] = {{69, -50},  {70, -49},  {66, -60},  {60, -70},  {7, -80},
                        {-2, -90},  {-12, -95}, {-22, -100}, {-600, -130}, {-999, -130},
                        {-9999, -133}, {9998, -47}};
  for (const Case& c : cases) EXPECT_EQ(Sigtodb(t, c.raw), c.db) << c.raw;
  // A degenerate pair (equal dB values) uses 1 for both differences.
  SigtodbTable flat = t;
  flat[2].Db = flat[1].Db;
  EXPECT_EQ(Sigtodb(flat, 67), -50 + (67 - 66));
}

TEST(BandscanCorrection, OldMethodUsesTheStrongestRawLevelAndThePlusSixRule) {
  ChannelReadings r = QuietBand();
  r.fill({-22, 450, 100});  // -100 dB: corrected 30
  r[0].Level = 110;         // channels 0 and 205 do not raise M
  r[50] = {80, 40, 325};    // M = 80 (above MaxSignal - 1)
  ChannelLevels corrected{}, shaped{};
  ProcessBandscanOld(r, 70, corrected, shaped);
  EXPECT_EQ(corrected[50], 80);  // M: -50 dB
  EXPECT_EQ(corrected[1], 30);

  // +6 when the channel two below pulls the counter high.
  r[100] = {76, 40, 320};
  r[98] = {0, 60, 395};  // offset above 390 with a level above -5
  r[120] = {76, 40, 320};
  r[118] = {-5, 60, 395};  // level not above -5
  r[140] = {76, 40, 320};
  r[138] = {0, 60, 370};  // above 360 with a level above -1
  r[160] = {76, 40, 320};
  r[158] = {-1, 60, 370};  // level not above -1
  r[180] = {73, 40, 320};  // 73 + 6 is not above M
  r[178] = {0, 60, 395};
  r[190] = {76, 40, 350};  // offset not strictly below 350
  r[188] = {0, 60, 395};
  ProcessBandscanOld(r, 70, corrected, shaped);
  const int plain = Sigtodb(IniSigtodb(80), 76) + 130;
  EXPECT_EQ(corrected[100], plain + 6);
  EXPECT_EQ(shaped[100], plain);  // the shaped copy does not get it
  EXPECT_EQ(corrected[120], plain);
  EXPECT_EQ(corrected[140], plain + 6);
  EXPECT_EQ(corrected[160], plain);
  EXPECT_EQ(corrected[180], Sigtodb(IniSigtodb(80), 73) + 130);
  EXPECT_EQ(corrected[190], plain);
}

TEST(BandscanStations, NinetyMegahertzIsStricterNotLooser) {
  // 90.0 MHz keeps the general condition and adds its own: a level above 40.
  const struct {
    int level, noise, offset;
    bool at24, at25, at26;
  } cases[] = {
      {50, 400, 325, false, false, false},  // too noisy anywhere
      {30, 50, 325, true, false, true},     // too weak for 90.0 only
      {41, 50, 325, true, true, true},
      {41, 200, 325, true, true, true},
      {50, 50, 350, false, false, false},   // offset outside the window
  };
  for (const auto& c : cases) {
    for (const auto& [channel, expected] : {std::pair{24, c.at24}, {25, c.at25}, {26, c.at26}}) {
      ChannelReadings r = QuietBand();
      ChannelLevels corrected{};
      r[channel] = {c.level, c.noise, c.offset};
      corrected[channel] = c.level;
      const auto stations = DetectStations(r, corrected);
      const bool found = std::any_of(stations.begin(), stations.end(),
                                     [&](const TStationList& s) { return s.Channel == channel; });
      EXPECT_EQ(found, expected) << "channel " << channel << " level " << c.level << " noise "
                                 << c.noise << " offset " << c.offset;
    }
  }
}

TEST(BandscanStations, DetectionBoundariesAndNinetyMegahertz) {
  struct Case {
    int channel, level, noise, offset;
    bool station;
  };
  const Case cases[] = {
      {10, 30, 50, 305, false},  // offset window 305 < O < 345 for noise below 60
      {12, 30, 50, 306, true},   {14, 30, 50, 344, true},
      {16, 30, 50, 345, false},  {18, 30, 120, 346, true},  // noise 120: 307 < O < 347
      {20, 16, 159, 325, true},  {30, 15, 100, 325, false},  // level above 15 with noise below 160
      {32, 16, 160, 325, false}, {34, 41, 249, 325, true},   // or above 40 with noise below 250
      {36, 40, 200, 325, false}, {38, 41, 250, 325, false},
      {25, 30, 50, 325, false},  // 90.0 MHz needs above 40
      {26, 30, 50, 325, true},   // 90.1 MHz does not
  };
  ChannelReadings r = QuietBand();
  ChannelLevels corrected{};
  for (const Case& c : cases) {
    r[c.channel] = {c.level, c.noise, c.offset};
    corrected[c.channel] = c.level;
  }
  std::vector<int> found;
  for (const TStationList& s : DetectStations(r, corrected)) found.push_back(s.Channel);
  std::vector<int> expected;
  for (int ch = 0; ch < kScanChannels; ++ch)
    for (const Case& c : cases)
      if (c.channel == ch && c.station) expected.push_back(ch);
  EXPECT_EQ(found, expected);

  r[25] = {41, 50, 325};
  corrected[25] = 41;
  const auto stations = DetectStations(r, corrected);
  const auto at25 = std::find_if(stations.begin(), stations.end(),
                                 [](const TStationList& s) { return s.Channel == 25; });
  ASSERT_NE(at25, stations.end());
  EXPECT_EQ(*at25, (TStationList{25, 41, 50, "", ""}));
}

TEST(BandscanShape, StrongCarriersSpreadToTheirNeighbours) {
  ChannelReadings r = QuietBand();
  ChannelLevels corrected{};
  corrected.fill(5);
  r[50] = {60, 40, 325};
  corrected[50] = 60;
  // A weaker carrier next to a much stronger one does not spread ...
  r[100] = {30, 40, 325};
  corrected[100] = 30;
  corrected[101] = 33;
  // ... nor one whose upper neighbour is stronger and near its carrier.
  r[150] = {30, 40, 325};
  corrected[150] = 30;
  corrected[151] = 31;
  r[151].Offset = 300;
  ChannelLevels shaped = corrected;
  SpreadCarriers(r, corrected, shaped);
  EXPECT_EQ(shaped[49], 54);
  EXPECT_EQ(shaped[51], 54);
  EXPECT_EQ(shaped[50], 60);
  EXPECT_EQ(shaped[99], 5);
  EXPECT_EQ(shaped[149], 5);
}

TEST(BandscanShape, HolesFilledFromTheSmallerNeighbourAtMostTen) {
  ChannelLevels s{};
  s.fill(30);
  s[10] = 2;   // neighbours 30 and 30: 10
  s[20] = -5;  // neighbours 7 and 30: 7
  s[19] = 7;
  s[40] = 0;  // a run: the filled value is seen by the next channel
  s[41] = 1;
  s[39] = 6;
  s[0] = 0;  // the band's ends are never filled
  FillHoles(s);
  EXPECT_EQ(s[10], 10);
  EXPECT_EQ(s[20], 7);
  EXPECT_EQ(s[40], 1);  // min(6, 1)
  EXPECT_EQ(s[41], 1);  // min(1, 30): the filled 1 counts
  EXPECT_EQ(s[0], 0);
}

TEST(BandscanShape, NoiseFloor) {
  int calls = 0;
  auto alternate = [&calls] { return calls++ % 2; };
  // Fewer than 21 channels below 12: the floor is 11, each raised to 11 or 12.
  ChannelLevels d{};
  d.fill(40);
  for (int i = 0; i < 20; ++i) d[i * 10] = i % 3;
  d[5] = 12;
  NoiseFloor(d, alternate);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(d[i * 10], 11 + i % 2) << i;
  EXPECT_EQ(d[5], 12);
  EXPECT_EQ(calls, 20);

  // A floor where 21 channels stay below it is lowered: 25 channels at 4
  // and 10 at 8 give a floor of 3, below every channel.
  d.fill(40);
  for (int i = 0; i < 25; ++i) d[i] = 4;
  for (int i = 25; i < 35; ++i) d[i] = 8;
  const ChannelLevels before = d;
  NoiseFloor(d, alternate);
  EXPECT_EQ(d, before);

  // An empty band: no floor at all.
  d.fill(0);
  NoiseFloor(d, alternate);
  EXPECT_EQ(d, ChannelLevels{});

  // A 21st channel below 12 (at 10) lowers the floor to one below the
  // first level with at most 20 channels under it: 10 - 1.
  d.fill(40);
  for (int i = 0; i < 20; ++i) d[i * 5] = 0;
  d[150] = 10;
  NoiseFloor(d, [] { return 0; });
  EXPECT_EQ(d[0], 9);
  EXPECT_EQ(d[150], 10);
}

TEST(BandscanShape, ProcessReadingsEndToEnd) {
  ChannelReadings r = QuietBand();
  r[60] = {55, 38, 326};
  auto zero = [] { return 0; };
  const BandscanResult res = ProcessReadings(r, true, 70, zero);
  ASSERT_EQ(res.Stations.size(), 1u);
  EXPECT_EQ(res.Stations[0], (TStationList{60, 55, 38, "", ""}));
  EXPECT_EQ(res.DisplayLevel[60], 55);
  EXPECT_EQ(res.DisplayLevel[59], 49);
  EXPECT_EQ(res.DisplayLevel[61], 49);
  // -10 read 145 kHz off a carrier is -2 (-10 * 50 / 170); holes take it
  // from their neighbours, and a band this empty gets no floor.
  EXPECT_EQ(res.CorrectedLevel[100], -2);
  EXPECT_EQ(res.DisplayLevel[100], -2);
  EXPECT_EQ(res.DisplayLevel[58], -2);
}

}  // namespace
}  // namespace sondaro
