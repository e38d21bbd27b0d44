#include "link/mode_tuning.h"

#include "core/text.h"
#include "link/command_set.h"

namespace sondaro {

namespace {
constexpr Rgb kLightGrey{216, 216, 216};
constexpr Rgb kSilver{192, 192, 192};
}  // namespace

ModeButtonLook LookOf(bool pressed) {
  if (pressed) return {kSilver, kLightGrey, true};
  return {kLightGrey, kSilver, false};
}

std::vector<std::string> BuildFrequencyTexts(bool fineTuning) {
  // Entry i is (1750 + i) / 20 MHz in 50 kHz steps, (1750 + 2i) / 20 MHz in
  // 100 kHz steps; in hundredths of a MHz that is 5 * (1750 + step * i), so
  // the texts are exact: 87.50 ... 108.00.
  const int step = fineTuning ? 1 : 2;
  const int count = fineTuning ? 411 : 206;
  std::vector<std::string> texts;
  texts.reserve(count);
  for (int i = 0; i < count; ++i) {
    const int hundredths = 5 * (1750 + step * i);
    const int frac = hundredths % 100;
    texts.push_back(std::to_string(hundredths / 100) + "." + (frac < 10 ? "0" : "") +
                    std::to_string(frac) + " MHz");
  }
  return texts;
}

std::optional<float> FrequencyOfText(const std::string& text) {
  // List texts have no leading blank: "98.50 MHz", "101.30 MHz".
  const bool hundreds = !text.empty() && text[0] == '1';
  return hundreds ? ReadWholeAndHundredths(Copy(text, 1, 3), Copy(text, 5, 2))
                  : ReadWholeAndHundredths(Copy(text, 1, 2), Copy(text, 4, 2));
}

ModeTuning::ModeTuning(TimerSet& timers, View& view, MeasurementState& state, Readouts& readouts,
                       CommandQueue& queue, Dialogs& dialogs)
    : view_(view),
      state_(state),
      readouts_(readouts),
      queue_(queue),
      dialogs_(dialogs),
      clock_(timers.GetClock()),
      timer4_(timers, kTuneFollowUpMs, false, [this] { Timer4Timer(); }),
      timer3_(timers, 100, true, [this] { Timer3Timer(); }),
      timerAcquireAll_(timers, kAcquireAllDelayMs, false, [this] { TimerAcquireAllTimer(); }) {
  list_ = BuildFrequencyTexts(false);
}

void ModeTuning::SetMode(int mode) {
  state_.CurrentMode = mode;
  view_.Changed(Area::Mode);
}

std::string ModeTuning::ModeCaption() const {
  switch (state_.CurrentMode) {
    case 1: return "RDS mode";
    case 2: return "Stereo mode";
    default: return "Measuring mode";
  }
}

ModeTuning::ReadoutCurrency ModeTuning::CurrentReadouts(bool linkUp) const {
  return {linkUp, linkUp && (!online_ || state_.CurrentMode == 0)};
}

void ModeTuning::SendMode() { SendAll(queue_, ModeCommands(state_.CurrentMode, MaxWanted())); }

void ModeTuning::SetPrefMode() { SetMode(PreferredMode); }

void ModeTuning::IAeverButton34Click() {
  SetMode(0);
  SendMode();
}

void ModeTuning::IAeverButton33Click() {
  SetMode(1);
  SendMode();
  // The decoder is fed from the raw groups, which RDS mode would otherwise
  // leave switched off.
  if (Ask(hooks.RawCaptureRunning) && Ask(hooks.QuilletRunning)) queue_.Send(cmd::kRawOn);
}

void ModeTuning::BuildFrequencyList(bool fineTuning) {
  list_ = BuildFrequencyTexts(fineTuning);
  SelectFrequency(index_);
}

void ModeTuning::SelectFrequency(int index) {
  index_ = index >= 0 && index < static_cast<int>(list_.size()) ? index : 0;
  view_.Changed(Area::FrequencyList);
}

std::string ModeTuning::FrequencyText() const {
  if (index_ < 0 || index_ >= static_cast<int>(list_.size())) return {};
  return list_[index_];
}

void ModeTuning::Button1Click() {
  if (list_.empty()) return;
  SelectFrequency(index_ + 1 >= static_cast<int>(list_.size()) ? 0 : index_ + 1);
}

void ModeTuning::Button2Click() {
  if (list_.empty()) return;
  SelectFrequency(index_ <= 0 ? static_cast<int>(list_.size()) - 1 : index_ - 1);
}

void ModeTuning::IAeverButton19Click() {
  state_.IfValid = false;
  state_.SetNormalPending = false;
  state_.ReadOffsetPending = false;
  const std::string text = FrequencyText();
  if (text.empty()) return;
  if (const auto mhz = FrequencyOfText(text)) state_.FrequencyMHz = *mhz;
  timer4_.SetEnabled(false);
  queue_.Send(TuneCommand(text));
  queue_.Send(cmd::kFrequency);
  if (MaxWanted()) queue_.Send(cmd::kMaxOn);
  else timer4_.SetEnabled(true);
}

void ModeTuning::Timer4Timer() {
  queue_.Send(cmd::kQuality);
  queue_.Send(cmd::kIf);
  timer4_.SetEnabled(false);
}

void ModeTuning::Label1DblClick() { queue_.Send(cmd::kFrequency); }

void ModeTuning::SetOnline(bool checked) {
  if (checked == online_) return;
  online_ = checked;
  SRCheckBox5Change();
}

void ModeTuning::SRCheckBox5Change() {
  if (online_) {
    readouts_.Beveles5Caption = "Deviation MAX";
    readouts_.Label22 = "        kHz";
    queue_.Send(cmd::kMaxOn);
  } else {
    readouts_.Beveles5Caption = "Phase Diff.";
    readouts_.Label22 = state_.PhaseText;
    queue_.Send(cmd::kMaxOff);
  }
  view_.Changed(Area::Online);
}

void ModeTuning::SetasNormal2Click() {
  if (!state_.IfValid) {
    // Ask for a fresh IF reading; its "IF" section runs this again.
    state_.SetNormalPending = true;
    queue_.Send(cmd::kIf);
    return;
  }
  state_.SetNormalPending = false;
  if (state_.IfKHz > 270) {
    state_.CarrierNormalKHz = state_.IfKHz;
    // Analyzers without dBuV levels report an IF that moves 1 kHz per
    // 3.7 MHz of tuning; the normal is kept as if tuned to 87.5 MHz.
    if (!state_.LevelInDbuv)
      state_.CarrierNormalKHz = state_.IfKHz + (state_.FrequencyMHz - 87.5f) / 3.7f;
  } else {
    state_.CarrierNormalKHz = 0;
  }
  state_.ReferenceFrequencyMHz = state_.FrequencyMHz;
  if (state_.ReferenceFrequencyMHz < 87.4f) state_.CarrierNormalKHz = 0;
}

void ModeTuning::Read1Click() {
  state_.ReadOffsetPending = false;
  if (state_.CarrierNormalKHz < 270) {
    dialogs_.ShowWarning("No carrier normal set.");
    return;
  }
  state_.ReadOffsetPending = true;
  queue_.Send(cmd::kIf);
}

std::optional<float> CarrierOffsetKHz(const MeasurementState& s) {
  if (!(s.CarrierNormalKHz > 270 && s.FrequencyMHz > 87 && s.ReferenceFrequencyMHz > 87 &&
        s.IfKHz > 270 && s.FrequencyMHz != s.ReferenceFrequencyMHz))
    return std::nullopt;
  float offset = s.IfKHz - s.CarrierNormalKHz;
  if (!s.LevelInDbuv) offset += (s.FrequencyMHz - 87.5f) / 3.7f;
  return offset;
}

void ModeTuning::OffsetCheck() {
  // The reference station itself never gives a reading; the request waits
  // for an "IF" section from another station.
  const std::optional<float> offset = CarrierOffsetKHz(state_);
  if (!offset) return;
  state_.ReadOffsetPending = false;
  dialogs_.ShowMessage("Carrier offset: " + FormatFixed(*offset, 1) +
                       " kHz (reference station: " + FormatFixed(state_.ReferenceFrequencyMHz, 2) +
                       " MHz)\r\n");
}

void ModeTuning::BitBtn19Click() {
  if (hooks.ClearMPX) hooks.ClearMPX();
  const std::string w = CaptureRequest(Ask(hooks.DoubleTimeBase));
  queue_.Send(w);
  queue_.Send(cmd::kBlock);
  queue_.Send(w);  // dropped while the first is still queued
  // Holds everything, the pacing tick included.
  clock_.Sleep(kAcquireAllPauseMs);
  queue_.Send(w);
}

void ModeTuning::TimerAcquireAllTimer() {
  BitBtn19Click();
  timerAcquireAll_.SetEnabled(false);
}

void ModeTuning::MLIFClick(int n) {
  const auto load = LoadInternalFileCommand(n);
  if (!load) return;
  SetMode(2);
  SendMode();
  queue_.Send(*load);
  timerAcquireAll_.Restart();
}

void ModeTuning::IAeverButton21Click() { queue_.Send(cmd::kStoreSettings); }

void ModeTuning::Timer3Timer() { state_.LastActivity = clock_.Now(); }

}  // namespace sondaro
