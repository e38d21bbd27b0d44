// The application shell: title, hand-off text, tray and window visibility,
// theme, and the close path that goes on past a failing step.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "app/app.h"
#include "core/ini_file.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

TEST(AppShellRules, TitleHandOffTipAndTheme) {
  EXPECT_EQ(ApplicationTitle("C:\\A\\", false), "Sondaro");
  EXPECT_EQ(ApplicationTitle("C:\\A\\", true), "Sondaro (374)");
  EXPECT_EQ(ApplicationTitle("/opt/a/", true), "Sondaro (" + std::to_string(47 * 3 + 'o' + 'p' + 't' + 'a') + ")");

  struct Case {
    std::vector<std::string> params;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{
           {{"a.fms", "x.exe", "b.fms"}, "b.fms "},
           {{"a.fms"}, "a.fms "},
           {{"C:\\Prog.EXE"}, ""},
           {{}, ""},
           {{"one", "two"}, "one two "},
       }) {
    EXPECT_EQ(HandOffText(c.params), c.text);
  }
  EXPECT_EQ(ReceivedHandOff("b.fms   "), "b.fms");
  EXPECT_EQ(ReceivedHandOff("   "), "");

  EXPECT_EQ(TrayTipText(std::string(63, 'x')), std::string(63, 'x'));
  EXPECT_EQ(TrayTipText(std::string(70, 'x')), std::string(60, 'x') + "...");
  EXPECT_EQ(TrayTipText(std::string(64, 'x')), std::string(60, 'x') + "...");

  EXPECT_EQ(ThemeColor(0, 0), MakeColor(219, 219, 219));
  EXPECT_EQ(DecodeShifted(EncodeShifted("Made in 2026")), "Made in 2026");
  EXPECT_EQ(DecodeShifted("Tpoebsp"), "Sondaro");
  EXPECT_EQ(AboutLinkCaption("mailto:info@example.com"), "info@example.com");
  EXPECT_EQ(AboutLinkCaption("https://example.com"), "https://example.com");
}

class AppShellTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  std::unique_ptr<App> app;

  void Start(const std::string& ini = "") {
    if (!ini.empty()) std::ofstream(dir / "kaveli.ini", std::ios::binary) << ini;
    AppPorts ports{clock, serial, tcp, dialogs};
    ports.appFolder = dir.Path();
    ports.userConfigFolder = dir.Path();
    app = std::make_unique<App>(ports);
    app->LoadSettings();
  }
  [[nodiscard]] IniFile Saved() const { return IniFile::Load(dir / "kaveli.ini"); }
  // Runs a script file holding `lines` (CR LF between them).
  void RunScript(const std::string& name, const std::string& lines) {
    std::ofstream(dir / name, std::ios::binary) << lines << "\r\n";
    app->automation.script.ExeScript(dir / name);
    Advance(50);
  }
  void Advance(Millis ms) { AdvanceVirtual(clock, app->timers, ms); }
};

TEST_F(AppShellTest, MinimizeKeepsTheFlagSoTheSecondToggleShows) {
  Start();
  EXPECT_TRUE(app->shell.WindowShown());
  app->shell.Minimize();
  EXPECT_FALSE(app->shell.WindowShown());
  EXPECT_TRUE(app->shell.ShowFlag());
  app->shell.CiaTray1DblClick();
  EXPECT_FALSE(app->shell.WindowShown());
  app->shell.CiaTray1DblClick();
  EXPECT_TRUE(app->shell.WindowShown());
  app->shell.Minimize();
  app->Close();
  EXPECT_TRUE(Saved().ReadBool("General", "Visible", false));  // minimized: still 1
}

TEST_F(AppShellTest, HiddenByTheTrayStartsHiddenAndThemeAndDipRoundTrip) {
  Start("[General]\r\nVisible=1\r\nHue=0\r\nSaturation=0\r\nDIP2=0\r\nDIP4=7\r\n");
  EXPECT_EQ(app->shell.Applied(), MakeColor(219, 219, 219));  // applied once at start
  EXPECT_EQ(app->dip.Positions, (std::array<int, 5>{0, 0, 0, 0, 1}));
  app->shell.CiaTray1DblClick();
  app->shell.SetThemePosition(128, 500);  // scroll bar ends: 0..255, 0..160
  app->Close();
  const IniFile saved = Saved();
  EXPECT_FALSE(saved.ReadBool("General", "Visible", true));
  EXPECT_EQ(saved.ReadInteger("General", "Hue", -1), 128);
  EXPECT_EQ(saved.ReadInteger("General", "Saturation", -1), 160);
  EXPECT_EQ(saved.ReadInteger("General", "DIP4", -1), 1);

  Start();
  EXPECT_FALSE(app->shell.WindowShown());
  EXPECT_FALSE(app->shell.ShowFlag());
}

TEST_F(AppShellTest, WithoutATrayTheWindowIsNeverHidden) {
  Start("[General]\r\nVisible=0\r\n");
  app->shell.TrayAvailable = false;
  app->shell.SetShowFlag(false);
  EXPECT_TRUE(app->shell.WindowShown());
  app->shell.Minimize();
  EXPECT_TRUE(app->shell.WindowShown());
}

TEST_F(AppShellTest, AFailingCloseStepDoesNotStopTheRest) {
  Start();
  RunScript("sleep.fms", "SLEEP(100000)");
  ASSERT_TRUE(app->automation.script.Running());
  app->closeHooks.StartExitWatchdog = [] { throw std::runtime_error("no thread"); };
  app->Close();
  EXPECT_FALSE(app->automation.script.Running());
  EXPECT_TRUE(test::FileExists(dir / "kaveli.ini"));
  ASSERT_EQ(app->CloseFailures().size(), 1u);
  EXPECT_EQ(app->CloseFailures()[0], "exit watchdog: no thread");
}

TEST_F(AppShellTest, TrayHintFromAScriptAndAHandOffReplacesTheRunningScript) {
  Start();
  RunScript("tip.fms", "SETTRAYICONHINT(" + std::string(70, 'a') + ")");
  Advance(2000);
  EXPECT_EQ(app->shell.TrayTip(), std::string(60, 'a') + "...");

  std::ofstream(dir / "b.fms", std::ios::binary) << "SETTRAYICONHINT(handed over)\r\n";
  RunScript("sleep.fms", "SLEEP(100000)");
  ASSERT_TRUE(app->automation.script.Running());
  app->ReceiveHandOff(dir / "b.fms" + "   ");
  Advance(500);
  EXPECT_EQ(app->shell.TrayTip(), "handed over");
}

}  // namespace
}  // namespace sondaro
