// The FTP session and the recorder inside the program: a script waits for
// each FTP operation, RECORDER.RUN toggles, the close finishes a recording,
// and their settings keep the stored password scrambled.
#include <gtest/gtest.h>

#include <fstream>

#include "app/app.h"
#include "support/fake_ftp_client.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "support/tone_audio_input.h"

namespace sondaro {
namespace {

class OutputsInApp : public ::testing::Test {
 protected:
  test::TempDir dir;
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  test::FakeFtpClient ftp;
  test::ToneAudioFactory audio;
  std::unique_ptr<App> app;

  void SetUp() override { Build(); }
  void Build() {
    AppPorts ports{clock, serial, tcp, dialogs};
    ports.appFolder = dir.Path();
    ports.userConfigFolder = dir.Path();
    ports.ftp = &ftp;
    ports.audio = &audio;
    app = std::make_unique<App>(ports);
  }
  void Advance(Millis ms) { AdvanceVirtual(clock, app->timers, ms); }
  void Run(const std::string& lines) {
    std::ofstream(dir / "s.fms") << lines;
    app->automation.script.ExeScript(dir / "s.fms");
  }
};

TEST_F(OutputsInApp, ScriptWaitsForEachFtpOperation) {
  std::ofstream(dir / "r.txt") << "r";
  app->ftp.Account.Host = "example.net";
  Run("FTPCONNECT\r\nFTPPUT(r.txt)\r\nSAVETEXT(done.txt,x)\r\n");
  Advance(1000);
  EXPECT_EQ(ftp.Calls, std::vector<std::string>{"CONNECT example.net:21"});
  ftp.Complete(true);
  Advance(1000);
  ASSERT_EQ(ftp.Calls.size(), 2u);
  EXPECT_FALSE(test::FileExists(dir / "done.txt"));  // still waiting for the store
  ftp.Complete(true);
  Advance(1000);
  EXPECT_TRUE(test::FileExists(dir / "done.txt"));
  EXPECT_FALSE(app->automation.script.Running());
}

TEST_F(OutputsInApp, RecorderRunTogglesAndCloseFinishesTheFile) {
  Run("RECORDER.RUN(first,left)\r\nRECORDER.RUN(second)\r\nRECORDER.RUN(third,)\r\n");
  Advance(100);
  ASSERT_TRUE(app->recorder.Running());
  EXPECT_EQ(app->recorder.RecorderMode, "LEFT");
  Advance(100);
  EXPECT_FALSE(app->recorder.Running());  // the second run stopped the first
  EXPECT_FALSE(test::FileExists(dir / "second.mp3"));
  Advance(100);
  ASSERT_TRUE(app->recorder.Running());
  EXPECT_EQ(app->recorder.RecorderMode, "STEREO");
  audio.Last->Deliver(20);
  app->Close();
  EXPECT_FALSE(app->recorder.Running());
  EXPECT_EQ(app->recorder.Indicator(), RecIndicator::Maroon);
  const std::string mp3 = test::ReadFile(dir / "third.mp3");
  ASSERT_GT(mp3.size(), 1000u);
  EXPECT_EQ(static_cast<unsigned char>(mp3[0]), 0xFF);  // starts on a frame
}

TEST_F(OutputsInApp, StopScriptStopsTheRecorder) {
  Run("RECORDER.RUN(x,MONO)\r\nSLEEP(100000)\r\n");
  Advance(300);
  ASSERT_TRUE(app->recorder.Running());
  app->automation.script.StopScript();
  EXPECT_FALSE(app->recorder.Running());
}

TEST_F(OutputsInApp, SettingsKeepThePasswordScrambled) {
  std::ofstream(dir / "kaveli.ini") << "[General]\r\nFTPHost=h:2121\r\nFTPPass=jhkjii\r\n"
                                       "[MP3Recorder]\r\nSamplerate=5\r\nCRC=1\r\n";
  app->LoadSettings();
  EXPECT_EQ(app->ftp.Account.Password, "abc");
  EXPECT_EQ(app->ftp.Account.Host, "h:2121");
  EXPECT_EQ(app->recorder.Settings.Samplerate, 5);
  EXPECT_TRUE(app->recorder.Settings.CRC);
  app->ftp.Account.Password = "";
  app->Close();
  const std::string ini = test::ReadFile(dir / "kaveli.ini");
  EXPECT_NE(ini.find("FTPPass=\r\n"), std::string::npos);
  EXPECT_NE(ini.find("FTPHost=h:2121\r\n"), std::string::npos);
  EXPECT_NE(ini.find("Samplerate=5\r\n"), std::string::npos);
}

}  // namespace
}  // namespace sondaro
