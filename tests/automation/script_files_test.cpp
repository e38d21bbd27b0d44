// File-type registration and the script editor start.
#include "automation/fms_registration.h"
#include "automation/script_files.h"
#include "automation_fixture.h"

namespace sondaro::test {
namespace {

TEST(FmsRegistration, WritesMimeTypeAndDesktopEntryThenRefreshesTheDesktop) {
  const std::string home = TempFolder();
  RecordingShell shell;
  std::string error;
  ASSERT_TRUE(RegisterScriptFiles("/opt/Sondaro 1/sondaro", home + "share", &shell, error));
  const std::string mime = ReadFile(home + "share/mime/packages/sondaro-script.xml");
  EXPECT_NE(mime.find("<mime-type type=\"application/x-sondaro-script\">"), std::string::npos);
  EXPECT_NE(mime.find("<glob pattern=\"*.fms\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<comment>Sondaro Script File</comment>"), std::string::npos);
  const std::string desktop = ReadFile(home + "share/applications/sondaro-script.desktop");
  EXPECT_NE(desktop.find("Exec=\"/opt/Sondaro 1/sondaro\" %f\n"), std::string::npos);
  EXPECT_NE(desktop.find("MimeType=application/x-sondaro-script;\n"), std::string::npos);
  ASSERT_EQ(shell.Started.size(), 3u);
  EXPECT_EQ(shell.Started[0].Program, "update-mime-database");
  EXPECT_EQ(shell.Started[2].Parameters, "default sondaro-script.desktop application/x-sondaro-script");

  EXPECT_FALSE(RegisterScriptFiles("/x", "/proc/no-such-place", nullptr, error));
  EXPECT_NE(error.find("Can't write to file"), std::string::npos);
  std::filesystem::remove_all(home);
}

TEST(FmsRegistration, ExecQuotesReservedCharacters) {
  EXPECT_NE(ScriptDesktopEntry("/a \"b\"/$c%d\\e").find("Exec=\"/a \\\\\"b\\\\\"/\\\\$c%%d\\\\\\\\e\" %f"),
            std::string::npos);
  auto env = [](const char* name) -> std::string {
    return std::string(name) == "HOME" ? "/home/u" : "";
  };
  EXPECT_EQ(XdgDataHome(env), "/home/u/.local/share");
}

TEST(ScriptEditor, UsesVisualOrEditorInATerminalThenDesktopEditors) {
  RecordingShell shell;
  auto env = [](const char* name) -> std::string {
    return std::string(name) == "EDITOR" ? "vim" : "";
  };
  EXPECT_TRUE(StartTextEditor(shell, "/data/my script.fms", env));
  ASSERT_EQ(shell.Started.size(), 1u);
  EXPECT_EQ(shell.Started[0].Program, "x-terminal-emulator");
  EXPECT_EQ(shell.Started[0].Parameters, "-e vim \"/data/my script.fms\"");
  EXPECT_EQ(shell.Started[0].Folder, "/data");

  // Nothing starts: every desktop editor is tried, then the desktop's handler.
  RecordingShell none;
  none.StartSucceeds = false;
  EXPECT_TRUE(StartTextEditor(none, "/data/a.fms", [](const char*) { return std::string(); }));
  EXPECT_GT(none.Started.size(), 3u);
  EXPECT_EQ(none.Opened, std::vector<std::string>{"/data/a.fms"});
}

}  // namespace
}  // namespace sondaro::test
