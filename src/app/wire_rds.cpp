// Connects the RDS subsystem to the device link: RDS sections into RdsData,
// raw groups into the relay and the capture, and the frequency-change reset.
#include "app/app.h"

namespace sondaro {

void App::WireRds() {
  auto& parser = link.parser.hooks;
  parser.StoreRdsField = [this](const std::string& tag, const std::string& body) {
    rds.data.StoreRdsField(tag, body);
  };
  // After the measurement stores, which clear first.
  parser.FrequencyChangeClears.push_back([this] { rds.data.ProcessRDS(true); });
  parser.FrequencyChangeClears.push_back([this] { rds.raw.IAeverButton38Click(); });
  parser.SendToQuillet = [this](const std::string& g) { rds.relay.SendToQuillet(g); };
  parser.RelayListening = [this] { return rds.relay.Listening(); };

  auto& bulk = link.bulk.hooks;
  bulk.SendToQuillet = [this](const std::string& g) { rds.relay.SendToQuillet(g); };
  bulk.QuilletRunning = [this] { return rds.relay.QuilletRunning(); };
  bulk.RawCount = [this] { return rds.raw.RawCount(); };
  bulk.StoreRawGroup = [this](const std::string& g) { rds.raw.StoreRawGroup(g); };
  bulk.RawGroupFull = [this] { rds.raw.RawGroupFull(); };

  rds.textDialog.ReportFailure = [this](const std::string& m) { ReportFailedSave(m); };
  // The shared text-file dialog's folder (also the report's) is bound here.
  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        rds.relay.QuilletFile = s.GetString("General", "QuilletFile");
        rds.data.UsPtyCode = s.GetBool("General", "USPTY");
        rds.textDialog.SetFolder(s.GetString("General", "SD3Dir"));
        view.Changed(Area::Setup);
      },
      [this](Settings& s) {
        s.SetString("General", "QuilletFile", rds.relay.QuilletFile);
        s.SetBool("General", "USPTY", rds.data.UsPtyCode);
        s.SetString("General", "SD3Dir", rds.textDialog.Folder);
      });

  // Raw "Run" switches to RDS mode; the "RDS" button asks for the stream
  // again while a decoder takes it.
  rds.raw.hooks.SelectRdsMode = [this] {
    tuning.SetMode(1);
    tuning.SendMode();
  };
  tuning.hooks.RawCaptureRunning = [this] { return rds.raw.RawCapturing; };
  tuning.hooks.QuilletRunning = [this] { return rds.relay.QuilletRunning(); };
}

}  // namespace sondaro
