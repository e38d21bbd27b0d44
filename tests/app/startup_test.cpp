// Start-up from the settings file and the close that writes it back, against
// a fake serial line and against the simulated analyzer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include "app/app.h"
#include "app/window_position.h"
#include "link/com_ports.h"
#include "core/ini_file.h"
#include "sim/sim_link.h"
#include "support/temp_dir.h"
#include "support/timed_serial.h"

namespace sondaro {
namespace {

using Commands = std::vector<std::string>;
using Timed = test::TimedCommands;

using test::TimedSerial;

// A folder holding one settings file.
struct TempDir : test::TempDir {
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(*this / name, std::ios::binary) << text;
  }
  std::string path = Path();
};

Commands TextsOf(const Timed& log) {
  Commands c;
  for (const auto& [t, text] : log) c.push_back(text);
  return c;
}

class StartupTest : public ::testing::Test {
 protected:
  TempDir appDir, userDir;
  VirtualClock clock;
  TimedSerial serial{clock};
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  std::unique_ptr<App> app;

  void Start() {
    AppPorts ports{clock, serial, tcp, dialogs};
    ports.appFolder = appDir.path;
    ports.userConfigFolder = userDir.path;
    app = std::make_unique<App>(ports);
    app->LoadSettings();
  }
  void Advance(Millis ms) { AdvanceVirtual(clock, app->timers, ms); }
  [[nodiscard]] IniFile Saved() const { return IniFile::Load(appDir.path + "kaveli.ini"); }
};

TEST_F(StartupTest, FirstStartWithoutAFile) {
  Start();
  EXPECT_EQ(app->link.connection.ConnectionType(), "NONE");
  EXPECT_EQ(app->tuning.FrequencyList().size(), 206u);
  EXPECT_EQ(app->tuning.FrequencyText(), "87.50 MHz");
  EXPECT_EQ(app->link.connection.Settings.ComPortIndex, 0);
  EXPECT_EQ(app->link.connection.Settings.Host, "127.0.0.1");
  EXPECT_EQ(app->link.connection.Settings.PortText, "23");
  EXPECT_EQ(app->link.connection.Settings.RGCON, 0);
  EXPECT_EQ(app->link.readouts.Beveles5Caption, "Phase Diff.");
  EXPECT_EQ(app->link.state.CurrentMode, 0);
  app->Close();
  const IniFile saved = Saved();
  EXPECT_FALSE(saved.ReadBool("General", "Connect", true));
  EXPECT_EQ(saved.ReadInteger("General", "Frequency", -1), 0);
  EXPECT_EQ(saved.Sections().front(), "General");
}

TEST_F(StartupTest, SavedConnectReconnectsWithThePreferredModeAndKeysRoundTrip) {
  appDir.Write("kaveli.ini",
               "[General]\r\nCOMPort=2\r\nConnect=1\r\nOnline=1\r\nFineTuning=1\r\nFrequency=5\r\n"
               "Mode=1\r\nHue=99\r\n[SerialDevices]\r\nCOM3=/dev/pts/9\r\n");
  Start();
  EXPECT_EQ(serial.OpenedDevice, "/dev/pts/9");
  EXPECT_EQ(app->link.connection.ConnectionType(), "COM");
  EXPECT_EQ(app->link.state.CurrentMode, 1);
  EXPECT_TRUE(app->tuning.RdsPressed());
  EXPECT_EQ(app->tuning.FrequencyList().size(), 411u);
  EXPECT_EQ(app->tuning.FrequencyText(), "87.75 MHz");
  EXPECT_EQ(app->link.readouts.Beveles5Caption, "Deviation MAX");
  Advance(3000);
  // RDS mode, the frequency, then the online switch; "*D" holds the queue 400 ms.
  EXPECT_EQ(serial.Log, (Timed{{1000, "*D"}, {1400, "?F"}, {1430, "*M"}}));

  // Changes during the run go to the file at close.
  app->tuning.Button1Click();
  app->tuning.PreferredMode = 0;
  app->tuning.FineTuningChecked = false;  // takes effect at the next start
  app->Close();
  const IniFile saved = Saved();
  EXPECT_TRUE(saved.ReadBool("General", "Connect", false));
  EXPECT_EQ(saved.ReadInteger("General", "Frequency", -1), 6);
  EXPECT_EQ(saved.ReadInteger("General", "Mode", -1), 0);
  EXPECT_FALSE(saved.ReadBool("General", "FineTuning", true));
  EXPECT_TRUE(saved.ReadBool("General", "Online", false));
  EXPECT_EQ(saved.ReadInteger("General", "COMPort", -1), 2);
  EXPECT_EQ(saved.ReadInteger("General", "Hue", -1), 99);  // held for its owner
  EXPECT_EQ(saved.ReadString("SerialDevices", "COM3", ""), "/dev/pts/9");
}

// Without a link nothing that start-up queued can be answered: the script
// named on the command line runs its first line at the first script tick.
TEST_F(StartupTest, ACommandLineScriptStartsAtOnceWithoutALink) {
  for (const bool savedFile : {false, true}) {
    SCOPED_TRACE(savedFile ? "saved settings" : "first start");
    if (savedFile) appDir.Write("kaveli.ini", "[General]\r\nFrequency=5\r\nMode=2\r\n");
    appDir.Write("first.fms", "SET(a,1)\r\nSET(b,1)\r\n");
    Start();
    ScriptInterpreter& script = app->automation.script;
    script.RunAfterLaunch(appDir.path + "first.fms");
    const auto var = [&script](const char* name) {
      const ScVar* v = script.state.FindVariable(name);
      return v ? v->Value : std::string("<unset>");
    };
    Advance(ScriptInterpreter::kLaunchDelayMs + 2 * ScriptInterpreter::kFileTickMs);
    EXPECT_EQ(var("a"), "1");
    EXPECT_EQ(var("b"), "1");
    app->Close();
  }
}

// The unit of the stored levels goes with them: a calibrated scan is still
// "[dBuV]" after a restart, before the analyzer has told its unit again. A
// file from before the unit was kept follows the link as it always did.
TEST_F(StartupTest, StoredBandscanKeepsItsLevelUnit) {
  auto yTitle = [this] {
    struct Titles : Canvas {
      std::string Found;
      int Width() const override { return Bandscan::kChartWidth; }
      int Height() const override { return Bandscan::kChartHeight; }
      void SetPen(Color, int) override {}
      void FillRect(int, int, int, int, Color) override {}
      void Line(int, int, int, int) override {}
      void Polyline(std::span<const PixelPoint>) override {}
      void Polygon(std::span<const PixelPoint>, Color) override {}
      void Text(int, int, std::string_view t, const TextOptions&) override {
        if (t.starts_with("Signal")) Found = t;
      }
      void SetClip(int, int, int, int) override {}
      void ResetClip() override {}
      int TextWidth(std::string_view t, bool) const override { return 6 * static_cast<int>(t.size()); }
      int TextHeight() const override { return 13; }
    } canvas;
    app->bandscan.VymalujBAND(chart::kTargetBitmap, canvas);
    return canvas.Found;
  };
  for (bool dbuv : {true, false}) {
    Start();
    app->link.state.LevelInDbuv = dbuv;
    app->bandscan.ProcessBandscan();
    app->Close();
    EXPECT_EQ(Saved().ReadString("Bandscan", "Unit", "?"), dbuv ? "dBuV" : "dB");
    Start();
    EXPECT_FALSE(app->link.state.LevelInDbuv);
    EXPECT_EQ(yTitle(), dbuv ? "Signal [dBuV]" : "Signal [dB]");
    app->link.state.LevelInDbuv = !dbuv;  // another analyzer: the stored scan keeps its unit
    EXPECT_EQ(yTitle(), dbuv ? "Signal [dBuV]" : "Signal [dB]");
    app->Close();
  }

  appDir.Write("kaveli.ini", "[Bandscan]\r\nAcquired=2024-01-15 12:00:00\r\nF0=40\r\n");
  Start();
  EXPECT_EQ(yTitle(), "Signal [dB]");
  app->link.state.LevelInDbuv = true;
  EXPECT_EQ(yTitle(), "Signal [dBuV]");
  app->Close();
  EXPECT_EQ(Saved().ReadString("Bandscan", "Unit", "none"), "none");
}

TEST_F(StartupTest, ClosingWhileDisconnectedSavesNoConnect) {
  appDir.Write("kaveli.ini", "[General]\r\nConnect=1\r\n");
  Start();
  app->link.connection.BitBtn3Click();
  app->Close();
  EXPECT_FALSE(Saved().ReadBool("General", "Connect", true));
}

TEST_F(StartupTest, AFailedSaveIsReportedOnceWithoutABox) {
  // The program folder runs through a plain file, so the per-user file is
  // the one in use, and its folder cannot take it either; or the user made
  // the file read-only. Either way one line in the status bar
  // and the log, and no box to hold up the close.
  appDir.Write("a", "");
  appDir.Write("u", "");
  appDir.Write("kaveli.ini", "[General]\r\nHue=9\r\n");
  ::chmod((appDir.path + "kaveli.ini").c_str(), 0444);
  const struct {
    std::string AppFolder, UserFolder, Report;
  } cases[] = {
      {appDir.path + "a/", appDir.path + "u/",
       "Can't write to file " + appDir.path + "u/kaveli.ini"},
      {appDir.path, userDir.path, "Can't write to file " + appDir.path + "kaveli.ini"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> log;
    AppPorts ports{clock, serial, tcp, dialogs};
    ports.appFolder = c.AppFolder;
    ports.userConfigFolder = c.UserFolder;
    ports.log = [&log](const std::string& m) { log.push_back(m); };
    App blocked(ports);
    blocked.LoadSettings();
    blocked.Close();
    blocked.Close();
    EXPECT_EQ(log, std::vector<std::string>{c.Report});
    EXPECT_EQ(blocked.status.Text(), c.Report);
    EXPECT_TRUE(dialogs.Messages.empty());
  }
  EXPECT_EQ(test::ReadFile(appDir.path + "kaveli.ini"), "[General]\r\nHue=9\r\n");
}

// Every integer key that start-up reads, all set to one extreme value, with
// "Connect" on: nothing overflows (the sanitizers would stop the test), and
// the lists take a value outside them as their first item, on the Setup page
// (the settings) and on the link alike.
TEST_F(StartupTest, ExtremeValuesOfEveryNumericKey) {
  for (const char* value : {"2147483647", "-2147483648", "0x7FFFFFFF", "0x80000000",
                            "99999999999", "-1", "256"}) {
    SCOPED_TRACE(value);
    std::map<std::string, std::string> sections;
    for (const SettingDef& def : SettingsTable(kBandscanChannels, appDir.path))
      if (def.Type == SettingType::Integer)
        sections[def.Section] += def.Key + "=" + value + "\r\n";
    std::string file = "[General]\r\nConnect=1\r\n" + sections["General"];
    for (const auto& [section, keys] : sections)
      if (section != "General") file += "[" + section + "]\r\n" + keys;
    appDir.Write("kaveli.ini", file);
    serial.OpenedDevice.clear();
    Start();
    Advance(3000);
    const LinkSettings& l = app->link.connection.Settings;
    EXPECT_TRUE(l.RGCON == 0 || l.RGCON == 1);
    EXPECT_GE(l.ComPortIndex, 0);
    EXPECT_LT(l.ComPortIndex, kComPortCount);
    // Serial on the page means a serial link: COM1 when the index was out.
    if (l.RGCON == 0) {
      EXPECT_EQ(app->link.connection.ConnectionType(), "COM");
    }
    if (std::string(value) == "-1") {
      EXPECT_EQ(serial.OpenedDevice, "/dev/ttyUSB0");
    }
    EXPECT_FALSE(app->tuning.FrequencyText().empty());
    app->Close();
    app.reset();
  }
}

TEST(WindowPosition, KeptOnTheScreenWithoutOverflow) {
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  const WindowGeometry g{1280, 1024, 640, 480};
  struct Case {
    int Left, Top;
    PixelPoint Expected;
  } cases[] = {
      {1, 1, {1, 1}},
      {1260, 1004, {1260, 1004}},     // 20 pixels from the edges: stays
      {1261, 1005, {640, 544}},       // closer: ends at the edges
      {kMax, kMax, {640, 544}},
      {kMax - 10, kMax - 19, {640, 544}},
      {-100, -5, {-100, -5}},         // negative stays
      {kMin, kMin, {-32768, -32768}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Left) + "," + std::to_string(c.Top));
    EXPECT_EQ(KeepOnScreen(c.Left, c.Top, g), c.Expected);
  }
}

// The same start against the simulated analyzer: what it received and when.
class SimStartupTest : public ::testing::Test {
 protected:
  TempDir appDir, userDir;
  VirtualClock clock;
  SilentDialogs dialogs;
  sim::SimulatedAnalyzerPorts ports{clock};
  std::unique_ptr<App> app;

