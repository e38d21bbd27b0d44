#include "measure/bandscan.h"

#include <algorithm>
#include <memory>
#include <random>

#include "core/formats.h"
#include "core/text.h"
#include "link/command_set.h"

namespace sondaro {

namespace {

constexpr Millis kLastChannelPauseMs = 300;
// RDS phase: ScanTicks counts on from 1000 for each station.
constexpr int kRdsTicksStart = 1000;
constexpr int kRdsTicksWithoutPi = 1200;
constexpr int kRdsTicksDone = 1500;
constexpr int kRdsNoiseLimit = 90;
const std::string kPsNotReceived(8, '\x01');

std::function<int()> FairBit() {
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  return [engine] { return static_cast<int>((*engine)() & 1u); };
}

}  // namespace

Bandscan::Bandscan(TimerSet& timers, View& view, StatusBar& status, DeviceLink& link,
                   ModeTuning& tuning)
    : RandomBit(FairBit()),
      view_(view),
      status_(status),
      link_(link),
      tuning_(tuning),
      clock_(timers.GetClock()),
      timer5_(timers, 40, false, [this] { Timer5Timer(); }) {}

void Bandscan::Changed() { view_.Changed(Area::Bandscan); }

void Bandscan::RepaintExtended() {
  if (ExtendedVisible) view_.Repaint(ChartTag::EBND);
}

void Bandscan::RepaintCharts() {
  view_.Repaint(ChartTag::BAND);
  RepaintExtended();
}

void Bandscan::IAeverButton24Click() {
  ScanLog.clear();
  ScanReturnFrequency = link_.state.FrequencyText;
  tuning_.SetMode(0);
  tuning_.SendMode();
  BandscanReadings.fill(BandscanReading{});
  RepaintCharts();
  link_.Send(cmd::kPmOff);
  link_.Send(cmd::kLevel);
  if (hooks.MpxRunActive && hooks.MpxRunActive() && hooks.StopMpxRun) hooks.StopMpxRun();
  ScanChannel = 0;
  RdsStationIndex = 0;
  ScanStep = 1;
  ScanTicks = 0;
  timer5_.SetEnabled(true);
  AcquireEnabled = false;
  StopEnabled = true;
  status_.SetText(kScanningText);
  Changed();
}

void Bandscan::IAeverButton25Click() {
  status_.SetText("");
  if (hooks.ResumeScript) hooks.ResumeScript();
  if (ScanChannel > 5) {
    const Millis now = clock_.WallNow();
    BandscanAcquiredText = DateToStr(now) + " " + TimeToStr(now);
    AcquiredAtWall = now;
  }
  timer5_.SetEnabled(false);
  StopEnabled = false;
  AcquireEnabled = true;
  Changed();
  RepaintCharts();  // the new time, at once
  const std::string back = RemoveLeadingBlanks(ScanReturnFrequency);
  if (!back.empty()) {
    const auto& list = tuning_.FrequencyList();
    const auto it = std::find_if(list.begin(), list.end(), [&back](const std::string& entry) {
      return entry.find(back) != std::string::npos;
    });
    if (it != list.end()) tuning_.SelectFrequency(static_cast<int>(it - list.begin()));
    tuning_.IAeverButton19Click();
  }
  tuning_.SetMode(0);
  tuning_.SendMode();
}

void Bandscan::Timer5Timer() {
  for (;;) {
    const bool stuck = ScanTicks == kStuckTicks;
    const bool past = ScanChannel > kRdsPhaseChannel ||
                      RdsStationIndex > static_cast<int>(StationList.size()) ||
                      (!ScanRDS && ScanChannel >= kScanChannels);
    if (stuck || past) {
      IAeverButton25Click();
      return;
    }
    if (ScanChannel == kScanChannels) {
      StartRdsPhase();
      return;
    }
    if (ScanChannel == kRdsPhaseChannel) {
      RdsStep();
      return;
    }
    ChannelStep();
    ++ScanStep;
    ++ScanTicks;
    if (ScanStep != 8) break;  // else the next channel starts within this tick
  }
  Changed();
}

void Bandscan::Tune(int channel) {
  link_.Send(TuneCode(channel) + "0*F");
  link_.queue.Timer10Timer();
}

void Bandscan::ChannelStep() {
  if (ScanStep > 7) ScanStep = 1;
  std::string& fsi = link_.state.FastSignalInfoText;
  switch (ScanStep) {
    case 1:
      FrequencyChecks = 0;
      Tune(ScanChannel);
      break;
    case 2:
      // The synthesiser takes longer for the jump to the band's top.
      if (ScanChannel == kScanChannels - 1) clock_.Sleep(kLastChannelPauseMs);
      ++FrequencyChecks;
      link_.Send(cmd::kFrequency);
      break;
    case 3:
      link_.parser.Timer12Timer();
      if (FrequencyCode(link_.state.FrequencyText) != TuneCode(ScanChannel)) {
        // Ask again up to three times, then tune again.
        ScanStep = FrequencyChecks <= 3 ? 1 : 0;
      } else {
        fsi.clear();
        link_.Send(cmd::kFastSignal);
        ScanStep = 4;
      }
      break;
    case 4:
    case 6:
      fsi.clear();
      link_.Send(cmd::kFastSignal);
      break;
    case 5:
      if (fsi.empty()) {
        ScanStep = 4;
        break;
      }
      FirstReading = ParseFastSignalInfo(fsi);
      // Offset 0: the counter had not settled; this reading is taken again.
      if (FirstReading.Offset == 0) ScanStep = 3;
      break;
    case 7:
      if (fsi.empty()) {
        ScanStep = 6;
        break;
      }
      TakeSecondReading(ParseFastSignalInfo(fsi));
      break;
    default:
      break;
  }
}

void Bandscan::TakeSecondReading(const BandscanReading& second) {
  const BandscanReading& first = FirstReading;
  auto pair = [](int s, int f) { return std::to_string(s) + " " + std::to_string(f); };
  ScanLog.push_back(std::to_string(875 + ScanChannel) + ": " + pair(second.Offset, first.Offset) +
                    ", " + pair(second.Noise, first.Noise) + ", " +
                    pair(second.Level, first.Level));
  BandscanReadings[ScanChannel] = AverageReadings(first, second);
  // The charts grow during the scan.
  if (ScanChannel % 10 == 6) ProcessBandscan();
  ++ScanChannel;
  if (ScanChannel == kScanChannels) ProcessBandscan();
  ScanTicks = 0;
}

void Bandscan::StartRdsPhase() {
  ProcessBandscan();
  ScanStep = 1;
  RdsStationIndex = 1;
  ScanChannel = kRdsPhaseChannel;
  link_.Send(cmd::kRdsMode);
  link_.queue.Timer10Timer();
  link_.Send(cmd::kRdsMode);
  Changed();
}

void Bandscan::RdsStep() {
  TStationList& station = StationList[static_cast<std::size_t>(RdsStationIndex - 1)];
  MeasurementState& m = link_.state;
  switch (ScanStep) {
    case 1:
      if (station.Noise > kRdsNoiseLimit) {
        ++RdsStationIndex;  // too noisy to decode
        break;
      }
      Tune(station.Channel);
      ScanStep = 2;
      break;
    case 2:
      link_.parser.Timer12Timer();
      ScanStep = 3;
      break;
    case 3:
      m.BandscanPiText.clear();
      m.BandscanPsText = kPsNotReceived;
      link_.Send(cmd::kRdsModeAndRaw);
      ScanStep = 4;
      ScanTicks = kRdsTicksStart;
      break;
    default: {
      ++ScanTicks;
      if ((ScanTicks > kRdsTicksWithoutPi && station.PI.empty()) || ScanTicks > kRdsTicksDone) {
        ScanStep = 1;
        ++RdsStationIndex;
        RepaintExtended();
        break;
      }
      if (!m.BandscanPiText.empty()) station.PI = m.BandscanPiText;
      const bool psComplete = m.BandscanPsText.find('\x01') == std::string::npos;
      if (psComplete) station.PS = m.BandscanPsText;
      if (!station.PI.empty() && psComplete) ScanTicks = kRdsTicksDone;
      break;
    }
  }
  Changed();
}

void Bandscan::ProcessBandscan() {
  BandscanResult r =
      ProcessReadings(BandscanReadings, link_.state.LevelInDbuv, MaxSignal, RandomBit);
  CorrectedLevel = r.CorrectedLevel;
  ScanInDbuv = link_.state.LevelInDbuv;
  DisplayLevel = r.DisplayLevel;
  StationList = std::move(r.Stations);
  Changed();
  RepaintCharts();
}

void Bandscan::GradBtn23Click() {
  std::string text = "Freq.\tLevel\tNoise\tRDS PI\tRDS PS\r\n";
  for (const TStationList& s : StationList)
    text += ChannelFrequencyText(s.Channel) + "\t" + std::to_string(s.Signal) + "\t" +
            std::to_string(s.Noise) + "\t" + s.PI + "\t" + s.PS + "\r\n";
  text += "Total stations: " + std::to_string(StationList.size());
  LogWindowText = std::move(text);
  Changed();
  if (hooks.ShowLogWindow) hooks.ShowLogWindow();
}

std::string Bandscan::GetStationDetail(int selector, long long station) const {
  if (station < 1 || station > static_cast<long long>(StationList.size())) return {};
  const TStationList& s = StationList[static_cast<std::size_t>(station - 1)];
  switch (selector) {
    case 0: return ChannelFrequencyText(s.Channel);
    case 1: return std::to_string(s.Signal);
    case 2: return std::to_string(s.Noise);
    case 3: return s.PI;
    case 4: return s.PS;
    default: return {};
  }
}

void Bandscan::SetMaxSignal(int value) {
  MaxSignal = std::clamp(value, kMaxSignalMin, kMaxSignalMax);
  Changed();
}

void Bandscan::TrackBar1Change(int style) {
  Style = std::clamp(style, 0, kStyles - 1);
  Changed();
  RepaintCharts();
}

void Bandscan::SRCheckBox6Change(bool grid) {
  Grid = grid;
  Changed();
  RepaintCharts();
}

void Bandscan::CBSClick() {
  labelSpace_ = ComputeLabelSpace(Extended.ShowFreq, Extended.ShowPI, Extended.ShowPS);
  RepaintExtended();
}

void Bandscan::SetExtendedVisible(bool visible) {
  ExtendedVisible = visible;
  RepaintExtended();
}

void Bandscan::SelectFrequencyAt(const chart::ChartMemory& memory) {
  const auto point = memory.Nearest();
  if (!point) return;
  const int p = point->Index;
  const bool fineStep = tuning_.FrequencyList().size() > static_cast<std::size_t>(kScanChannels);
  if (fineStep)
    tuning_.SelectFrequency(p - 1);
  else if (p % 2 == 1)
    tuning_.SelectFrequency(p / 2);  // a channel; midpoints select nothing
}

std::string Bandscan::ProgressText() const {
  if (!Running()) return {};
  if (ScanChannel < kScanChannels)
    return "Channel " + std::to_string(ScanChannel + 1) + " of " + std::to_string(kScanChannels);
  const int count = static_cast<int>(StationList.size());
  return "RDS: station " + std::to_string(std::clamp(RdsStationIndex, 1, std::max(count, 1))) +
         " of " + std::to_string(count);
}

int Bandscan::ProgressValue() const {
  if (!Running()) return 0;
  if (ScanChannel < kScanChannels) return ScanChannel;
  return std::max(RdsStationIndex - 1, 0);
}

int Bandscan::ProgressMaximum() const {
  if (Running() && ScanChannel >= kScanChannels) return std::max<int>(1, StationList.size());
  return kScanChannels;
}

}  // namespace sondaro
