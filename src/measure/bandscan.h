#pragma once
// The bandscan of the page "Bandscan": steps the analyzer through the FM band
// 87.5 .. 108.0 MHz in 100 kHz steps, reads two fast signal reports per
// channel, and, when asked, tunes back to every station found to read its
// RDS PI and PS. A tick of Timer5 (40 ms serial, 60 ms TCP) is one step:
//
//   step 1  "087500*F"  tune, written at once
//   step 2  "?F"        (queued; written by the pacing timer)
//   step 3  parse now: " 87.50 MHz" -> 08750 matches? then "?G"
//   step 5  first "Fast Signal Info"   "   54    326     38"
//   step 7  second one; average, log, next channel at once
//
// The results are drawn by VymalujBAND (page chart) and VymalujEBND (the
// "Extended Bandscan" window), implemented in bandscan_chart.cpp.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/timer.h"
#include "core/view.h"
#include "link/device_link.h"
#include "link/mode_tuning.h"
#include "measure/bandscan_process.h"
#include "measure/chart/chart.h"

namespace sondaro {

inline constexpr const char* kScanningText =
    "Scanning, please wait... (Press Bandscan/Stop to abort.)";
inline constexpr const char* kExtendedFootnote = "Not for reference measurement.";

// The extended bandscan window: label switches, "Lock" and its geometry.
struct ExtendedBandscanSettings {
  bool ShowFreq = true, ShowPI = true, ShowPS = true;
  bool Lock = false;
  int Width = 800, Height = 600, Top = 0, Left = 0;
};

// Pixels above the plot kept free for the rotated station labels.
[[nodiscard]] int ComputeLabelSpace(bool showFreq, bool showPI, bool showPS);
// Label of one station in the extended chart; empty when nothing is shown.
[[nodiscard]] std::string StationLabel(const TStationList& s, const ExtendedBandscanSettings& show);
// Top inset of the extended chart: room for the strongest station's label,
// at most `cap` pixels.
[[nodiscard]] int ExtendedTopInset(int chartHeight, int labelSpace, int strongestSignal,
                                   int cap = 139);
// 411 points: every channel, and between two channels a point leaning to the
// stronger one (lower + 0.75 * difference).
[[nodiscard]] std::vector<chart::PointD> BuildBandscanCurve(const ChannelLevels& display);
// The curve closed along the zero line: 413 points.
[[nodiscard]] std::vector<chart::PointD> BuildBandscanArea(const std::vector<chart::PointD>& curve);

class Bandscan {
 public:
  static constexpr int kChartWidth = 521, kChartHeight = 233;
  // The smallest extended chart its window allows: the bottom texts side by
  // side, and a plot below labels of a full height.
  static constexpr int kMinExtendedChartWidth = 440, kMinExtendedChartHeight = 240;
  static constexpr int kStuckTicks = 100;      // ticks on one channel before giving up
  static constexpr int kRdsPhaseChannel = 207;  // ScanChannel while reading RDS
  static constexpr int kStyles = 6;

  // Parts above the scan that it stops, resumes or shows.
  struct Hooks {
    std::function<bool()> MpxRunActive;  // Timer2
    std::function<void()> StopMpxRun;    // the MPX "Stop" button
    std::function<void()> ResumeScript;  // script timer on again (a script is loaded)
    std::function<void()> ShowLogWindow;
  };

  Bandscan(TimerSet& timers, View& view, StatusBar& status, DeviceLink& link, ModeTuning& tuning);

  void IAeverButton24Click();  // "Acquire"
  void IAeverButton25Click();  // "Stop"; also the end of a scan
  void Timer5Timer();          // one step of the scan
  void ProcessBandscan();
  void GradBtn23Click();       // "Text Result"
  // Placeholders "%station...": selector 0 frequency, 1 level, 2 noise, 3 PI,
  // 4 PS of the 1-based station; empty when there is none.
  [[nodiscard]] std::string GetStationDetail(int selector, long long station) const;

  void SetMaxSignal(int value);      // calibration dialog; kept in 65..120
  void TrackBar1Change(int style);   // style slider, 0..5
  void SRCheckBox6Change(bool grid);  // "Grid"
  void CBSClick();                   // a "Show" box of the extended window changed
  void SetExtendedVisible(bool visible);
  // After a press or move on either chart: the channel (or, with the 50 kHz
  // step, the point) under the cursor selects the frequency list entry.
  void SelectFrequencyAt(const chart::ChartMemory& memory);

  void VymalujBAND(int target, Canvas& canvas);
  void VymalujEBND(int target, Canvas& canvas);

  [[nodiscard]] bool Running() const { return timer5_.Enabled(); }
  [[nodiscard]] Timer& Timer5() { return timer5_; }
  // "Channel 12 of 206", "RDS: station 3 of 7"; empty when idle.
  [[nodiscard]] std::string ProgressText() const;
  [[nodiscard]] int ProgressValue() const;
  [[nodiscard]] int ProgressMaximum() const;
  [[nodiscard]] int LabelSpace() const { return labelSpace_; }

  // Results; DisplayLevel and StationList are kept in the settings file.
  ChannelReadings BandscanReadings{};
  ChannelLevels CorrectedLevel{};
  ChannelLevels DisplayLevel{};
  std::vector<TStationList> StationList;
  std::string BandscanAcquiredText;
  // The level unit the stored levels were corrected for: true dBuV, false
  // dB; none for a scan stored without it, which follows the link's unit.
  std::optional<bool> ScanInDbuv;
  [[nodiscard]] bool LevelsInDbuv() const { return ScanInDbuv.value_or(link_.state.LevelInDbuv); }
  Millis AcquiredAtWall = 0;  // WallNow() of the last finished scan; 0 for none
  // Diagnostic lines: "981: 326 324, 38 41, 54 55" (offsets, noises, levels;
  // second reading first).
  std::vector<std::string> ScanLog;
  // Text of the "Log Window" after "Text Result".
  std::string LogWindowText;

  // Settings.
  int MaxSignal = kMaxSignalDefault;
  bool ScanRDS = false;  // "Include RDS data in Bandscan"
  int Style = 4;         // TrackBar1
  bool Grid = false;     // "Grid"
  ExtendedBandscanSettings Extended;
  bool ExtendedVisible = false;

  // Buttons.
  bool AcquireEnabled = true;
  bool StopEnabled = false;

  // Scan state.
  int ScanChannel = 0;
  int ScanStep = 1;
  int ScanTicks = 0;
  int FrequencyChecks = 0;
  int RdsStationIndex = 0;
  BandscanReading FirstReading;
  std::string ScanReturnFrequency;

  // Source of the noise floor's 0 or 1; tests fix it.
  std::function<int()> RandomBit;
  chart::ChartMemory BandChart, ExtendedChart;
  Hooks hooks;

 private:
  void ChannelStep();
  void StartRdsPhase();
  void RdsStep();
  void TakeSecondReading(const BandscanReading& second);
  void Tune(int channel);
  void RepaintCharts();
  void RepaintExtended();
  void Changed();
  void DrawBandscan(chart::Chart& c, const Canvas& canvas, bool extended);
  void DrawStationLabels(chart::Chart& c, const Canvas& canvas);

  View& view_;
  StatusBar& status_;
  DeviceLink& link_;
  ModeTuning& tuning_;
  Clock& clock_;
  Timer timer5_;
  int labelSpace_ = ComputeLabelSpace(true, true, true);
};

}  // namespace sondaro
