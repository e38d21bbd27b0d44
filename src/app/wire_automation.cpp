// Scripts and the socket control server: the operations script keywords
// reach, and the [General] / [SocketControl] settings of the subsystem.
#include "app/app.h"
#include "automation/script_files.h"
#include "link/com_ports.h"
#include "output/save_files.h"
#include "rds/consistency.h"

namespace sondaro {

namespace {

// The ScriptHost of the program: every keyword acts through the same
// operation as the control it stands for.
class AppScriptHost final : public ScriptHost {
 public:
  explicit AppScriptHost(App& app) : app_(app) {}

  void Send(const std::string& command) override { app_.link.Send(command); }
  // With no link opened and no attempt under way, what start-up or a line
  // queued can never be answered: nothing then holds a script back.
  bool CommandQueueEmpty() const override { return NoLink() || app_.link.queue.Empty(); }
  bool MaSeCekat() const override { return !NoLink() && app_.link.queue.MaSeCekat(); }
  bool NoLink() const { return app_.link.connection.ConnectEnabled(); }
  void StampActivity() override { app_.link.state.LastActivity = app_.GetClock().Now(); }
  bool ConnectEnabled() const override { return app_.link.connection.ConnectEnabled(); }
  bool DisconnectEnabled() const override { return app_.link.connection.DisconnectEnabled(); }
  bool SelectSerialPort(int number) override {
    if (number < 1 || number > kComPortCount) return false;
    LinkSettings& s = app_.link.connection.Settings;
    s.RGCON = 0;
    s.ComPortIndex = number - 1;
    app_.view.Changed(Area::Connection);
    return true;
  }
  void SelectTcpHost(const std::string& host) override {
    LinkSettings& s = app_.link.connection.Settings;
    s.RGCON = 1;
    s.Host = host;
    app_.view.Changed(Area::Connection);
  }
  void PressConnect() override { app_.link.connection.BitBtn2Click(); }
  void PressDisconnect() override { app_.link.connection.BitBtn3Click(); }

