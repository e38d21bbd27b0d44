// The interpreter in virtual time: pacing on the device link, control flow,
// errors, line forms, files and programs.
#include <sys/stat.h>

#include <stdexcept>

#include "automation_fixture.h"
#include "core/formats.h"
#include "core/text.h"
#include "link/com_ports.h"

namespace sondaro::test {
namespace {

constexpr const char* kFrequencySection = "Frequency:\r\n 98.50 MHz\r\n\r\n";

class Interpreter : public AutomationFixture {};

TEST_F(Interpreter, ALineWaitsUntilTheAnalyzerHasAnswered) {
  ConnectSerial();
  Run("wait.fms", "SEND(?F)\r\nSAVETEXT(out.txt,%frequency)\r\n");
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(script.panel.Caption, "wait.fms");
  Advance(1000);
  EXPECT_EQ(serial.Written, std::vector<std::string>{"?F"});
  EXPECT_FALSE(std::filesystem::exists(folder + "out.txt"));  // "F" still awaited
  EXPECT_EQ(script.panel.RunCaption, "1");
  Answer(kFrequencySection);
  RunToEnd();
  EXPECT_EQ(ReadFile(folder + "out.txt"), "98.50 MHz");
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(script.panel.Caption, "Script");
  EXPECT_EQ(script.panel.RunCaption, "Run");
}

TEST_F(Interpreter, AnUnansweredQueryHoldsTheScriptFourSeconds) {
  ConnectSerial();
  Run("silent.fms", "GETQUALITY\r\nSET(done,1)\r\n");
  Advance(3900);
  EXPECT_EQ(Var("done"), "<unset>");
  Advance(400);
  EXPECT_EQ(Var("done"), "1");
}

TEST_F(Interpreter, OneLinePerTickAtTheFileAndSocketPace) {
  Run("pace.fms", "SET(a,1)\r\nSET(b,1)\r\n");
  Advance(99);
  EXPECT_EQ(Var("a"), "<unset>");
  Advance(1);
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), "<unset>");
  Advance(100);
  EXPECT_EQ(Var("b"), "1");
  script.ExeScript("#SOCKET:SET(c,1)");
  EXPECT_EQ(script.panel.Caption, "SET(c,1)");
  Advance(10);
  EXPECT_EQ(Var("c"), "1");
  Advance(10);
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(script.Timer13().Interval(), 100);
}

