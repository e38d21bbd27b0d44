// Mode and tuning: the link coming up, the parser's carrier-offset steps and
// the keys of the top bar and the Setup page.
//
// Owners of the MPX run, the "Double" time base, the raw RDS capture and the
// external decoder connect tuning.hooks (MpxRunActive, DoubleTimeBase,
// ClearMPX, RawCaptureRunning, QuilletRunning) in their own Wire*.
#include "app/app.h"
#include "link/command_set.h"

namespace sondaro {

void App::WireModeTuning() {
  // Every connect: preferred mode, its mode order(s), then the tuned frequency.
  link.connection.hooks.LinkUp = [this] {
    tuning.SetPrefMode();
    tuning.SendMode();
    link.Send(cmd::kFrequency);
  };
  auto& ph = link.parser.hooks;
  ph.OnlineChecked = [this] { return tuning.Online(); };
  ph.SetNormalStep = [this] { tuning.SetasNormal2Click(); };
  ph.OffsetCheck = [this] { tuning.OffsetCheck(); };

  // The values go in before a saved "Connect" brings the link up, so the
  // first mode order already follows "Preferred Mode" and "Online".
  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        tuning.SetOnlineState(s.GetBool("General", "Online"));
        // "Preferred Mode" lists two modes; anything else is Measuring.
        const int mode = s.GetInt("General", "Mode");
        tuning.PreferredMode = mode == 1 ? 1 : 0;
        tuning.FineTuningChecked = s.GetBool("General", "FineTuning");
      },
      [this](Settings& s) {
        s.SetBool("General", "Online", tuning.Online());
        s.SetInt("General", "Mode", tuning.PreferredMode);
        s.SetBool("General", "FineTuning", tuning.FineTuningChecked);
        s.SetInt("General", "Frequency", tuning.FrequencyIndex());
      });
  settings.Bind(SettingsStage::MainApply, [this](const Settings& s) {
    tuning.SRCheckBox5Change();
    tuning.SetPrefMode();
    // The 50 kHz step takes effect here, at start, only.
    tuning.BuildFrequencyList(s.GetBool("General", "FineTuning"));
    tuning.SelectFrequency(s.GetInt("General", "Frequency"));
    view.Changed(Area::Setup);
  });
}

}  // namespace sondaro
