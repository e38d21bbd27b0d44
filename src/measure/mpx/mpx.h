#pragma once
// The page "MPX" and the capture stream it shares with the page "RF
// Carrier": "Run" asks for captures one after the other, "Single" for one,
// "Stop" ends the stream; "Double" switches the time base (every second IF
// period counted: twice the time, half the bandwidth). The stream tick
// demodulates what arrived and watches for a stalled stream.
#include <functional>
#include <string>

#include "core/canvas.h"
#include "core/clock.h"
#include "core/timer.h"
#include "core/view.h"
#include "link/device_link.h"
#include "measure/chart/chart.h"
#include "measure/mpx/dsp.h"
#include "measure/mpx/mpx_capture.h"
#include "measure/rf/rf_carrier.h"

namespace sondaro {

inline constexpr Millis kStreamTickMs = 100;
// Ticks without a capture before the stream asks again (about 10 s).
inline constexpr int kStreamIdleTicks = 100;
// The stream pauses while the GUI thread has been stalled this long.
inline constexpr Millis kStallMs = 1000;

// Weight (1 newest .. 0 oldest) of history row k among rows a..b.
[[nodiscard]] float FadeWeight(int a, int b, int k);
// The grey a history trace of that weight is drawn in.
[[nodiscard]] Color FadeColor(float weight);

class Mpx {
 public:
  static constexpr int kChartWidth = 529, kChartHeight = 260;
  static constexpr Color kWarningColor = MakeColor(255, 181, 181);
  static constexpr Color kGoodColor = MakeColor(181, 255, 181);

  Mpx(TimerSet& timers, View& view, DeviceLink& link);

  void GradBtn47Click();  // "Run" of the pages "MPX" and "RF Carrier"
  void GradBtn45Click();  // "Single"
  void GradBtn49Click();  // "Stop" of both pages
  void SRCheckBox10Change(bool doubleTimeBase);  // "Double"
  void GradBtn16Click() { ClearMPX(); }          // "Clear"
  void Timer2Timer();                            // stream tick
  void Demodulate();
  void ClearMPX();
  void NastavOsyX();
  void VymalujMPX(int target, Canvas& canvas);
  void VymalujRF(int target, Canvas& canvas) { rf.VymalujRF(target, canvas); }

  [[nodiscard]] bool StreamRunning() const { return timer2_.Enabled(); }
  [[nodiscard]] bool DoubleTimeBase() const { return double_; }
  // The check box set without its change event (settings at start).
  void SetDoubleTimeBaseState(bool on) {
    double_ = on;
    NastavOsyX();
  }
  [[nodiscard]] Timer& Timer2() { return timer2_; }
  [[nodiscard]] const MpxCapture& Capture() const { return capture; }

  // Links to the rest of the program; App and the pages connect them.
  struct Hooks {
    std::function<bool()> OnlineChecked;   // "Online Deviation and Signal"
    std::function<void()> StopBandscan;    // a running bandscan yields to the stream
    std::function<int()> DeviationLimit;   // the spin box of the deviation page, kHz
    // Shown pages of a visible main window, and their charts drawn at once
    // over what is on screen (target 1).
    std::function<bool()> MpxPageShown, RfPageShown;
    std::function<void()> RefreshMpxChart, RefreshRfChart;
    // Shows (true) or takes back (false) the text that a capture is awaited.
    std::function<void(const std::string& text, bool show)> CaptureNotice;
  };
  static constexpr const char* kAwaitingCaptureText = "MPX: waiting for a capture in the new time base...";
  Hooks hooks;

 private:
  mpx::Fft fft_;

 public:
  RfCarrier rf;
  MpxCapture capture;
  std::string MpxCaptureTime;
  chart::ChartMemory Chart;

 private:
  [[nodiscard]] static bool Ask(const std::function<bool()>& f) { return f && f(); }
  void SendCapture();
  [[nodiscard]] bool CaptureAwaited() const;
  void ShowCaptureNotice(bool show);
  [[nodiscard]] std::string NowText() const;

  Clock& clock_;
  View& view_;
  DeviceLink& link_;
  Timer timer2_;
  bool double_ = false;
  int idleTicks_ = 0;
  bool noticeShown_ = false;
  // Chart series and their x values for the current time base.
  std::array<chart::PointD, kSpectrumBins> spectrumSeries_{};
  std::array<chart::PointD, kTimebasePoints> timebaseSeries_{};
  std::array<double, kTracePoints> traceX_{};
};

}  // namespace sondaro