  void SetUp() override {
    // 98.50 MHz is entry 110 of the 100 kHz list.
    appDir.Write("kaveli.ini", "[General]\r\nConnect=1\r\nFrequency=110\r\n");
    AppPorts p{clock, ports.Serial(), ports.Tcp(), dialogs};
    p.appFolder = appDir.path;
    p.userConfigFolder = userDir.path;
    app = std::make_unique<App>(p);
    ports.Attach(app->timers);
    app->LoadSettings();
  }
  void TearDown() override {
    ports.Detach();
    app.reset();
  }
  void Advance(Millis ms) { AdvanceVirtual(clock, app->timers, ms); }
  // Commands received from `from` on, with the time since the first of them.
  [[nodiscard]] Timed ReceivedSince(std::size_t from) const {
    const auto& r = ports.ReceivedCommands();
    Timed out;
    for (std::size_t i = from; i < r.size(); ++i) out.emplace_back(r[i].first - r[from].first, r[i].second);
    return out;
  }
};

TEST_F(SimStartupTest, ConnectTuneSwitchModesAndAcquireAll) {
  Advance(2000);
  EXPECT_EQ(ReceivedSince(0), (Timed{{0, "*E"}, {400, "?F"}, {430, "*m"}}));
  EXPECT_EQ(ports.ReceivedCommands()[0].first, 1000);  // the first pacing tick
  EXPECT_FALSE(app->link.readouts.Label1.empty());     // the analyzer answered "?F"

  std::size_t mark = ports.ReceivedCommands().size();
  ASSERT_EQ(app->tuning.FrequencyText(), "98.50 MHz");
  const Millis tunedAt = clock.Now();
  app->tuning.IAeverButton19Click();
  Advance(5000);
  const Timed tune = ReceivedSince(mark);
  ASSERT_EQ(TextsOf(tune), (Commands{"098500*F", "?F", "?Q", "?I"}));
  EXPECT_EQ(tune[1].first, 30);
  // The follow-up is queued 3.5 s after the click and leaves at the next tick.
  const Millis followUp = ports.ReceivedCommands()[mark + 2].first - tunedAt;
  EXPECT_GE(followUp, 3500);
  EXPECT_LE(followUp, 3530);
  EXPECT_EQ(tune[3].first - tune[2].first, 30);
  EXPECT_EQ(ports.GetModel().TunedKHz(), 98500);
  EXPECT_TRUE(app->link.state.IfValid);
  // The "?F" right after the tune order may still find the synthesiser
  // settling; a double-click on the readout asks again.
  mark = ports.ReceivedCommands().size();
  app->tuning.Label1DblClick();
  Advance(1000);
  EXPECT_NE(app->link.readouts.Label1.find("98.50"), std::string::npos) << app->link.readouts.Label1;

  EXPECT_EQ(TextsOf(ReceivedSince(mark)), (Commands{"?F"}));

  // Each mode button's order leaves at the next pacing tick.
  struct Switch {
    void (ModeTuning::*click)();
    const char* command;
    sim::Mode mode;
  } switches[] = {{&ModeTuning::IAeverButton33Click, "*D", sim::Mode::Rds},
                  {&ModeTuning::IAeverButton34Click, "*E", sim::Mode::Measuring}};
  for (const Switch& sw : switches) {
    mark = ports.ReceivedCommands().size();
    const Millis clickAt = clock.Now();
    (app->tuning.*sw.click)();
    Advance(1000);
    ASSERT_EQ(TextsOf(ReceivedSince(mark)), (Commands{sw.command}));
    EXPECT_LE(ports.ReceivedCommands()[mark].first - clickAt, 30);
    EXPECT_EQ(ports.GetModel().CurrentMode(), sw.mode);
  }

  mark = ports.ReceivedCommands().size();
  int cleared = 0;
  app->tuning.hooks.ClearMPX = [&] { ++cleared; };
  const Millis before = clock.Now();
  app->tuning.BitBtn19Click();
  EXPECT_EQ(clock.Now() - before, 600);
  Advance(4000);
  EXPECT_EQ(cleared, 1);
  // The capture request holds the queue 450 ms; the repeats were dropped.
  EXPECT_EQ(ReceivedSince(mark), (Timed{{0, "1?W"}, {450, "?B"}}));

  app->Close();
  EXPECT_TRUE(IniFile::Load(appDir.path + "kaveli.ini").ReadBool("General", "Connect", false));
}

}  // namespace
}  // namespace sondaro
