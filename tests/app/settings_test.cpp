#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/ini_file.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

namespace fs = std::filesystem;

// A test::TempDir whose folder is also `path`, and is writable again at the
// end so it can be removed.
struct TempDir : test::TempDir {
  ~TempDir() { ::chmod(Path().c_str(), 0700); }
  std::string path = Path();
};

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) { return test::ReadFile(path); }

// ---- profile file semantics ----

TEST(IniFile, ReadsLikeTheProfileFunctions) {
  const std::string longValue(3000, 'x');
  const IniFile ini = IniFile::Parse(
      "; comment\r\n"
      "[general]\r\n"
      "  HOST =  \"  spaced host  \"  \r\n"
      "single='abc'\r\n"
      "half=\"abc\r\n"
      "hex=0x1F\r\n"
      "HEXNEG=0xFFFFFFFF\r\n"
      "dollar=$10\r\n"
      "junk=12abc\r\n"
      "empty=\r\n"
      "bare0x=0x\r\n"
      "big=99999999999\r\n"
      "long=" + longValue + "\n"
      "dup=first\r\n"
      "dup=second\r\n"
      "[Other]\r\n"
      "host=other\r\n");
  EXPECT_EQ(ini.ReadString("GENERAL", "host", "-"), "  spaced host  ");
  EXPECT_EQ(ini.ReadString("General", "single", "-"), "abc");
  EXPECT_EQ(ini.ReadString("General", "half", "-"), "\"abc");
  EXPECT_EQ(ini.ReadString("General", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Nowhere", "host", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("General", "long", "").size(), IniFile::kMaxValueLength);
  EXPECT_EQ(ini.ReadString("General", "dup", ""), "first");
  EXPECT_EQ(ini.ReadString("other", "HOST", ""), "other");

  struct Case {
    const char* key;
    int expected;
  };
  for (const Case& c : {Case{"hex", 31}, {"HEXNEG", -1}, {"dollar", 16}, {"junk", 7},
                        {"empty", 7}, {"bare0x", 7}, {"big", 7}, {"missing", 7}})
    EXPECT_EQ(ini.ReadInteger("General", c.key, 7), c.expected) << c.key;
  EXPECT_TRUE(ini.ReadBool("General", "hex", false));
  EXPECT_TRUE(ini.ReadBool("General", "junk", true));
  EXPECT_FALSE(ini.ReadBool("General", "junk", false));
}

TEST(IniFile, WritesInPlaceAppendsToSectionAndFile) {
  IniFile ini = IniFile::Parse("[A]\r\nKey=1\r\n; note\r\n\r\n[B]\r\nx=1\r\n");
  ini.WriteString("a", "KEY", "2");     // replaced where it stands, spelling kept
  ini.WriteString("A", "New", "3");     // after the last non-blank line of [A]
  ini.WriteString("C", "First", "4");   // new section at the end
  ini.WriteInteger("C", "Second", -5);
  ini.WriteBool("B", "Flag", true);
  EXPECT_EQ(ini.Text(),
            "[A]\r\nKey=2\r\n; note\r\nNew=3\r\n\r\n[B]\r\nx=1\r\nFlag=1\r\n"
            "[C]\r\nFirst=4\r\nSecond=-5\r\n");
}

// Reads between writes, and copies, see every change (lookups are indexed).
TEST(IniFile, ReadsSeeWritesAndCopiesStayApart) {
  IniFile ini = IniFile::Parse("[A]\r\nKey=1\r\n");
  EXPECT_EQ(ini.ReadInteger("A", "key", 0), 1);
  ini.WriteString("A", "New", "2");
  ini.WriteString("a", "KEY", "3");
  EXPECT_EQ(ini.ReadInteger("A", "new", 0), 2);
  EXPECT_EQ(ini.ReadInteger("A", "Key", 0), 3);
  IniFile copy = ini;
  copy.WriteString("A", "Key", "4");
  for (int i = 0; i < 50; ++i) copy.WriteString("A", "More" + std::to_string(i), "x");
  EXPECT_EQ(copy.ReadInteger("A", "key", 0), 4);
  EXPECT_EQ(copy.ReadString("A", "more49", ""), "x");
  EXPECT_EQ(ini.ReadInteger("A", "key", 0), 3);
  ini = copy;
  EXPECT_EQ(ini.ReadString("A", "MORE0", ""), "x");
}

TEST(IniFile, FailedSaveLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.path + "x.ini";
  WriteText(path, "[A]\r\nk=old\r\n");
  IniFile ini = IniFile::Load(path);
  ini.WriteString("A", "k", "new");
  ::chmod(dir.path.c_str(), 0500);
  if (::geteuid() != 0) {
    EXPECT_FALSE(ini.Save(path));
    EXPECT_EQ(ReadText(path), "[A]\r\nk=old\r\n");
  }
  ::chmod(dir.path.c_str(), 0700);
  EXPECT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadText(path), "[A]\r\nk=new\r\n");
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(IniFile, SaveWritesThroughALinkAndKeepsPermissions) {
  // kaveli.ini -> ../conf/real.ini, a private file: the link stays a link,
  // the file it names gets the text and stays private.
  TempDir dir;
  fs::create_directories(dir.path + "prog");
  fs::create_directories(dir.path + "conf");
  const std::string real = dir.path + "conf/real.ini", link = dir.path + "prog/x.ini";
  WriteText(real, "[A]\r\nk=old\r\n");
  ::chmod(real.c_str(), 0600);
  fs::create_symlink("../conf/real.ini", link);
  IniFile ini = IniFile::Load(link);
  ini.WriteString("A", "k", "new");
  ASSERT_TRUE(ini.Save(link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadText(real), "[A]\r\nk=new\r\n");
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(dir.path + "prog/x.ini.tmp"));
  EXPECT_FALSE(fs::exists(real + ".tmp"));
}

TEST(IniFile, ReadOnlyFileIsLeftAlone) {
  // Made read-only by its owner: not replaced, whoever runs the program.
  TempDir dir;
  const std::string path = dir.path + "x.ini";
  WriteText(path, "[A]\r\nk=old\r\n");
  ::chmod(path.c_str(), 0444);
  IniFile ini = IniFile::Load(path);
  ini.WriteString("A", "k", "new");
  EXPECT_TRUE(IsReadOnlyFile(path));
  EXPECT_FALSE(ini.Save(path));
  EXPECT_EQ(ReadText(path), "[A]\r\nk=old\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(IsReadOnlyFile(dir.path + "missing.ini"));
}

// ---- the store ----

class SettingsTest : public ::testing::Test {
 protected:
  TempDir appDir, userDir;
  Settings Make() { return Settings(appDir.path, userDir.path); }
  std::string AppFile() const { return appDir.path + "kaveli.ini"; }
};

TEST_F(SettingsTest, MissingFileGivesEveryDefault) {
  Settings s = Make();
  s.LoadMainSettings();
  s.LoadSchedulerSettings();
  s.LoadDialogSettings();
  // The first start of a fresh installation.
  EXPECT_EQ(s.GetInt("General", "Top"), 1);
  EXPECT_EQ(s.GetInt("General", "Left"), 1);
  EXPECT_EQ(s.GetInt("General", "COMPort"), 0);
  EXPECT_EQ(s.GetString("General", "Host"), "127.0.0.1");
  EXPECT_EQ(s.GetString("General", "Port"), "23");
  EXPECT_EQ(s.GetInt("General", "CONType"), 0);
  EXPECT_FALSE(s.GetBool("General", "Connect"));
  EXPECT_EQ(s.GetInt("General", "Hue"), 37);
  EXPECT_EQ(s.GetInt("General", "Saturation"), 37);
  EXPECT_EQ(s.GetInt("General", "DeviationLimit"), 76);
  EXPECT_FALSE(s.GetBool("General", "FineTuning"));
  EXPECT_EQ(s.GetInt("General", "Frequency"), 0);
  EXPECT_TRUE(s.GetBool("General", "Visible"));
  EXPECT_EQ(s.GetString("General", "QuilletFile"), "quillet.exe");
  EXPECT_EQ(s.GetInt("General", "DIP2"), 1);
  EXPECT_EQ(s.GetString("General", "SD2Dir"), appDir.path);
  EXPECT_EQ(s.GetInt("Bandscan", "MaxSignal"), 70);
  EXPECT_EQ(s.GetInt("Bandscan", "BitmapHeight"), 288);
  EXPECT_EQ(s.GetInt("MP3Recorder", "BitrateStereo"), 8);
  EXPECT_EQ(s.GetString("SocketControl", "Port"), "23");
  EXPECT_EQ(s.GetString("Scheduler", "Times48"), std::string(48, '?'));
  // Every key reads back as its own default.
  for (const SettingDef& d : SettingsTable(0, appDir.path)) {
    if (d.Type == SettingType::String) EXPECT_EQ(s.GetString(d.Section, d.Key), d.Default) << d.Key;
    else EXPECT_EQ(std::to_string(s.GetInt(d.Section, d.Key)), d.Default) << d.Key;
  }
}

TEST_F(SettingsTest, HandWrittenFileWithOddValues) {
  const std::string longPath(2100, 'p');
  WriteText(AppFile(),
            "[GENERAL]\r\n"
            "host=\"10.0.0.7\"\r\n"
            "Port='4001'\r\n"
            "comport=0x0A\r\n"
            "Hue=abc\r\n"
            "Connect=0\r\n"
            "Visible=2\r\n"
            "deviationlimit= 90 \r\n"
            "QuilletFile=" + longPath + "\r\n"
            "[bandscan]\r\n"
            "StationCount=2\r\n"
            "Channel1=12\r\nNoise1=5\r\nSignal1=40\r\nPI1=D3C3\r\nPS1=RADIO 1\r\n"
            "channel2=30\r\n"
            "Channel3=99\r\n"
            "[Scheduler]\r\n"
            "Times1=\"  AB\"\r\n"
            "Days1=0x7F\r\n");
  Settings s = Make();
  s.LoadMainSettings();
  s.LoadSchedulerSettings();
  EXPECT_EQ(s.GetString("General", "Host"), "10.0.0.7");
  // The store, too, takes names in any case.
  EXPECT_EQ(s.GetString("general", "HOST"), "10.0.0.7");
  EXPECT_EQ(s.GetString("General", "Port"), "4001");
  s.SetInt("GENERAL", "port", 4002);
  EXPECT_EQ(s.GetString("General", "Port"), "4002");
  const SettingDef* channel2 = s.Find("bandscan", "CHANNEL2");
  EXPECT_TRUE(channel2 && channel2->Key == "Channel2");
  EXPECT_EQ(s.GetInt("General", "COMPort"), 10);
  EXPECT_EQ(s.GetInt("General", "Hue"), 37);  // unreadable -> default
  EXPECT_TRUE(s.GetBool("General", "Visible"));
  EXPECT_EQ(s.GetInt("General", "DeviationLimit"), 90);
  EXPECT_EQ(s.GetString("General", "QuilletFile").size(), 2047u);
  EXPECT_EQ(s.GetInt("Bandscan", "Channel1"), 12);
  EXPECT_EQ(s.GetString("Bandscan", "PS1"), "RADIO 1");
  EXPECT_EQ(s.GetInt("Bandscan", "Channel2"), 30);
  EXPECT_EQ(s.GetInt("Bandscan", "Noise2"), 999);  // missing -> default
  EXPECT_EQ(s.Find("Bandscan", "Channel3"), nullptr);  // beyond StationCount: not read
  EXPECT_EQ(s.GetString("Scheduler", "Times1"), "  AB");
  EXPECT_EQ(s.GetInt("Scheduler", "Days1"), 127);
  EXPECT_EQ(s.GetInt("General", "Frequency"), 0);
}

// The order of a file written from nothing, keys listed by hand.
TEST_F(SettingsTest, SaveIntoEmptyFolderWritesTheOrder) {
  Settings s = Make();
  s.LoadMainSettings();
  s.SetInt("Bandscan", "StationCount", 1);
  s.SetString("Bandscan", "PS1", "ABC");
  const SettingsSaveResult r = s.SaveSettings();
  ASSERT_TRUE(r.Written);
  EXPECT_FALSE(r.UsedUserCopy);
  const IniFile ini = IniFile::Load(AppFile());
  EXPECT_EQ(ini.Sections(),
            (std::vector<std::string>{"General", "Bandscan", "MP3Recorder", "SocketControl",
                                      "Scheduler"}));
  EXPECT_EQ(ini.Keys("General"),
            (std::vector<std::string>{
                "QuilletFile", "Top", "Left", "COMPort", "CONType", "Host", "Port", "Hue",
                "Saturation", "Connect", "RegisterEnabled", "UseSystemFont", "DebugMode", "USPTY",
                "Online", "ScanRDS", "Visible", "Histogram", "FTPHost", "FTPUser", "FTPPass",
                "FTPRDir", "FTPLDir", "FTPPassive", "FineTuning", "DeviationLimit", "Frequency",
                "BandscanStyle", "BandscanGrid", "RFMaxHold", "RFMask", "RFHistogram",
                "DoubleTimebase", "DIP0", "DIP1", "DIP2", "DIP3", "DIP4", "Mode", "SD1Dir",
                "SD2Dir", "SD3Dir", "OD1Dir"}));
  const auto bandscan = ini.Keys("Bandscan");
  ASSERT_EQ(bandscan.size(), 4u + 206 + 1 + 5 + 8);
  EXPECT_EQ(std::vector<std::string>(bandscan.begin(), bandscan.begin() + 5),
            (std::vector<std::string>{"MaxSignal", "Acquired", "BitmapWidth", "BitmapHeight", "F0"}));
  EXPECT_EQ(bandscan[4 + 205], "F205");
  EXPECT_EQ(std::vector<std::string>(bandscan.begin() + 210, bandscan.end()),
            (std::vector<std::string>{"StationCount", "Channel1", "Noise1", "Signal1", "PI1", "PS1",
                                      "ShowFreq", "ShowPI", "ShowPS", "Lock", "Width", "Height",
                                      "Left", "Top"}));
  EXPECT_EQ(ini.Keys("MP3Recorder"),
            (std::vector<std::string>{"Samplerate", "BitrateMono", "BitrateStereo", "Quality",
                                      "Copyright", "CRC", "Original", "Private"}));
  EXPECT_EQ(ini.Keys("SocketControl"),
            (std::vector<std::string>{"Enabled", "Echo", "Port", "Address", "Token"}));
  const auto scheduler = ini.Keys("Scheduler");
  ASSERT_EQ(scheduler.size(), 1u + 3 * 48);
  EXPECT_EQ(std::vector<std::string>(scheduler.begin(), scheduler.begin() + 4),
            (std::vector<std::string>{"Enabled", "Days1", "Times1", "Execute1"}));
  EXPECT_EQ(scheduler.back(), "Execute48");
  const std::string text = ReadText(AppFile());
  EXPECT_NE(text.find("[General]\r\nQuilletFile=quillet.exe\r\nTop=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nTimes1=\"" + std::string(48, '?') + "\"\r\nExecute1=\"\"\r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("SerialDevices"), std::string::npos);  // only written when set
}

TEST_F(SettingsTest, LoadThenSaveIsAFixedPoint) {
  {
    Settings s = Make();
    s.LoadMainSettings();
    s.SetInt("Bandscan", "StationCount", 3);
    for (int n = 1; n <= 3; ++n) s.SetInt("Bandscan", "Channel" + std::to_string(n), 10 * n);
    s.SetString("Scheduler", "Execute5", "  script with blanks.fms ");
    s.SetString("SerialDevices", "COM3", "/dev/pts/7");
    s.SetBool("SocketControl", "Enabled", true);
    ASSERT_TRUE(s.SaveSettings().Written);
  }
  const std::string first = ReadText(AppFile()) + "; kept by hand\r\n";
  WriteText(AppFile(), first);
  Settings again = Make();
  again.LoadMainSettings();
  again.LoadSchedulerSettings();
  again.LoadDialogSettings();
  EXPECT_EQ(again.GetString("Scheduler", "Execute5"), "  script with blanks.fms ");
  EXPECT_EQ(again.GetString("SerialDevices", "com3"), "/dev/pts/7");
  ASSERT_TRUE(again.SaveSettings().Written);
  EXPECT_EQ(ReadText(AppFile()), first);
}

TEST_F(SettingsTest, BindingsLoadInStageOrderAndSaveBack) {
  WriteText(AppFile(), "[General]\r\nDeviationLimit=88\r\nConnect=1\r\n");
  Settings s = Make();
  std::vector<std::string> order;
  int limit = 0;
  s.Bind(SettingsStage::MainApply, [&](const Settings&) { order.push_back("apply"); });
  s.Bind(SettingsStage::MainConnect, [&](const Settings& v) {
    order.push_back(v.GetBool("General", "Connect") ? "connect" : "stay");
  });
  s.Bind(
      SettingsStage::MainValues,
      [&](const Settings& v) {
        order.push_back("values");
        limit = v.GetInt("General", "DeviationLimit");
      },
      [&](Settings& v) { v.SetInt("General", "DeviationLimit", limit); });
  s.Bind(SettingsStage::Dialogs, [&](const Settings&) { order.push_back("dialogs"); });
  s.LoadMainSettings();
  s.LoadDialogSettings();
  EXPECT_EQ(order, (std::vector<std::string>{"values", "connect", "apply", "dialogs"}));
  EXPECT_EQ(limit, 88);
  limit = 101;
  ASSERT_TRUE(s.SaveSettings().Written);
  EXPECT_EQ(IniFile::Load(AppFile()).ReadInteger("General", "DeviationLimit", 0), 101);
}

TEST_F(SettingsTest, NeverLoadedNeverWrites) {
  Settings s = Make();
  EXPECT_FALSE(s.SaveSettings().Written);
  EXPECT_FALSE(fs::exists(AppFile()));
}

TEST_F(SettingsTest, LineBreaksInAValueCannotForgeKeys) {
  Settings s = Make();
  s.LoadMainSettings();
  s.SetString("General", "FTPHost", "host\r\nConnect=1");
  ASSERT_TRUE(s.SaveSettings().Written);
  const IniFile ini = IniFile::Load(AppFile());
  EXPECT_EQ(ini.ReadString("General", "FTPHost", ""), "host  Connect=1");
  EXPECT_FALSE(ini.ReadBool("General", "Connect", false));
}

TEST_F(SettingsTest, UnwritableProgramFolderUsesTheUserFile) {
  // A program folder nobody can create files in, not even root: its path
  // runs through a plain file.
  WriteText(appDir.path + "blocker", "");
  const std::string blocked = appDir.path + "blocker/";
  {
    Settings s(blocked, userDir.path);
    s.LoadMainSettings();
    s.SetInt("General", "Hue", 200);
    const SettingsSaveResult r = s.SaveSettings();
    EXPECT_TRUE(r.Written);
    EXPECT_TRUE(r.UsedUserCopy);
    EXPECT_EQ(r.Path, userDir.path + "kaveli.ini");
  }
  Settings next(blocked, userDir.path);
  EXPECT_TRUE(next.UsesUserFolder());
  next.LoadMainSettings();
  EXPECT_EQ(next.LoadedFrom(), userDir.path + "kaveli.ini");
  EXPECT_EQ(next.GetInt("General", "Hue"), 200);
}

TEST_F(SettingsTest, ReadOnlyFileIsNotOverruledByAUserCopy) {
  WriteText(AppFile(), "[General]\r\nHue=10\r\n");
  ::chmod(AppFile().c_str(), 0444);
  Settings s = Make();
  s.LoadMainSettings();
  s.SetInt("General", "Hue", 200);
  const SettingsSaveResult r = s.SaveSettings();
  EXPECT_FALSE(r.Written);
  EXPECT_FALSE(r.UsedUserCopy);
  EXPECT_FALSE(fs::exists(userDir.path + "kaveli.ini"));
  EXPECT_EQ(ReadText(AppFile()), "[General]\r\nHue=10\r\n");
}

TEST_F(SettingsTest, WritableProgramFolderNeverReadsOrWritesTheUserFile) {
  // A per-user file left by another installation (or a test run) that
  // switches the scheduler on must not reach a new copy of the program.
  const std::string userText =
      "[Scheduler]\r\nEnabled=1\r\nDays1=127\r\nTimes1=\"LO\"\r\nExecute1=\"send:*R\"\r\n";
  WriteText(userDir.path + "kaveli.ini", userText);
  Settings s = Make();
  EXPECT_FALSE(s.UsesUserFolder());
  s.LoadMainSettings();
  s.LoadSchedulerSettings();
  EXPECT_EQ(s.LoadedFrom(), AppFile());
  EXPECT_FALSE(s.GetBool("Scheduler", "Enabled"));
  EXPECT_EQ(s.GetString("Scheduler", "Execute1"), "");
  const SettingsSaveResult r = s.SaveSettings();
  EXPECT_TRUE(r.Written);
  EXPECT_FALSE(r.UsedUserCopy);
  EXPECT_EQ(r.Path, AppFile());
  EXPECT_TRUE(fs::exists(AppFile()));
  EXPECT_EQ(ReadText(userDir.path + "kaveli.ini"), userText);
}

}  // namespace
}  // namespace sondaro
