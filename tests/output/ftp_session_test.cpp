// The FTP session against a client double: host and port, the folder rules,
// the messages, the indicator and the password scrambling.
#include <gtest/gtest.h>

#include <fstream>

#include "output/ftp_session.h"
#include "support/fake_ftp_client.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

TEST(ParseFtpHost, PortAfterTheFirstColonElse21) {
  struct Case {
    const char* Field;
    const char* Host;
    int Port;
    bool Tls;
  };
  for (const Case& c : {Case{"ftp.example.net:2121", "ftp.example.net", 2121, false},
                        Case{"ftp.example.net:ab", "ftp.example.net", 21, false},
                        Case{"ftp.example.net:", "ftp.example.net", 21, false},
                        Case{"ftp.example.net", "ftp.example.net", 21, false},
                        Case{"h:21:22", "h", 21, false},
                        // No port outside 1..65535 reaches the FTP client.
                        Case{"h:0", "h", 21, false},
                        Case{"h:-5", "h", 21, false},
                        Case{"h:65535", "h", 65535, false},
                        Case{"h:65536", "h", 21, false},
                        Case{"h:99999999999", "h", 21, false},
                        Case{"FTPS://secure.example.net:990", "secure.example.net", 990, true},
                        Case{"ftps://secure.example.net", "secure.example.net", 21, true}}) {
    const FtpHostPort r = ParseFtpHost(c.Field);
    EXPECT_EQ(r.Host, c.Host) << c.Field;
    EXPECT_EQ(r.Port, c.Port) << c.Field;
    EXPECT_EQ(r.Tls, c.Tls) << c.Field;
  }
}

TEST(PasswordScrambling, KnownFormRoundTripAndHandEditedText) {
  EXPECT_EQ(Zasifruj("abc"), "jhkjii");
  EXPECT_EQ(Odsifruj("jhkjii"), "abc");
  EXPECT_EQ(Zasifruj(""), "");
  std::string every;
  for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
  const std::string scrambled = Zasifruj(every);
  EXPECT_EQ(scrambled.find_first_not_of("cdefghijklmnopqrstuvw"), std::string::npos);
  EXPECT_EQ(Odsifruj(scrambled), every);
  EXPECT_EQ(Odsifruj("jhkjiix"), "abc");  // an odd last letter is ignored
  EXPECT_EQ(Odsifruj("AZ").size(), 1u);   // foreign letters are read, not rejected
}

class FtpSessionTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  ViewHub view;
  test::FakeFtpClient client;
  FtpSession session{&client, view};
  std::vector<std::string> errors;
  std::vector<bool> busy;

  void SetUp() override {
    session.hooks.AppFolder = dir.Path();
    session.hooks.DebugError = [this](const std::string& m) { errors.push_back(m); };
    session.hooks.BusyChanged = [this](bool b) { busy.push_back(b); };
    session.Account = {"ftp.example.net:2121", "me", "pw", "www", "", true};
    std::ofstream(dir / "report.txt") << "r";
    std::ofstream(dir / "a.jpg") << "a";
  }
  void Connect() {
    session.FtpConnect();
    client.Complete(true);
    client.Calls.clear();
  }
};

TEST_F(FtpSessionTest, ConnectLogsInWithTheDialogValues) {
  session.FtpConnect();
  EXPECT_TRUE(session.Busy());
  EXPECT_FALSE(session.FtpConnected());
  client.Complete(true);
  EXPECT_TRUE(session.FtpConnected());
  EXPECT_EQ(session.Indicator(), FtpIndicator::Aqua);
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  const FtpLogin& l = client.Login;
  EXPECT_EQ(l.Host, "ftp.example.net");
  EXPECT_EQ(l.Port, 2121);
  EXPECT_EQ(l.User, "me");
  EXPECT_EQ(l.Password, "pw");
  EXPECT_TRUE(l.Passive);
  EXPECT_FALSE(l.Tls);
  EXPECT_EQ(l.TimeoutMs, 300000);
}

