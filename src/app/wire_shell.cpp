// The application shell's settings (window visibility, theme, system font),
// the tray hint keyword, and the device configuration dialogs.
#include "app/app.h"

namespace sondaro {

void App::WireShell() {
  settings.Bind(
      SettingsStage::MainValues,
      [this](const Settings& s) {
        shell.SetShowFlag(s.GetBool("General", "Visible"));
        shell.UseSystemFont = s.GetBool("General", "UseSystemFont");
        shell.SetThemePosition(s.GetInt("General", "Hue"), s.GetInt("General", "Saturation"));
      },
      [this](Settings& s) {
        s.SetBool("General", "Visible", shell.ShowFlag());
        s.SetBool("General", "UseSystemFont", shell.UseSystemFont);
        s.SetInt("General", "Hue", shell.Hue());
        s.SetInt("General", "Saturation", shell.Saturation());
      });
  // The loader previews the saved theme and applies it once.
  settings.Bind(SettingsStage::MainApply, [this](const Settings&) { shell.ApplyTheme(); });

  settings.Bind(
      SettingsStage::Dialogs,
      [this](const Settings& s) {
        for (int n = 0; n < kDipSwitchCount; ++n)
          dip.Positions[n] = s.GetInt("General", "DIP" + std::to_string(n)) == 0 ? 0 : 1;
      },
      [this](Settings& s) {
        for (int n = 0; n < kDipSwitchCount; ++n)
          s.SetInt("General", "DIP" + std::to_string(n), dip.Positions[n] == 0 ? 0 : 1);
      });

  alarms.LinkConnected = [this] { return link.connection.DisconnectEnabled(); };

  automation.script.Commands().Add(
      {"SETTRAYICONHINT", ArgForm::Text, [this](ScriptCall& c) { shell.TrayUpdate(c.Arg.Text); }});
}

}  // namespace sondaro
