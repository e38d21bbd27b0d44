// The FTP session: its account in [General], its script keywords, and the
// script waiting while a connect, store or disconnect is under way.
#include "app/app.h"

namespace sondaro {

void App::WireFtp() {
  ScriptInterpreter& script = automation.script;
  ftp.hooks.DebugError = [this](const std::string& m) { DebugError(m); };
  ftp.hooks.AppFolder = AppFolder();
  ftp.hooks.BusyChanged = [&script](bool busy) {
    if (busy)
      script.PauseRun();
    else
      script.ResumeRun();
  };

  CommandTable& commands = script.Commands();
  commands.Add({"FTPCONNECT", ArgForm::None, [this](ScriptCall&) { ftp.FtpConnect(); }});
  commands.Add({"FTPPUT", ArgForm::Text, [this](ScriptCall& c) { ftp.FtpPut(c.Arg.Text); }});
  commands.Add({"FTPDISCONNECT", ArgForm::None, [this](ScriptCall&) { ftp.FtpDisconnect(); }});

  settings.Bind(
      SettingsStage::Dialogs,
      [this](const Settings& s) {
        FtpAccount& a = ftp.Account;
        a.Host = s.GetString("General", "FTPHost");
        a.User = s.GetString("General", "FTPUser");
        a.Password = Odsifruj(s.GetString("General", "FTPPass"));
        a.RemoteDir = s.GetString("General", "FTPRDir");
        a.LocalDir = s.GetString("General", "FTPLDir");
        a.Passive = s.GetBool("General", "FTPPassive");
        view.Changed(Area::Ftp);
      },
      [this](Settings& s) {
        const FtpAccount& a = ftp.Account;
        s.SetString("General", "FTPHost", a.Host);
        s.SetString("General", "FTPUser", a.User);
        s.SetString("General", "FTPPass", Zasifruj(a.Password));
        s.SetString("General", "FTPRDir", a.RemoteDir);
        s.SetString("General", "FTPLDir", a.LocalDir);
        s.SetBool("General", "FTPPassive", a.Passive);
      });
}

}  // namespace sondaro
