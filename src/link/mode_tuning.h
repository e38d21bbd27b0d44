#pragma once
// The analyzer as a receiver: operating mode ("Measuring", "RDS", Stereo),
// the frequency list with "<", ">" and "Tune", "Online Deviation and
// Signal", the carrier offset of "Edit" > "Carrier Offset", "Acquire All",
// "Load Internal File" and the analyzer's "Save Settings".
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"
#include "core/timer.h"
#include "core/view.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"

namespace sondaro {

inline constexpr int kInternalFileCount = 30;
inline constexpr Millis kTuneFollowUpMs = 3500;
inline constexpr Millis kAcquireAllDelayMs = 700;
inline constexpr Millis kAcquireAllPauseMs = 600;

struct Rgb {
  int R, G, B;
  bool operator==(const Rgb&) const = default;
};

// Look of a mode button: a vertical gradient and raised (normal) or sunken
// (pressed) edges.
struct ModeButtonLook {
  Rgb Top;
  Rgb Bottom;
  bool Sunken;  // highlight on the lower/right edges, shadow on the upper/left
};
[[nodiscard]] ModeButtonLook LookOf(bool pressed);

// "87.50 MHz": "." whatever the locale.
[[nodiscard]] std::vector<std::string> BuildFrequencyTexts(bool fineTuning);
// MHz of a list text: "101.30 MHz" -> 101.3; nullopt when a part is unreadable.
[[nodiscard]] std::optional<float> FrequencyOfText(const std::string& text);
// Offset in kHz of the tuned carrier from the normal set on the reference
// station; nullopt without a normal, without an IF reading, or on the
// reference station itself.
[[nodiscard]] std::optional<float> CarrierOffsetKHz(const MeasurementState& state);

class ModeTuning {
 public:
  // Parts above the link that the controls consult or trigger.
  struct Hooks {
    std::function<bool()> MpxRunActive;       // Timer2
    std::function<bool()> DoubleTimeBase;     // "Double" of the MPX page
    std::function<bool()> RawCaptureRunning;  // raw RDS "Run"
    std::function<bool()> QuilletRunning;     // external decoder
    std::function<void()> ClearMPX;
  };

  ModeTuning(TimerSet& timers, View& view, MeasurementState& state, Readouts& readouts,
             CommandQueue& queue, Dialogs& dialogs);

  // Mode.
  void SetMode(int mode);
  void SendMode();
  void SetPrefMode();
  void IAeverButton34Click();  // "Measuring"
  void IAeverButton33Click();  // "RDS"
  [[nodiscard]] bool MeasuringPressed() const { return state_.CurrentMode != 1 && state_.CurrentMode != 2; }
  [[nodiscard]] bool RdsPressed() const { return state_.CurrentMode == 1; }
  // "Measuring mode", "RDS mode", "Stereo mode": the Stereo mode of an
  // internal file presses neither button, so the window says it in words.
  [[nodiscard]] std::string ModeCaption() const;
  // Which readouts show current readings: none while no link is up (after
  // "Disconnect", while a TCP attempt or its retry runs); "Deviation MAX"
  // only in Measuring mode, the only mode whose "MAX" sections count.
  struct ReadoutCurrency {
    bool Live = false;   // "Frequency", "Signal", "Pilot", "RDS"
    bool Third = false;  // "Deviation MAX" / "Phase Diff."
  };
  [[nodiscard]] ReadoutCurrency CurrentReadouts(bool linkUp) const;

  // Frequency list.
  void BuildFrequencyList(bool fineTuning);
  // Selects entry `index`; an index outside the list selects the first.
  void SelectFrequency(int index);
  [[nodiscard]] const std::vector<std::string>& FrequencyList() const { return list_; }
  [[nodiscard]] int FrequencyIndex() const { return index_; }
  [[nodiscard]] std::string FrequencyText() const;
  void Button1Click();          // ">"
  void Button2Click();          // "<"
  void IAeverButton19Click();   // "Tune"
  void Label1DblClick();        // double-click on the frequency readout
  void Timer4Timer();           // 3.5 s after "Tune"

  // "Online Deviation and Signal".
  void SetOnline(bool checked);  // the check box changed
  // The check box set without its change event (settings at start).
  void SetOnlineState(bool checked) { online_ = checked; }
  void SRCheckBox5Change();
  [[nodiscard]] bool Online() const { return online_; }

  // "Edit" > "Carrier Offset".
  void SetasNormal2Click();  // "Set as Normal"
  void Read1Click();         // "Read"
  void OffsetCheck();        // an "IF" section while "Read" waits

  // One-shot acquisitions.
  void BitBtn19Click();  // "Acquire All"
  void TimerAcquireAllTimer();
  void MLIFClick(int n);        // "File" > "Load Internal File" > "File n"
  void IAeverButton21Click();   // "Save Settings" in the box "EEPROM"
  void Timer3Timer();           // activity stamp

  [[nodiscard]] Timer& Timer4() { return timer4_; }
  [[nodiscard]] Timer& TimerAcquireAll() { return timerAcquireAll_; }

  // Setup page values, kept in the settings file.
  int PreferredMode = 0;         // "Preferred Mode": 0 "Measuring", 1 "RDS"
  bool FineTuningChecked = false;  // "Enable 50 kHz tuning step (requires restart)"
  Hooks hooks;

 private:
  [[nodiscard]] bool Ask(const std::function<bool()>& f) const { return f && f(); }
  [[nodiscard]] bool MaxWanted() const { return online_ || Ask(hooks.MpxRunActive); }

  View& view_;
  MeasurementState& state_;
  Readouts& readouts_;
  CommandQueue& queue_;
  Dialogs& dialogs_;
  Clock& clock_;
  std::vector<std::string> list_;
  int index_ = 0;
  bool online_ = false;
  Timer timer4_;
  Timer timer3_;
  Timer timerAcquireAll_;
};

}  // namespace sondaro