TEST_F(Interpreter, LoopsCallsAndConditions) {
  Run("flow.fms",
      "SET(n,0)\r\n"
      "loop:\r\n"
      "  INC(n)\r\n"
      "IF(%n<3)\r\n"
      "GOTO(loop)\r\n"
      "ENDIF\r\n"
      "CALL(sub)\r\n"
      "SET(after,%n)\r\n"
      "IF(%n>5)\r\n"
      "  IF(1=1)\r\n"
      "    SET(inner,1)\r\n"
      "  ENDIF\r\n"
      "  SET(outer,1)\r\n"
      "ENDIF\r\n"
      "STOP\r\n"
      "sub:\r\n"
      "INC(n,10)\r\n"
      "RETURN\r\n");
  RunToEnd();
  EXPECT_EQ(Var("n"), "13");
  EXPECT_EQ(Var("after"), "13");
  EXPECT_EQ(Var("inner"), "1");
  EXPECT_EQ(Var("outer"), "1");
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(Interpreter, FalseConditionSkipsTheWholeNestedBlock) {
  Run("skip.fms",
      "IF(2>3)\r\nIF(1=1)\r\nSET(a,1)\r\nENDIF\r\nSET(b,1)\r\nENDIF\r\nSET(c,1)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("a"), "<unset>");
  EXPECT_EQ(Var("b"), "<unset>");
  EXPECT_EQ(Var("c"), "1");
}

TEST_F(Interpreter, RepeatContinuesAtTheGivenLine) {
  Run("repeat.fms", "INC(r)\r\nIF(%r<3)\r\nREPEAT(1)\r\nENDIF\r\nIF(%r<5)\r\nREPEAT\r\nENDIF\r\n");
  state.SetVariable("r,0");
  RunToEnd();
  EXPECT_EQ(Var("r"), "5");
}

TEST_F(Interpreter, TheProcedureIsCalledByItsNameAndReturnsAfterTheCall) {
  Run("proc.fms",
      "SET(x,0)\r\n"
      "Measure\r\n"
      "SET(back,%x)\r\n"
      "PROCEDURE.END\r\n"  // without a call: nothing
      "SET(passed,1)\r\n"
      "PROCEDURE(measure)\r\n"
      "INC(x)\r\n"
      "PROCEDURE.END\r\n");
  EXPECT_EQ(state.ProcedureName, "measure");
  EXPECT_EQ(state.ProcedureLine, 6);
  RunToEnd();
  // Running into the header ends the script.
  EXPECT_EQ(Var("back"), "1");
  EXPECT_EQ(Var("passed"), "1");
  EXPECT_EQ(Var("x"), "1");
  EXPECT_TRUE(state.ScriptLines.empty());

  Run("first.fms", "PROCEDURE(p)\r\nSET(y,1)\r\nP\r\nSET(z,1)\r\n");
  Advance(100);  // line 1 is a procedure header: the script stops there
  EXPECT_FALSE(script.Running());
  state.ScriptLines = {"SET(q,0)", "P", "SET(q,1)", "PROCEDURE(p)", "end"};
  state.ProcedureName = "p";
  state.ProcedureLine = 1;  // declared in line 1: cannot be called
  state.CurrentLine = 2;
  script.Timer13().SetEnabled(true);
  Advance(1000);
  EXPECT_EQ(Var("q"), "1");
}

TEST_F(Interpreter, ErrorsNameTheLineAndDoNotStopTheScript) {
  Run("err.fms", "GOTO(nowhere)\r\nSET(next,1)\r\nCALL(gone)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("next"), "1");
  EXPECT_EQ(dialogs.Messages,
            (std::vector<std::string>{"Script executing error: Label not defined (nowhere:) (line 1)",
                                      "Script executing error: Label not defined (gone:) (line 3)"}));

  dialogs.Messages.clear();
  script.Settings.DebugMode = false;
  Run("quiet.fms", "GOTO(nowhere)\r\nSET(quiet,1)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("quiet"), "1");
  EXPECT_TRUE(dialogs.Messages.empty());

  // Once no script is loaded the report is silent even in debug mode.
  script.Settings.DebugMode = true;
  script.StopScript();
  app.DebugError("Unable to connect");
  EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(Interpreter, MissingEndIfStopsTheScript) {
  Run("noend.fms", "SET(a,1)\r\nIF(1=1)\r\nSET(b,1)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("b"), "<unset>");
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: ENDIF missing (line 2)"});
  EXPECT_TRUE(state.ScriptLines.empty());
}

TEST_F(Interpreter, VariablesTogetherStayWithinTheirLimit) {
  // A loop that doubles a value, then copies it: all of them together stop
  // at the variables' limit.
  Run("grow.fms",
      "SET(a,0123456789abcde)\r\nSET(n,0)\r\ndouble:\r\nSET(a,%a%a)\r\nINC(n)\r\n"
      "IF(%n<16)\r\nGOTO(double)\r\nENDIF\r\n"
      "SET(n,0)\r\ncopy:\r\nINC(n)\r\nSET(copy%n,%a)\r\nIF(%n<20)\r\nGOTO(copy)\r\nENDIF\r\n"
      "SET(a,short)\r\nSET(copy99,%a)\r\n");
  RunToEnd(600000);
  EXPECT_EQ(state.FindVariable("a")->Value, "short");
  EXPECT_EQ(Var("copy99"), "short");  // room again once a value shrank
  std::size_t total = 0;
  for (const ScVar& v : state.Variables) total += v.Name.size() + v.Value.size();
  EXPECT_LE(total, ScriptState::kMaxVariablesSize);
  // "A" and 16 copies of 15 * 64 KiB fit beside the names; the 17th does not.
  EXPECT_EQ(Var("copy16").size(), 15u << 16);
  EXPECT_EQ(Var("copy17"), "<unset>");
  EXPECT_EQ(dialogs.Messages.size(), 4u);
  EXPECT_EQ(dialogs.Messages.at(0),
            "Script executing error: Out of variable memory: all variables together are "
            "limited to 16 MiB (line 12)");
}

TEST_F(Interpreter, CallStackHoldsSixtyThreeReturns) {
  Run("deep.fms",
      "SET(depth,0)\r\nrec:\r\nINC(depth)\r\nIF(%depth<65)\r\nCALL(rec)\r\nENDIF\r\nSTOP\r\n");
  RunToEnd(200000);
  EXPECT_EQ(Var("depth"), "65");  // the 64th call still jumped
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: Out of stack (line 5)"});

  dialogs.Messages.clear();
  state.SetVariable("r,0");
  Run("under.fms", "INC(r)\r\nIF(%r<2)\r\nRETURN\r\nENDIF\r\n");
  RunToEnd();
  EXPECT_EQ(Var("r"), "2");  // line 1 again after the empty pop
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: Stack underflow (line 3)"});
}

TEST_F(Interpreter, LineFormsAndTheFirstClosingParenthesis) {
  Run("forms.fms",
      "END\r\n"                                  // three characters: nothing
      "SHOWMESSAGE(Level (dBuV): %level)\r\n"    // argument ends at the first ")"
      "SET)x(y,1\r\n"                            // ")" before "(": skipped
      "set (spaced , 2) tail\r\n"                // blanks before "(" dropped, arg kept
      "STOP \r\n"                                // bare form keeps the trailing blank
      "SET(last,1)\r\n");
  RunToEnd();
  EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Level (dBuV"});
  EXPECT_EQ(Var("y"), "<unset>");
  EXPECT_EQ(Var("SPACED "), " 2");
  EXPECT_EQ(Var("last"), "1");
}

TEST_F(Interpreter, LoadsAtMost1023LinesWithoutLeadingBlanksCutTo1024) {
  std::string text;
  for (int i = 1; i <= 2000; ++i) text += "   line " + std::to_string(i) + "\n";
  text += std::string(3000, 'x');
  Run("long.fms", text);
  ASSERT_EQ(state.ScriptLines.size(), 1023u);
  EXPECT_EQ(state.ScriptLines.front(), "line 1");
  EXPECT_EQ(state.ScriptLines.back(), "line 1023");
  Run("wide.fms", "\t" + std::string(3000, 'y') + "\rSET(a,1)");
  ASSERT_EQ(state.ScriptLines.size(), 2u);
  EXPECT_EQ(state.ScriptLines[0].size(), 1024u);  // tabs are not blanks
  EXPECT_EQ(state.ScriptLines[1], "SET(a,1)");
}

TEST_F(Interpreter, AMissingFileEndsTheRunSilentlyAnUnreadableOneIsReported) {
  Run("a.fms", "SLEEP(100)\r\nSET(a,1)\r\n");
  Advance(200);
  ASSERT_TRUE(script.Running());
  script.ExeScript("nothing-here.fms");
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(dialogs.Messages.empty());
  std::filesystem::create_directory(folder + "dir.fms");
  script.ExeScript("dir.fms");
  EXPECT_FALSE(script.Running());
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].rfind("Script executing error: Unable to read script file dir.fms", 0),
            0u);
  // With "Debug mode (stop on errors)" off it is as silent as any other.
  script.Settings.DebugMode = false;
  script.ExeScript("dir.fms");
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(dialogs.Messages.size(), 1u);
}

TEST_F(Interpreter, AScriptLineSwitchesTheDateAndTimeForms) {
  // The placeholders write "yyyy-mm-dd" and "hh-nn-ss"; from the first
  // executed line on, what the program shows and writes takes "yyyy/mm/dd"
  // and "h:nn:ss". A line that does nothing (three characters) switches
  // nothing.
  const FormatSettings saved = Formats();
  UseStartFormats();
  const Millis morning = JoinWall(2024, 1, 15, 9, 5, 3);
  Run("dates.fms", "x\r\n");
  RunToEnd();
  EXPECT_EQ(DateTimeToStr(morning), "2024-01-15 09:05:03");
  Run("dates.fms", "SET(d,%date)\r\nSET(t,%time)\r\nSET(x,1)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("d"), "2024-01-15");
  EXPECT_TRUE(Var("t").starts_with("12-00-")) << Var("t");
  EXPECT_EQ(DateTimeToStr(morning), "2024/01/15 9:05:03");
  Formats() = saved;
}

TEST_F(Interpreter, SleepHoldsTheNextLine) {
  Run("sleep.fms", "SLEEP(2)\r\nSET(a,1)\r\nSLEEP(x)\r\nSET(b,1)\r\n");
  Advance(2050);
  EXPECT_EQ(Var("a"), "<unset>");
  Advance(100);
  EXPECT_EQ(Var("a"), "1");
  Advance(200);
  EXPECT_EQ(Var("b"), "1");  // no number: no wait
}

TEST_F(Interpreter, InputStoresTheTextAndWhetherOneWasGiven) {
  dialogs.Answers = {{true, "Studio 1"}, {true, ""}, {false, "ignored"}};
  Run("input.fms", "INPUT(Name?)\r\nSET(first,%inputtext/%inputvalid)\r\nINPUT(x)\r\n"
                   "SET(second,%inputtext/%inputvalid)\r\nINPUT(y)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("first"), "Studio 1/1");
  EXPECT_EQ(Var("second"), "/0");
  EXPECT_EQ(Var("inputvalid"), "0");
  EXPECT_EQ(Var("inputtext"), "");
  EXPECT_EQ(dialogs.Messages.front(), "Input|Name?");
}

TEST_F(Interpreter, TextFilesAndFileNames) {
  Run("files.fms",
      "SAVETEXT(,abc)\r\n"
      "SAVETEXT(log.txt,a,b)\r\n"
      "APPENDTEXT(log.txt,%crc)\r\n"
      "APPENDTEXT(new.txt,x)\r\n"
      "SET(ps,R/1:FM)\r\n"
      "CHECKFILENAME(fname,%ps)\r\n"
      "CHECKFILENAME(empty)\r\n"
      "SAVETEXT(no/such/dir/f.txt,x)\r\n");
  RunToEnd();
  EXPECT_EQ(ReadFile(folder + "log.txt"), "a,b\r\nc");
  EXPECT_EQ(ReadFile(folder + "new.txt"), "x");
  EXPECT_FALSE(std::filesystem::exists(folder + "abc"));
  EXPECT_EQ(Var("fname"), "R_1_FM");
  EXPECT_EQ(Var("empty"), "_");
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: Can't write to file no/such/dir/f.txt (line 8)"});
}

TEST_F(Interpreter, ExecuteStartsProgramsOpensDocumentsAndChainsScripts) {
  WriteFile(folder + "report.sh", "#!/bin/sh\n");
  ::chmod((folder + "report.sh").c_str(), 0755);
  WriteFile(folder + "notes.txt", "n");
  WriteFile(folder + "next.Fms", "SET(next,%chain)\r\n");
  Run("exec.fms",
      "EXECUTE(report.sh,/q,data)\r\n"
      "EXECUTE(notes.txt)\r\n"
      "EXECUTE(xterm,-e top)\r\n"
      "EXECUTE(http://example.com/a)\r\n"
      "EXECUTE()\r\n"
      "SET(chain,1)\r\n"
      "EXECUTE(next.Fms)\r\n"
      "SET(chain,2)\r\n");
  RunToEnd();
  ASSERT_EQ(shell.Started.size(), 2u);
  EXPECT_EQ(shell.Started[0].Program, folder + "report.sh");
  EXPECT_EQ(shell.Started[0].Parameters, "/q");
  EXPECT_EQ(shell.Started[0].Folder, folder + "data");
  EXPECT_EQ(shell.Started[1].Program, "xterm");
  EXPECT_EQ(shell.Started[1].Parameters, "-e top");
  EXPECT_EQ(shell.Started[1].Folder, folder);
  EXPECT_EQ(shell.Opened, (std::vector<std::string>{folder + "notes.txt", "http://example.com/a"}));
  EXPECT_EQ(Var("next"), "1");  // the old script ended; the new one ran from line 1
  EXPECT_EQ(Var("chain"), "1");
}

TEST_F(Interpreter, ConnectPicksSerialPortOrTcpHost) {
  Run("c.fms", "CONNECT(3)\r\n");
  RunToEnd();
  EXPECT_EQ(serial.OpenedDevice, ComDevicePath(3, {}));
  EXPECT_EQ(app.link.connection.Settings.ComPortIndex, 2);
  EXPECT_TRUE(app.link.connection.DisconnectEnabled());
  Run("d.fms", "CONNECT(other)\r\nDISCONNECT\r\nCONNECT(analyzer.local:4001)\r\nSET(x,%connected)\r\n");
  RunToEnd();
  EXPECT_EQ(tcp.Attempts, std::vector<std::string>{"analyzer.local:4001"});  // first: still connected
  EXPECT_EQ(Var("x"), "1");
  app.link.connection.BitBtn3Click();
  Run("e.fms", "CONNECT(300)\r\n");
  RunToEnd();
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: Unable to connect (300) (line 1)"});
  EXPECT_TRUE(app.link.connection.ConnectEnabled());
}

TEST_F(Interpreter, QueriesGoOutAsTheirCommands) {
  ConnectSerial();
  Run("q.fms",
      "GETFREQUENCY\r\nGETPILOT\r\nGETRDS\r\nGETQUALITY\r\nGETPHASE\r\nIMF.GET\r\n"
      "RDS.GETDATA\r\nRDS.GETSTATISTICS\r\nFREQUENCYDEVIATION.ACQUIRE\r\nSEND(*M)\r\n");
  RunToEnd(120000);  // unanswered: each waits its four seconds
  EXPECT_EQ(serial.Written, (std::vector<std::string>{"?F", "?L", "?R", "?Q", "?E", "?I", "?D",
                                                      "?T", "?H", "*M"}));
}

TEST_F(Interpreter, StatusBarPageAndExitReachTheWindow) {
  int page = -1;
  bool closed = false;
  app.automation.ui.ShowPage = [&](int p) { page = p; };
  app.automation.ui.CloseMainWindow = [&] { closed = true; };
  Run("w.fms", "STATUSBARTEXT(Measuring %freq)\r\nPAGE.SHOW(x)\r\nPAGE.SHOW(5)\r\nEXIT\r\n");
  RunToEnd();
  EXPECT_EQ(app.status.Text(), "Measuring 0");
  EXPECT_EQ(page, 5);
  EXPECT_TRUE(closed);
}

TEST_F(Interpreter, AnExceptionInAKeywordIsReportedAsUnknownError) {
  script.Commands().Add({"THROW", ArgForm::None, [](ScriptCall&) {
                           throw std::runtime_error("boom");
                         }});
  Run("t.fms", "THROW\r\nSET(after,1)\r\n");
  RunToEnd();
  EXPECT_EQ(Var("after"), "1");
  EXPECT_EQ(dialogs.Messages,
            std::vector<std::string>{"Script executing error: Unknown error (line 1)"});
}

TEST_F(Interpreter, StopEndsTheRunAndKeepsVariables) {
  Run("s.fms", "SET(a,1)\r\nSLEEP(60)\r\nSET(b,1)\r\n");
  Advance(300);
  EXPECT_TRUE(script.panel.Loaded);
  EXPECT_TRUE(script.panel.StopEnabled);
  EXPECT_FALSE(script.panel.RunEnabled);
  script.StopScript();
  EXPECT_FALSE(script.panel.Loaded);
  EXPECT_FALSE(script.panel.StopEnabled);
  EXPECT_TRUE(script.panel.RunEnabled);
  EXPECT_EQ(state.SleepUntil, clock.Now());
  Advance(1000);
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), "<unset>");
}

TEST_F(Interpreter, TheCommandLineScriptStartsTenMillisecondsLater) {
  WriteFile(folder + "start.fms", "SET(started,1)\r\n");
  script.RunAfterLaunch("start.fms");
  Advance(9);
  EXPECT_FALSE(script.Running());
  Advance(1);
  EXPECT_TRUE(script.Running());
  RunToEnd();
  EXPECT_EQ(Var("started"), "1");
}

TEST_F(Interpreter, RunScriptDialogStartsInTheProgramFolderAndRemembersTheLast) {
  EXPECT_EQ(script.Settings.DialogFolder, folder);
  std::filesystem::create_directory(folder + "jobs");
  WriteFile(folder + "jobs/j.fms", "SET(job,1)\r\n");
  dialogs.FileAnswer = folder + "jobs/j.fms";
  script.RunScript1Click();
  EXPECT_EQ(dialogs.LastFolder, folder);
  EXPECT_EQ(dialogs.LastFilter, "Sondaro Script (*.fms)");
  EXPECT_EQ(script.Settings.DialogFolder, folder + "jobs/");
  RunToEnd();
  EXPECT_EQ(Var("job"), "1");
}

}  // namespace
}  // namespace sondaro::test

namespace sondaro::test {
namespace {

class PageKeywords : public AutomationFixture {
 protected:
  PageKeywords() {
    app.tuning.BuildFrequencyList(false);
    ConnectSerial();
  }
};

TEST_F(PageKeywords, TuneFindsTheEntryWhateverTheDecimalSeparator) {
  const char saved = Formats().DecimalSeparator;
  Formats().DecimalSeparator = ',';
  Run("t.fms", "TUNE(98,5)\r\n");
  Advance(500);
  Formats().DecimalSeparator = saved;
  ASSERT_FALSE(serial.Written.empty());
  EXPECT_EQ(serial.Written.front(), "098500*F");
  EXPECT_EQ(app.tuning.FrequencyText(), "98.50 MHz");
  serial.Written.clear();
  Run("u.fms", "TUNE(123.4)\r\n");  // no such entry: "Tune" with the selection as it was
  RunToEnd();
  Advance(500);
  EXPECT_NE(std::find(serial.Written.begin(), serial.Written.end(), "098500*F"), serial.Written.end());
}

TEST_F(PageKeywords, SetModeTakesNumbersAndNames) {
  struct Case {
    const char* arg;
    int mode;
  } cases[] = {{"stereo", 2}, {"1", 1}, {"Measuring", 0}, {"2", 2}, {"RDS", 1}, {"x", 1}, {"0", 0}};
  for (const Case& c : cases) {
    Run("m.fms", std::string("SETMODE(") + c.arg + ")\r\n");
    RunToEnd();
    EXPECT_EQ(app.link.state.CurrentMode, c.mode) << c.arg;
  }
}

TEST_F(PageKeywords, DeviationAndPowerPagesThroughTheirButtonsAndFiles) {
  app.deviation.Bins[0] = 12;
  app.deviation.Bins[121] = 3;
  app.deviation.MaxAtKHz = 68;
  app.deviation.TotalSamples = 72000;
  app.power.StorePmValue(1.25f);
  app.power.StorePmValue(-0.5f);
  Run("d.fms",
      "FREQUENCYDEVIATION.HISTOGRAM(0)\r\n"
      "SET(h1,%maxat/%totalsamples)\r\n"
      "FREQUENCYDEVIATION.HISTOGRAM(yes)\r\n"
      "FREQUENCYDEVIATION.SAVEDATA(hist.csv)\r\n"
      "MODULATIONPOWER.SAVEDATA(pm.csv)\r\n"
      "MODULATIONPOWER.CLEAR\r\n"
      "MODULATIONPOWER.SAVEDATA(no/dir/pm.csv)\r\n");
  RunToEnd();
  EXPECT_FALSE(app.deviation.ShowHistogram);  // "yes" is no flag: unchanged
  EXPECT_EQ(Var("h1"), "68/72000");
  const std::string hist = ReadFile(folder + "hist.csv");
  EXPECT_EQ(hist.substr(0, 6), "0;12\r\n");
  EXPECT_EQ(hist.substr(hist.size() - 7), "121;3\r\n");
  EXPECT_EQ(std::count(hist.begin(), hist.end(), '\n'), 122);
  EXPECT_EQ(ReadFile(folder + "pm.csv"), FormatFixed(1.25, 1) + "\r\n" + FormatFixed(-0.5, 1) + "\r\n");
  EXPECT_TRUE(app.power.PmHistory.empty());
  EXPECT_EQ(dialogs.Messages, std::vector<std::string>{
                                  "Script executing error: Can't write to file no/dir/pm.csv (line 7)"});
}

TEST_F(PageKeywords, RdsPageTextIsSavedAsShown) {
  Run("r.fms", "RDS.CLEAR\r\nRDS.SAVEDATA(rds.txt)\r\n");
  RunToEnd();
  EXPECT_EQ(ReadFile(folder + "rds.txt").rfind("PS: \"\"", 0), 0u);
}

}  // namespace
}  // namespace sondaro::test
