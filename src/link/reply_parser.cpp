#include "link/reply_parser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/text.h"

namespace sondaro {

namespace {

// Where `what` first occurs in `text` at or after `from`. The parser scans the
// whole buffer on every tick, much of it noise: one memmem call does that
// without a compare call for every candidate.
std::size_t FindFrom(const std::string& text, std::string_view what, std::size_t from = 0) {
  if (from >= text.size()) return std::string::npos;
  const void* at = ::memmem(text.data() + from, text.size() - from, what.data(), what.size());
  return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data())
            : std::string::npos;
}

}  // namespace

FrameScan ScanFrame(const std::string& buffer) {
  FrameScan scan;
  const std::size_t p = FindFrom(buffer, ":\r\n");
  if (p == std::string::npos) return scan;
  scan.HeaderFound = true;
  scan.HeaderEnd = p;
  // Body from after the colon's CR LF; the CR LF ending the header line counts
  // towards the empty line, so "X:\r\n\r\n" has an empty body.
  const std::size_t end = FindFrom(buffer, "\r\n\r\n", p + 1);
  if (end == std::string::npos) return scan;
  // The header is the last line before the colon.
  const std::size_t lastLine = p >= 2 ? buffer.rfind("\r\n", p - 2) : std::string::npos;
  const std::size_t headerStart = lastLine == std::string::npos ? 0 : lastLine + 2;
  ReplyFrame frame;
  frame.SectionHeader = buffer.substr(headerStart, p - headerStart);
  const std::size_t bodyStart = p + 3;
  frame.SectionBody = end + 1 > bodyStart ? buffer.substr(bodyStart, end - bodyStart) : "";
  scan.Frame = std::move(frame);
  scan.Consumed = p + 2;  // the colon and the CR after it
  return scan;
}

float ParseKHz(const std::string& body) {
  const auto v = ReadReading(RemoveAll(RemoveLeadingBlanks(body), " kHz"));
  if (!v || *v > 655.0f) return -1;
  return *v;
}

PhaseReading ParsePhase(const std::string& body) {
  int n = 999;
  const std::size_t deg = body.find("deg");
  if (deg != std::string::npos && deg >= 5) n = ReadInt32(body.substr(0, 5)).value_or(999);
  if (n > 360) return {"", 999};
  if (n > 180) n -= 180;
  if (n > 90) n -= 180;
  return {"  " + std::to_string(n) + " deg", static_cast<float>(n)};
}

float ParseFrequencyMHz(const std::string& body) {
  // A blank stands before a two-digit MHz value: " 98.50 MHz".
  const bool hundreds = !body.empty() && body[0] == '1';
  return ReadWholeAndHundredths(hundreds ? Copy(body, 1, 3) : Copy(body, 2, 2), Copy(body, 5, 2))
      .value_or(0.0f);
}

float ParseIfKHz(const std::string& body) {
  return ReadWholeAndHundredths(Copy(body, 1, 3), Copy(body, 5, 2)).value_or(323.0f);
}

ReplyParser::ReplyParser(TimerSet& timers, View& view, MeasurementState& state,
                         Readouts& readouts, std::string& receiveBuffer, CommandQueue& queue)
    : clock_(timers.GetClock()),
      view_(view),
      state_(state),
      readouts_(readouts),
      buffer_(receiveBuffer),
      queue_(queue),
      timer12_(timers, 60, true, [this] { Timer12Timer(); }) {}

