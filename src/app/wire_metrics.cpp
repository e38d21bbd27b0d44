// Unattended monitoring: the RDS block error rate and group log fed from the
// raw group stream, the RAWDATA.LOG keyword, the [Metrics] and [RdsGroupLog]
// settings, and the snapshot handed to the metrics endpoint after every
// parser tick.
#include <chrono>
#include <cmath>

#include "app/app.h"
#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

namespace {

// Numeric part of a reading text: " 54 dBuV" -> 54, "-3,25" -> -3.25.
std::optional<double> ReadingNumber(std::string_view text) {
  std::string s(text);
  for (const char* unit : {"kHz", "MHz", "deg", "dBr", "dBuV", "dB", " "}) s = RemoveAll(s, unit);
  // Device readings use "."; the program's own texts the system separator.
  for (char& c : s)
    if (c == Formats().DecimalSeparator) c = '.';
  if (s.empty()) return std::nullopt;
  const auto v = ReadDecimal(s);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

// A reading in kHz or MHz as whole hertz: the analyzer sends two decimals
// at most, so rounding loses nothing and keeps float noise out.
std::optional<double> Hertz(const std::string& text, double unit) {
  const auto v = ReadingNumber(text);
  if (!v) return std::nullopt;
  return std::round(*v * unit);
}

}  // namespace

MonitorSnapshot App::BuildMonitorSnapshot() const {
  MonitorSnapshot s;
  const Connection& c = link.connection;
  s.LinkConnected = c.DisconnectEnabled();
  s.LinkUp = c.ConnectionType() == "COM" || c.ConnectionType() == "TCP";
  s.LinkUps = c.LinkUps();

  const MeasurementState& m = link.state;
  s.FrequencyHz = Hertz(m.FrequencyText, 1e6);
  s.Level = ReadingNumber(m.LevelText);
  s.LevelInDbuv = m.LevelText.find("dBuV") != std::string::npos;
  if (!m.QualityText.empty()) s.SignalQuality = m.SignalQuality;
  s.PilotHz = Hertz(m.PilotText, 1e3);
  s.RdsInjectionHz = Hertz(m.RdsDeviationText, 1e3);
  s.PeakDeviationHz = Hertz(m.DeviationMaxText, 1e3);

  s.PmLastDbr = ReadingNumber(power.PmLastText);
  s.PmAverageDbr = ReadingNumber(power.PmAveText);

  if (deviation.AbovePercent >= 0) s.AboveLimitRatio = static_cast<double>(deviation.AbovePercent) / 100.0;
  s.DeviationLimitHz = deviation.DeviationLimit * 1000.0;
  s.MaxAtHz = deviation.MaxAtKHz * 1000.0;
  s.TotalSamples = deviation.TotalSamples;

  const Millis now = ports_.clock.Now();
  s.RdsGroups = rdsGroups_;
  s.BlockErrorRatio10s = rds.bler.Rate(now, BlockErrorRate::kShortWindow);
  s.BlockErrorRatio60s = rds.bler.Rate(now, BlockErrorRate::kLongWindow);
  const RdsData& d = rds.data.Data();
  s.Pi = d.PI;
  s.Ps = d.PS;
  s.Pty = d.PTY;
  s.Rt = d.RT;

  if (const auto offset = CarrierOffsetKHz(link.state)) s.CarrierOffsetHz = std::round(*offset * 1000.0);
  const MpxCapture& x = mpx.capture;
  if (x.PeakLevelLeft > kNoLevelDb) s.MpxPeakLeftDb = x.PeakLevelLeft;
  if (x.PeakLevelRight > kNoLevelDb) s.MpxPeakRightDb = x.PeakLevelRight;
  // The stereo decoder leaves the 38 kHz phase there: twice the pilot's.
  if (x.PilotAmplitude > kStereoPilotThreshold) s.PilotPhaseRadians = x.PilotPhase / 2;
  s.BandscanStations = static_cast<long long>(bandscan.StationList.size());
  if (bandscan.AcquiredAtWall != 0) {
    // The clock's wall time is local; Unix time is now less the time since.
    const double unixNow =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    s.BandscanFinishedSeconds =
        std::floor(unixNow - static_cast<double>(ports_.clock.WallNow() - bandscan.AcquiredAtWall) / 1000.0);
  }
  s.Version = SONDARO_VERSION;
  return s;
}

void App::WireMetrics() {
  link.bulk.hooks.GroupReceived = [this](const std::string& body) {
    ++rdsGroups_;
    rds.bler.Add(ports_.clock.Now(), ParseRawGroup(body));
    rds.groupLog.Append(body, ports_.clock.WallNow());
    view.Changed(Area::RawRds);
  };
  link.parser.hooks.FrequencyChangeClears.push_back([this] {
    rds.bler.Clear();
    rds.groupLog.NewStation(link.state.FrequencyText);
  });
  link.parser.hooks.TickDone = [this] {
    if (monitorSink) monitorSink->Publish(BuildMonitorSnapshot());
  };
  // Once per failure: the log marks it reported before the box opens, so
  // groups parsed while it is open do not open another.
  rds.groupLog.hooks.ReportError = [this](const std::string& message) {
    status.SetText(message);
    ports_.dialogs.ShowMessage(message);
  };

  // RAWDATA.LOG(1) / RAWDATA.LOG(0): group log on / off; any other text
  // names the folder and switches it on.
  automation.script.Commands().Add({"RAWDATA.LOG", ArgForm::NonEmpty, [this](ScriptCall& c) {
                                      if (c.Arg.Text != "0" && c.Arg.Text != "1")
                                        rds.groupLog.SetFolder(c.Arg.Text);
                                      rds.groupLog.SetEnabled(c.Arg.Text != "0");
                                      view.Changed(Area::RawRds);
                                    }});

  // Our own keys, written only once they have been set.
  settings.Bind(
      SettingsStage::Dialogs,
      [this](const Settings& s) {
        metrics.Port = s.GetString("Metrics", "Port");
        const std::string address = s.GetString("Metrics", "Address");
        if (!address.empty()) metrics.Address = address;
        rds.groupLog.SetFolder(s.GetString("RdsGroupLog", "Folder"));
        rds.groupLog.SetEnabled(s.GetString("RdsGroupLog", "Enabled") == "1");
        view.Changed(Area::RawRds);
      },
      [this](Settings& s) {
        const bool wasSet = !s.GetString("RdsGroupLog", "Enabled").empty();
        if (rds.groupLog.Enabled() || wasSet)
          s.SetString("RdsGroupLog", "Enabled", rds.groupLog.Enabled() ? "1" : "0");
        s.SetString("RdsGroupLog", "Folder", rds.groupLog.Folder());
      });
}

}  // namespace sondaro
