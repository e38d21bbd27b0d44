#include "measure/mpx/mpx.h"

#include <algorithm>

#include "core/formats.h"
#include "link/command_set.h"

namespace sondaro {

Mpx::Mpx(TimerSet& timers, View& view, DeviceLink& link)
    : rf(view, fft_),
      capture(fft_, rf),
      clock_(timers.GetClock()),
      view_(view),
      link_(link),
      timer2_(timers, kStreamTickMs, false, [this] { Timer2Timer(); }) {
  NastavOsyX();
}

void Mpx::SendCapture() { link_.Send(CaptureRequest(double_)); }

void Mpx::GradBtn47Click() {
  if (hooks.StopBandscan) hooks.StopBandscan();
  SendAll(link_.queue, MpxRunSequence(double_));
  timer2_.SetEnabled(true);
  view_.Changed(Area::Mpx);
}

void Mpx::GradBtn45Click() {
  timer2_.SetEnabled(false);
  SendAll(link_.queue, MpxSingleSequence(double_));
  view_.Changed(Area::Mpx);
}

void Mpx::GradBtn49Click() {
  timer2_.SetEnabled(false);
  ShowCaptureNotice(false);
  // A capture already asked for no longer belongs to anything.
  link_.state.SkipNextWaveform = true;
  link_.queue.OdeberZCekej("W");
  if (!Ask(hooks.OnlineChecked)) link_.Send(cmd::kMaxOff);
  view_.Changed(Area::Mpx);
}

void Mpx::SRCheckBox10Change(bool doubleTimeBase) {
  double_ = doubleTimeBase;
  // A capture asked for in the old time base is thrown away when it comes.
  if (CaptureAwaited()) link_.state.SkipNextWaveform = true;
  link_.queue.OdeberZCekej("W");
  NastavOsyX();
  ClearMPX();
  if (StreamRunning()) {
    // The next capture is asked for now rather than after the stall rule's
    // ten seconds, and the wait is told, so the page does not look hung.
    link_.Send(cmd::kIf);
    SendCapture();
    idleTicks_ = 0;
    ShowCaptureNotice(true);
  }
  view_.Changed(Area::Mpx);
}

bool Mpx::CaptureAwaited() const {
  const auto& pending = link_.queue.PendingReplies();
  return std::any_of(pending.begin(), pending.end(),
                     [](const TCekej& t) { return t.Letter == "W" && !t.Answered; });
}

void Mpx::ShowCaptureNotice(bool show) {
  if (noticeShown_ == show) return;
  noticeShown_ = show;
  if (hooks.CaptureNotice) hooks.CaptureNotice(kAwaitingCaptureText, show);
}

void Mpx::Timer2Timer() {
  MeasurementState& s = link_.state;
  if (clock_.Now() - s.LastActivity > kStallMs || s.CurrentMode != 0) {
    // A capture that arrived meanwhile is stale or not an MPX at all.
    s.MpxDataReady = false;
    return;
  }
  timer2_.SetEnabled(false);
  const bool processed = s.MpxDataReady;
  Demodulate();
  if (processed) idleTicks_ = 0;
  if (++idleTicks_ > kStreamIdleTicks) {
    link_.Send(cmd::kIf);
    SendCapture();
    idleTicks_ = 0;
  }
  timer2_.SetEnabled(true);
}

std::string Mpx::NowText() const {
  const Millis now = clock_.WallNow();
  return DateToStr(now) + " " + TimeToStr(now);
}

void Mpx::Demodulate() {
  MeasurementState& s = link_.state;
  if (!s.MpxDataReady) return;
  capture.Process(s.MpxSamples, s.IfKHz, double_);
  if (!double_) {
    rf.RfCaptureTime = NowText();
    if (Ask(hooks.RfPageShown) && hooks.RefreshRfChart) hooks.RefreshRfChart();
  }
  MpxCaptureTime = NowText();
  if (Ask(hooks.MpxPageShown) && hooks.RefreshMpxChart) hooks.RefreshMpxChart();
  s.MpxDataReady = false;
  ShowCaptureNotice(false);
}

void Mpx::ClearMPX() {
  capture.Clear();
  link_.state.BalanceText.clear();
  view_.Changed(Area::Readouts);
  view_.Repaint(ChartTag::MPX);
}

}  // namespace sondaro