const std::map<std::string, ReplyParser::Route>& ReplyParser::Table() {
  static const std::map<std::string, Route> table = [] {
    std::map<std::string, Route> t;
    for (const char* tag : {"PS", "PI", "RT", "CT", "PTY", "MS", "TP", "TA", "ECC", "PTYN", "DI",
                            "AF"})
      t[tag] = {nullptr, &ReplyParser::OnRdsField};
    t["EON"] = {"D", &ReplyParser::OnEon};
    t["RDS Group Statistics"] = {"T", &ReplyParser::OnGroupStatistics};
    t["MAX"] = {nullptr, &ReplyParser::OnMax};  // clears "M" itself, in Measuring mode only
    t["MAX Hold"] = {"X", &ReplyParser::OnMaxHold};
    t["R/L"] = {"C", &ReplyParser::OnBalance};
    t["Pilot"] = {"L", &ReplyParser::OnPilot};
    t["RDS"] = {"R", &ReplyParser::OnRds};
    t["Level"] = {"U", &ReplyParser::OnLevel};
    t["Signal Quality"] = {"Q", &ReplyParser::OnQuality};
    t["Fast Signal Info"] = {"G", &ReplyParser::OnFastSignalInfo};
    t["RDS Phase Difference"] = {"E", &ReplyParser::OnPhase};
    t["Frequency"] = {"F", &ReplyParser::OnFrequency};
    t["IF"] = {"I", &ReplyParser::OnIf};
    t["G"] = {nullptr, &ReplyParser::OnRawGroup};
    t["W"] = {nullptr, &ReplyParser::OnCapture};  // a skipped capture keeps "W" awaited
    t["HEX"] = {nullptr, &ReplyParser::OnMemoryDump};
    t["Histogram Data"] = {"H", &ReplyParser::OnHistogram};
    t["Pm"] = {"P", &ReplyParser::OnModulationPower};
    t["Modulation Power"] = {"P", &ReplyParser::OnModulationPower};
    return t;
  }();
  return table;
}

void ReplyParser::Timer12Timer() {
  Tick();
  if (hooks.TickDone) hooks.TickDone();
}

void ReplyParser::Tick() {
  state_.LastActivity = clock_.Now();
  FrameScan scan = ScanFrame(buffer_);
  if (!scan.HeaderFound) {
    timer12_.SetInterval(100);
    DropStalledFront(std::nullopt);
    return;
  }
  timer12_.SetInterval(20);
  if (!scan.Frame) {
    DropStalledFront(scan.HeaderEnd);
    return;
  }
  buffer_.erase(0, scan.Consumed);
  Dispatch(*scan.Frame);
}

void ReplyParser::DropStalledFront(std::optional<std::size_t> headerEnd) {
  // A full buffer takes no more chunks, so text that cannot become a complete
  // section would block the link for good. Drop it: an unfinished section is
  // given up like any unknown one, and noise without a header goes except for
  // its last line, which may still grow into a header.
  if (buffer_.size() < kReceiveBufferLimit) return;
  if (headerEnd) {
    buffer_.erase(0, *headerEnd + 2);
    return;
  }
  const std::size_t lastLine = buffer_.rfind("\r\n");
  if (lastLine == std::string::npos || buffer_.size() - lastLine >= kReceiveBufferLimit)
    buffer_.clear();
  else
    buffer_.erase(0, lastLine);
}

void ReplyParser::Dispatch(const ReplyFrame& frame) {
  const auto& table = Table();
  const auto it = table.find(frame.SectionHeader);
  if (it == table.end()) return;
  if (it->second.Letter) queue_.OdeberZCekej(it->second.Letter);
  currentHeader_ = frame.SectionHeader;
  (this->*(it->second.Handle))(frame.SectionBody);
}

void ReplyParser::OnRdsField(const std::string& body) {
  if (hooks.StoreRdsField) hooks.StoreRdsField(currentHeader_, body);
}
void ReplyParser::OnEon(const std::string& body) { OnRdsField(body); }
void ReplyParser::OnGroupStatistics(const std::string& body) { OnRdsField(body); }

void ReplyParser::OnMax(const std::string& body) {
  if (state_.CurrentMode != 0) return;
  queue_.OdeberZCekej("M");
  state_.DeviationMaxText = RemoveLeadingBlanks(body);
  // The bar clamps what it shows: a quality of 7 shows as 5.
  if (Online() && std::clamp(state_.SignalQuality, 0, 5) >= 3) {
    readouts_.Label22 = state_.DeviationMaxText;
    view_.Changed(Area::Readouts);
  }
  if (Online() || MpxRun()) {
    state_.OnlineToggle = !state_.OnlineToggle;
    if (state_.OnlineToggle) {
      queue_.Send("?Q");
      queue_.Send("?L");
      queue_.Send("?R");
    } else {
      queue_.Send("?E");
    }
  }
}

void ReplyParser::OnMaxHold(const std::string& body) {
  state_.DeviationMaxHoldText = RemoveLeadingBlanks(body);
}