TEST_F(FtpSessionTest, FailedConnectReportsAndKeepsTheState) {
  session.FtpConnect();
  client.Complete(false, "Access denied: 530");
  EXPECT_EQ(errors, std::vector<std::string>{"FTP connect failed - Access denied: 530"});
  EXPECT_FALSE(session.FtpConnected());
  EXPECT_EQ(session.Indicator(), FtpIndicator::Maroon);
  session.FtpPut("report.txt");  // not connected: nothing, silently
  EXPECT_EQ(client.Calls.size(), 1u);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(FtpSessionTest, RemoteAndLocalFolderRules) {
  struct Case {
    const char* RemoteDir;
    std::string LocalDir;
    const char* Argument;
    std::string Expected;  // the client call
  };
  const std::string d = dir.Path();
  std::filesystem::create_directory(dir / "out");
  std::ofstream(dir / "out/c.txt") << "c";
  for (const Case& c :
       {Case{"www", "", "report.txt", "PUT " + d + "report.txt -> www/report.txt"},
        Case{"www/", "", "report.txt", "PUT " + d + "report.txt -> www/report.txt"},
        // A trailing "\\" of old settings files joins with "/" too; inside a name it stays.
        Case{"www\\", "", "report.txt", "PUT " + d + "report.txt -> www/report.txt"},
        Case{"a\\b", "", "report.txt", "PUT " + d + "report.txt -> a\\b/report.txt"},
        Case{"", "", "report.txt", "PUT " + d + "report.txt -> report.txt"},
        Case{"/pub", "", "a.jpg,b.jpg", "PUT " + d + "a.jpg -> /pub/b.jpg"},
        Case{"www", "out", "c.txt", "PUT " + d + "out/c.txt -> www/c.txt"},
        Case{"www", d + "out/", "c.txt", "PUT " + d + "out/c.txt -> www/c.txt"}}) {
    session.Account.RemoteDir = c.RemoteDir;
    session.Account.LocalDir = c.LocalDir;
    Connect();
    session.FtpPut(c.Argument);
    ASSERT_EQ(client.Calls.size(), 1u) << c.Argument;
    EXPECT_EQ(client.Calls[0], c.Expected);
    EXPECT_EQ(session.Indicator(), FtpIndicator::Yellow);
    client.Complete(true);
    EXPECT_EQ(session.Indicator(), FtpIndicator::Aqua);
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(FtpSessionTest, MissingFileAndEmptyNames) {
  Connect();
  session.Account.LocalDir = "out";
  session.FtpPut("gone.txt");
  EXPECT_EQ(errors, std::vector<std::string>{"File does not exist (out/gone.txt)"});
  session.Account.LocalDir = "";
  session.FtpPut("report.txt,");  // no remote name: nothing stored
  session.FtpPut("");
  EXPECT_TRUE(client.Calls.empty());
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(FtpSessionTest, FailedStoreReportsAbortsAndStaysConnected) {
  Connect();
  session.FtpPut("a.jpg,b.jpg");
  client.Complete(false, "Failed FTP upload: 553");
  EXPECT_EQ(errors, std::vector<std::string>{"Can't put the file to FTP server (a.jpg -> www/b.jpg)"
                                             "\r\nFailed FTP upload: 553"});
  EXPECT_EQ(client.Calls.back(), "ABOR");
  EXPECT_TRUE(session.FtpConnected());
  EXPECT_EQ(session.Indicator(), FtpIndicator::Yellow);  // the store never finished
}

TEST_F(FtpSessionTest, DisconnectOnceAndItsFailure) {
  Connect();
  session.FtpDisconnect();
  EXPECT_FALSE(session.FtpConnected());
  EXPECT_EQ(session.Indicator(), FtpIndicator::Maroon);
  client.Complete(false, "reset");
  EXPECT_EQ(errors, std::vector<std::string>{"A problem occured while disconnecting from FTP server"});
  session.FtpDisconnect();  // a second one does nothing
  EXPECT_EQ(client.Calls, std::vector<std::string>{"QUIT"});
}

TEST_F(FtpSessionTest, CloseAtExitDropsWhatIsUnderWay) {
  Connect();
  session.FtpPut("report.txt");
  session.CloseAtExit();
  EXPECT_EQ(client.Calls.back(), "CLOSE");
  EXPECT_EQ(client.Pending(), 0u);
  EXPECT_FALSE(session.FtpConnected());
}

}  // namespace
}  // namespace sondaro
