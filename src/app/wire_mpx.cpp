// The MPX capture stream and the MPX and RF carrier pages: the device link's
// capture hooks, the resets that clear them, their images, data file,
// keywords and settings.
#include "app/app.h"

namespace sondaro {

void App::WireMpx() {
  auto running = [this] { return mpx.StreamRunning(); };
  auto doubleTimeBase = [this] { return mpx.DoubleTimeBase(); };
  link.bulk.hooks.Demodulate = [this] { mpx.Demodulate(); };
  link.bulk.hooks.MpxRunActive = running;
  link.bulk.hooks.DoubleTimeBase = doubleTimeBase;
  link.parser.hooks.MpxRunActive = running;
  link.parser.hooks.MpxPageShown = [this] { return mpx.hooks.MpxPageShown && mpx.hooks.MpxPageShown(); };
  link.parser.hooks.RefreshMpxChart = [this] {
    if (mpx.hooks.RefreshMpxChart) mpx.hooks.RefreshMpxChart();
  };
  tuning.hooks.MpxRunActive = running;
  tuning.hooks.DoubleTimeBase = doubleTimeBase;
  tuning.hooks.ClearMPX = [this] { mpx.ClearMPX(); };
  // After the modulation power and deviation clears, before the RDS ones.
  auto& clears = link.parser.hooks.FrequencyChangeClears;
  clears.push_back([this] { mpx.ClearMPX(); });
  clears.push_back([this] { mpx.rf.ClearRF(); });

  mpx.hooks.OnlineChecked = [this] { return tuning.Online(); };
  // Taken back only while nothing else has been told since.
  mpx.hooks.CaptureNotice = [this](const std::string& text, bool show) {
    if (show) status.SetText(text);
    else if (status.Text() == text) status.SetText("");
  };
  // The scan and the stream exclude each other.
  mpx.hooks.StopBandscan = [this] {
    if (bandscan.Running()) bandscan.IAeverButton25Click();
  };
  bandscan.hooks.StopMpxRun = [this] { mpx.GradBtn49Click(); };
  mpx.hooks.DeviationLimit = [this] { return deviation.DeviationLimit; };

  images.Register(ChartTag::MPX, [this](int t, Canvas& c) { mpx.VymalujMPX(t, c); });
  images.Register(ChartTag::RF, [this](int t, Canvas& c) { mpx.VymalujRF(t, c); });
  dataFiles.Spectrum = [this] {
    const auto& row = mpx.capture.SpectrumHistory[0];
    return std::vector<float>(row.begin(), row.end());
  };

  CommandTable& table = automation.script.Commands();
  auto button = [&table](const char* name, std::function<void()> press) {
    table.Add({name, ArgForm::None, [press](ScriptCall&) { press(); }});
  };
  for (const char* name : {"MPX.RUN", "RF.RUN"}) button(name, [this] { mpx.GradBtn47Click(); });
  for (const char* name : {"MPX.STOP", "RF.STOP"}) button(name, [this] { mpx.GradBtn49Click(); });
  for (const char* name : {"MPX.SINGLE", "FFT.SINGLE"})
    button(name, [this] { mpx.GradBtn45Click(); });
  for (const char* name : {"MPX.CLEAR", "FFT.CLEAR"}) button(name, [this] { mpx.GradBtn16Click(); });
  button("RF.CLEAR", [this] { mpx.rf.GradBtn50Click(); });
  auto flag = [&table](const char* name, std::function<void(bool)> set) {
    table.Add({name, ArgForm::Flag, [set](ScriptCall& c) { set(c.Arg.Flag); }});
  };
  // As the check box: setting the state it has changes nothing.
  flag("MPX.DOUBLETIMEBASE", [this](bool on) {
    if (on != mpx.DoubleTimeBase()) mpx.SRCheckBox10Change(on);
  });
  flag("RF.MAXHOLD", [this](bool on) { mpx.rf.SRCheckBox8Change(on); });
  flag("RF.MASK", [this](bool on) { mpx.rf.SRCheckBox7Change(on); });
  flag("RF.HISTOGRAM", [this](bool on) { mpx.rf.SRCheckBox9Change(on); });

  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        RfCarrier& rf = mpx.rf;
        rf.MaxHold = s.GetBool("General", "RFMaxHold");
        rf.Mask = s.GetBool("General", "RFMask");
        rf.Histogram = s.GetBool("General", "RFHistogram");
        mpx.SetDoubleTimeBaseState(s.GetBool("General", "DoubleTimebase"));
        view.Changed(Area::RfCarrier);
        view.Changed(Area::Mpx);
      },
      [this](Settings& s) {
        s.SetBool("General", "RFMaxHold", mpx.rf.MaxHold);
        s.SetBool("General", "RFMask", mpx.rf.Mask);
        s.SetBool("General", "RFHistogram", mpx.rf.Histogram);
        s.SetBool("General", "DoubleTimebase", mpx.DoubleTimeBase());
      });
}

}  // namespace sondaro