void ReplyParser::OnBalance(const std::string& body) { state_.BalanceText = body; }

void ReplyParser::MaybeRefreshMpx(float value, float& last) {
  if (value != last && hooks.MpxPageShown && hooks.MpxPageShown() && !MpxRun() &&
      hooks.RefreshMpxChart)
    hooks.RefreshMpxChart();
  last = value;
}

// "Pilot" and "RDS" take the same steps on their own fields.
void ReplyParser::StoreSubcarrier(const std::string& body, std::string& text, std::string& label,
                                  float& value, float& last) {
  text = body;
  label = body;
  value = ParseKHz(body);
  view_.Changed(Area::Readouts);
  MaybeRefreshMpx(value, last);
}

void ReplyParser::OnPilot(const std::string& body) {
  StoreSubcarrier(body, state_.PilotText, readouts_.Label15, state_.PilotKHz,
                  state_.LastPilotKHz);
}

void ReplyParser::OnRds(const std::string& body) {
  StoreSubcarrier(body, state_.RdsDeviationText, readouts_.Label14, state_.RdsDeviationKHz,
                  state_.LastRdsDeviationKHz);
}

void ReplyParser::OnLevel(const std::string& body) {
  state_.LevelText = body;
  if (body.find("dBuV") != std::string::npos) state_.LevelInDbuv = true;
}

void ReplyParser::OnQuality(const std::string& body) {
  state_.QualityText = body;
  state_.SignalQuality = ReadInt32(Copy(body, 1, 5)).value_or(0);
  readouts_.ProgressBar1 = state_.SignalQuality;
  if (state_.SignalQuality < 3 && (Online() || MpxRun())) readouts_.Label22.clear();
  view_.Changed(Area::Readouts);
}

void ReplyParser::OnFastSignalInfo(const std::string& body) { state_.FastSignalInfoText = body; }

void ReplyParser::OnPhase(const std::string& body) {
  const PhaseReading phase = ParsePhase(body);
  state_.PhaseText = phase.Text;
  if (!Online()) {
    readouts_.Label22 = state_.PhaseText;
    view_.Changed(Area::Readouts);
  }
  state_.PhaseDeg = phase.Degrees;
  MaybeRefreshMpx(state_.PhaseDeg, state_.LastPhaseDeg);
}

void ReplyParser::OnFrequency(const std::string& body) {
  if (hooks.BandscanRunning && hooks.BandscanRunning()) {
    state_.FrequencyText = body;
    return;
  }
  const std::string old = state_.FrequencyText;
  state_.FrequencyText = body;
  readouts_.Label1 = body;
  state_.FrequencyMHz = ParseFrequencyMHz(body);
  view_.Changed(Area::Readouts);
  if (body != old) FrequencyChangeReset();
}

void ReplyParser::FrequencyChangeReset() {
  for (const auto& clear : hooks.FrequencyChangeClears)
    if (clear) clear();
  state_.IfValid = false;
  if (hooks.SendToQuillet) hooks.SendToQuillet("RESET-----------");
  if (hooks.RelayListening && hooks.RelayListening() && state_.CurrentMode == 1)
    queue_.Send("*R");
}

void ReplyParser::OnIf(const std::string& body) {
  state_.IfKHz = ParseIfKHz(body);
  state_.IfValid = true;
  if (state_.SetNormalPending && hooks.SetNormalStep) hooks.SetNormalStep();
  if (state_.ReadOffsetPending && hooks.OffsetCheck) hooks.OffsetCheck();
}

void ReplyParser::OnHistogram(const std::string& body) {
  if (hooks.Histogram) hooks.Histogram(body);
}
void ReplyParser::OnModulationPower(const std::string& body) {
  if (hooks.ModulationPower) hooks.ModulationPower(body);
}
void ReplyParser::OnCapture(const std::string& body) {
  if (hooks.Capture) hooks.Capture(body);
}
void ReplyParser::OnRawGroup(const std::string& body) {
  if (hooks.RawGroup) hooks.RawGroup(body);
}
void ReplyParser::OnMemoryDump(const std::string& body) {
  if (hooks.MemoryDump) hooks.MemoryDump(body);
}

}  // namespace sondaro
