// The settings file at start and at close, and the link's own keys.
#include "app/app.h"
#include "core/text.h"

namespace sondaro {

void App::WireSettings() {
  // "Connection Type" box and the serial device overrides.
  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        LinkSettings& l = link.connection.Settings;
        l.ComPortIndex = s.GetInt("General", "COMPort");
        l.Host = s.GetString("General", "Host");
        l.PortText = s.GetString("General", "Port");
        l.RGCON = s.GetInt("General", "CONType");
        l.KeepInLists();
        l.DeviceOverrides.clear();
        for (int n = 1; n <= kSerialDeviceKeys; ++n) {
          std::string device = s.GetString("SerialDevices", "COM" + std::to_string(n));
          if (!device.empty()) l.DeviceOverrides[n] = std::move(device);
        }
        view.Changed(Area::Connection);
      },
      [this](Settings& s) {
        const LinkSettings& l = link.connection.Settings;
        s.SetInt("General", "COMPort", l.ComPortIndex);
        s.SetInt("General", "CONType", l.RGCON);
        s.SetString("General", "Host", l.Host);
        s.SetString("General", "Port", l.PortText);
        for (int n = 1; n <= kSerialDeviceKeys; ++n) {
          const auto it = l.DeviceOverrides.find(n);
          s.SetString("SerialDevices", "COM" + std::to_string(n),
                      it == l.DeviceOverrides.end() ? "" : it->second);
        }
      });
  // A link that was up at exit comes up again at start.
  settings.Bind(
      SettingsStage::MainConnect,
      [this](const Settings& s) {
        if (s.GetBool("General", "Connect")) link.connection.BitBtn2Click();
      },
      [this](Settings& s) {
        s.SetBool("General", "Connect", closed_ ? linkUpAtClose_ : link.connection.DisconnectEnabled());
      });
}

void App::LoadSettings() {
  settings.LoadMainSettings();
  settings.LoadSchedulerSettings();
  settings.LoadDialogSettings();
}

void App::SaveSettingsOnClose() {
  const SettingsSaveResult r = settings.SaveSettings();
  if (!settings.Loaded() || r.Written) return;
  // The folder in use did not take the file, or the user made it read-only.
  ReportFailedSave("Can't write to file " + r.Path);
}

}  // namespace sondaro