  void SetModeAndSend(int mode) override {
    app_.tuning.SetMode(mode);
    app_.tuning.SendMode();
  }
  void SelectFrequencyContaining(const std::string& text) override {
    const auto& list = app_.tuning.FrequencyList();
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i].find(text) != std::string::npos) {
        app_.tuning.SelectFrequency(static_cast<int>(i));
        return;
      }
    }
  }
  void PressTune() override { app_.tuning.IAeverButton19Click(); }

  void Press(ScriptButton button) override {
    switch (button) {
      case ScriptButton::SetAsNormal: app_.tuning.SetasNormal2Click(); break;
      case ScriptButton::ModulationPowerRun: app_.power.BitBtn14Click(); break;
      case ScriptButton::ModulationPowerStop: app_.power.BitBtn15Click(); break;
      case ScriptButton::ModulationPowerClear: app_.power.GradBtn14Click(); break;
      case ScriptButton::RdsClear: app_.rds.data.ProcessRDS(true); break;
      case ScriptButton::RawRun: app_.rds.raw.IAeverButton35Click(); break;
      case ScriptButton::RawStop: app_.rds.raw.IAeverButton36Click(); break;
      case ScriptButton::RawClear: app_.rds.raw.IAeverButton38Click(); break;
    }
  }
  void SetSwitch(ScriptSwitch which, bool on) override {
    switch (which) {
      case ScriptSwitch::ShowHistogram:
        // Redrawn in either case.
        app_.deviation.ShowHistogram = on;
        app_.view.Changed(Area::Deviation);
        app_.deviation.Repaint();
        break;
    }
  }
  bool SaveData(ScriptData what, const std::string& path) override {
    const std::string full = ResolveInFolder(app_.AppFolder(), path);
    switch (what) {
      case ScriptData::Histogram:
        return WriteWholeFile(full, HistogramFileText(app_.deviation.Bins));
      case ScriptData::ModulationPower:
        return WriteWholeFile(full, ValuesFileText(app_.power.PmHistory));
      case ScriptData::Spectrum: return app_.dataFiles.UlozData(ChartTag::MPX, path);
      case ScriptData::RdsText: return app_.rds.data.SaveTextBox(full);
      case ScriptData::RawGroups: return app_.rds.raw.SaveRawData(path);
    }
    return false;
  }
  void SaveChartImage(ChartTag tag, const std::string& path) override {
    app_.images.UlozObrazek(tag, path);
  }
  void CopyChartImage(ChartTag tag) override { app_.images.KopirujObrazek(tag); }

  void SetStatusText(const std::string& text) override { app_.status.SetText(text); }
  void ShowPage(int index) override {
    if (app_.automation.ui.ShowPage) app_.automation.ui.ShowPage(index);
  }
  void CloseMainWindow() override {
    if (app_.automation.ui.CloseMainWindow) {
      app_.automation.ui.CloseMainWindow();  // the window's close runs App::Close
      return;
    }
    // No window: the close path runs here and now, so what follows (a
    // scheduled power request) finds the settings saved, the recording
    // finished and the FTP session closed.
    app_.Close();
    if (app_.closeHooks.QuitEventLoop) app_.closeHooks.QuitEventLoop();
  }
  Dialogs& GetDialogs() override { return app_.GetDialogs(); }
  Shell* GetShell() override { return app_.ports_.shell; }
  const std::string& AppFolder() const override { return app_.AppFolder(); }
  void SocketGet(const std::string& text) override { app_.automation.socket.Get(text); }

  void StopRunningWork() override {
    if (app_.bandscan.Running()) app_.bandscan.IAeverButton25Click();
    app_.recorder.EncodeStop();
    if (app_.mpx.StreamRunning()) app_.mpx.GradBtn49Click();
  }

  void ReadReadings(ScriptReadings& r) const override {
    const MeasurementState& m = app_.link.state;
    r.FrequencyText = m.FrequencyText;
    r.PilotText = m.PilotText;
    r.PhaseText = m.PhaseText;
    r.QualityText = m.QualityText;
    r.LevelText = m.LevelText;
    r.DeviationMaxText = m.DeviationMaxText;
    r.DeviationMaxHoldText = m.DeviationMaxHoldText;
    r.BalanceText = m.BalanceText;
    r.RdsDeviationText = m.RdsDeviationText;
    r.Connected = app_.link.connection.DisconnectEnabled();
    const DeviationHistogram& d = app_.deviation;
    r.AbovePercent = static_cast<double>(d.AbovePercent);
    r.MaxAtKHz = d.MaxAtKHz;
    r.TotalSamples = d.TotalSamples;
    r.MinText = d.MinText;
    const ModulationPower& p = app_.power;
    r.PmLastText = p.PmLastText;
    r.PmMaxText = p.PmMaxText;
    r.PmMinText = p.PmMinText;
    r.PmAveText = p.PmAveText;
    r.StationCount = static_cast<long long>(app_.bandscan.StationList.size());
    r.LMaxDb = app_.mpx.capture.PeakLevelLeft;
    r.RMaxDb = app_.mpx.capture.PeakLevelRight;
    const RdsData& rds = app_.rds.data.Data();
    r.RdsPI = rds.PI;
    r.RdsPS = rds.PS;
    r.RdsRT = rds.RT;
    r.RdsCT = rds.CT;
    r.RdsPTYN = rds.PTYN;
    r.RdsPTY = rds.PTY;
    r.RdsECC = rds.ECC;
    r.RdsMS = rds.MS;
    r.RdsTP = rds.TP;
    r.RdsTA = rds.TA;
    r.RdsDI = rds.DI;
    r.GroupStatsA = rds.GroupStatsA;
    r.GroupStatsB = rds.GroupStatsB;
    r.RdsEON = rds.EON;
    r.RdsAF = rds.AF;
    r.RdsErrors = ErrorsAndWarnings(rds);
    const Millis now = app_.GetClock().Now();
    r.RdsBler = app_.rds.bler.Text(now, BlockErrorRate::kShortWindow);
    r.RdsBler60 = app_.rds.bler.Text(now, BlockErrorRate::kLongWindow);
  }
  std::string GetStationDetail(int selector, long long station) const override {
    return app_.bandscan.GetStationDetail(selector, station);
  }

 private:
  App& app_;
};

}  // namespace

std::unique_ptr<ScriptHost> App::MakeScriptHost() { return std::make_unique<AppScriptHost>(*this); }

void App::WireAutomation() {
  ScriptInterpreter& script = automation.script;
  settings.Bind(
      SettingsStage::MainValues,
      [this, &script](const Settings& s) {
        script.Settings.DebugMode = s.GetBool("General", "DebugMode");
        script.Settings.RegisterEnabled = s.GetBool("General", "RegisterEnabled");
        // The script dialogs always begin in the program folder.
        script.Settings.DialogFolder = s.AppFolder();
        view.Changed(Area::Script);
      },
      [&script](Settings& s) {
        s.SetBool("General", "DebugMode", script.Settings.DebugMode);
        s.SetBool("General", "RegisterEnabled", script.Settings.RegisterEnabled);
        s.SetString("General", "OD1Dir", script.Settings.DialogFolder);
      });
  SocketControl& socket = automation.socket;
  settings.Bind(
      SettingsStage::Dialogs,
      [&socket](const Settings& s) {
        SocketControlSettings& c = socket.Settings;
        c.Enabled = s.GetBool("SocketControl", "Enabled");
        c.Echo = s.GetBool("SocketControl", "Echo");
        c.Port = s.GetString("SocketControl", "Port");
        if (s.Find("SocketControl", "Address")) c.Address = s.GetString("SocketControl", "Address");
        c.Token = s.GetString("SocketControl", "Token");
        socket.Apply();
      },
      [&socket](Settings& s) {
        const SocketControlSettings& c = socket.Settings;
        s.SetBool("SocketControl", "Enabled", c.Enabled);
        s.SetBool("SocketControl", "Echo", c.Echo);
        s.SetString("SocketControl", "Port", c.Port);
        s.SetString("SocketControl", "Address", c.Address);
        s.SetString("SocketControl", "Token", c.Token);
      });
}

}  // namespace sondaro
