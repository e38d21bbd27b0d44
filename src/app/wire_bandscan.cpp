// The bandscan: its step timer on the link, the script keywords that press
// its controls, its two chart images and its keys in the settings file.
#include <algorithm>

#include "app/app.h"
#include "core/text.h"

namespace sondaro {

namespace {

void LoadStations(const Settings& s, std::vector<TStationList>& stations) {
  const int count = std::clamp(s.GetInt("Bandscan", "StationCount"), 0, kScanChannels);
  stations.assign(static_cast<std::size_t>(count), {});
  for (int n = 1; n <= count; ++n) {
    const std::string k = std::to_string(n);
    TStationList& st = stations[static_cast<std::size_t>(n - 1)];
    st.Channel = s.GetInt("Bandscan", "Channel" + k);
    st.Noise = s.GetInt("Bandscan", "Noise" + k);
    st.Signal = s.GetInt("Bandscan", "Signal" + k);
    st.PI = s.GetString("Bandscan", "PI" + k);
    st.PS = s.GetString("Bandscan", "PS" + k);
  }
}

void SaveStations(Settings& s, const std::vector<TStationList>& stations) {
  s.SetInt("Bandscan", "StationCount", static_cast<int>(stations.size()));
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const std::string k = std::to_string(i + 1);
    const TStationList& st = stations[i];
    s.SetInt("Bandscan", "Channel" + k, st.Channel);
    s.SetInt("Bandscan", "Noise" + k, st.Noise);
    s.SetInt("Bandscan", "Signal" + k, st.Signal);
    s.SetString("Bandscan", "PI" + k, st.PI);
    s.SetString("Bandscan", "PS" + k, st.PS);
  }
}

}  // namespace

void App::WireBandscan() {
  link.connection.hooks.SetBandscanStepInterval = [this](Millis ms) {
    bandscan.Timer5().SetInterval(ms);
  };
  // While it scans, tuned frequencies are no station change and raw groups
  // feed its PI and PS instead of the capture.
  link.parser.hooks.BandscanRunning = [this] { return bandscan.Running(); };
  link.bulk.hooks.BandscanRunning = [this] { return bandscan.Running(); };
  bandscan.hooks.MpxRunActive = [this] {
    return tuning.hooks.MpxRunActive && tuning.hooks.MpxRunActive();
  };
  bandscan.hooks.ResumeScript = [this] { automation.script.ResumeRun(); };

  images.Register(ChartTag::BAND, [this](int t, Canvas& c) { bandscan.VymalujBAND(t, c); });
  images.Register(ChartTag::EBND, [this](int t, Canvas& c) { bandscan.VymalujEBND(t, c); });

  CommandTable& commands = automation.script.Commands();
  // The script waits, its timer off, until the end of the scan turns it on.
  commands.Add({"BANDSCAN.ACQUIRE", ArgForm::None, [this](ScriptCall& c) {
                  if (!bandscan.AcquireEnabled) return;
                  bandscan.IAeverButton24Click();
                  c.Script.PauseRun();
                }});
  commands.Add({"BANDSCAN.STYLE", ArgForm::IntegerOrZero,
                [this](ScriptCall& c) { bandscan.TrackBar1Change(c.Arg.Number); }});

  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        Bandscan& b = bandscan;
        b.ScanRDS = s.GetBool("General", "ScanRDS");
        b.MaxSignal = std::clamp(s.GetInt("Bandscan", "MaxSignal"), kMaxSignalMin, kMaxSignalMax);
        b.Style = std::clamp(s.GetInt("General", "BandscanStyle"), 0, Bandscan::kStyles - 1);
        b.Grid = s.GetBool("General", "BandscanGrid");
        b.BandscanAcquiredText = s.GetString("Bandscan", "Acquired");
        const std::string unit = s.GetString("Bandscan", "Unit");
        b.ScanInDbuv.reset();
        if (EqualsNoCase(unit, "dBuV")) b.ScanInDbuv = true;
        if (EqualsNoCase(unit, "dB")) b.ScanInDbuv = false;
        for (int i = 0; i < kScanChannels; ++i)
          b.DisplayLevel[i] = s.GetInt("Bandscan", "F" + std::to_string(i));
        LoadStations(s, b.StationList);
        ExtendedBandscanSettings& e = b.Extended;
        e.ShowFreq = s.GetBool("Bandscan", "ShowFreq");
        e.ShowPI = s.GetBool("Bandscan", "ShowPI");
        e.ShowPS = s.GetBool("Bandscan", "ShowPS");
        e.Lock = s.GetBool("Bandscan", "Lock");
        e.Width = s.GetInt("Bandscan", "Width");
        e.Height = s.GetInt("Bandscan", "Height");
        e.Top = s.GetInt("Bandscan", "Top");
        e.Left = s.GetInt("Bandscan", "Left");
        b.CBSClick();
        view.Changed(Area::Bandscan);
        view.Repaint(ChartTag::BAND);
      },
      [this](Settings& s) {
        const Bandscan& b = bandscan;
        s.SetBool("General", "ScanRDS", b.ScanRDS);
        s.SetInt("Bandscan", "MaxSignal", b.MaxSignal);
        s.SetInt("General", "BandscanStyle", b.Style);
        s.SetBool("General", "BandscanGrid", b.Grid);
        s.SetString("Bandscan", "Acquired", b.BandscanAcquiredText);
        s.SetString("Bandscan", "Unit", b.ScanInDbuv ? (*b.ScanInDbuv ? "dBuV" : "dB") : "");
        for (int i = 0; i < kScanChannels; ++i)
          s.SetInt("Bandscan", "F" + std::to_string(i), b.DisplayLevel[i]);
        SaveStations(s, b.StationList);
        const ExtendedBandscanSettings& e = b.Extended;
        s.SetBool("Bandscan", "ShowFreq", e.ShowFreq);
        s.SetBool("Bandscan", "ShowPI", e.ShowPI);
        s.SetBool("Bandscan", "ShowPS", e.ShowPS);
        s.SetBool("Bandscan", "Lock", e.Lock);
        s.SetInt("Bandscan", "Width", e.Width);
        s.SetInt("Bandscan", "Height", e.Height);
        s.SetInt("Bandscan", "Top", e.Top);
        s.SetInt("Bandscan", "Left", e.Left);
      });
}

}  // namespace sondaro
