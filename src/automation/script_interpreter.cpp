#include "automation/script_interpreter.h"

#include <cstdlib>
#include <exception>

#include "automation/script_files.h"
#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

ScriptInterpreter::ScriptInterpreter(TimerSet& timers, View& view, ScriptHost& host)
    : clock_(timers.GetClock()),
      view_(view),
      host_(host),
      timer13_(timers, kFileTickMs, false, [this] { Timer13Timer(); }),
      launchTimer_(timers, kLaunchDelayMs, false, [this] {
        launchTimer_.SetEnabled(false);
        ExeScript(launchFile_);
      }) {
  Settings.DialogFolder = host_.AppFolder();
  AddBuiltinCommands(commands_);
}

void ScriptInterpreter::ShowPanel(bool running, const std::string& caption) {
  panel.Caption = caption;
  panel.Loaded = running;
  panel.RunEnabled = !running;
  panel.RunCaption = "Run";
  panel.StopEnabled = running;
  view_.Changed(Area::Script);
}

void ScriptInterpreter::KonecScriptu() {
  ShowPanel(false, "Script");
  timer13_.SetEnabled(false);
  timer13_.SetInterval(kFileTickMs);
  state.ScriptBusy = false;
}

void ScriptInterpreter::StopScript() {
  host_.StopRunningWork();
  state.SleepUntil = clock_.Now();
  state.ScriptLines.clear();
  state.CallStack.clear();
  KonecScriptu();
}

void ScriptInterpreter::ExeScript(const std::string& source) {
  ++run_;
  state.ScriptLines.clear();
  state.CallStack.clear();
  KonecScriptu();
  host_.SetStatusText("");
  const bool socket = source.rfind(kSocketPrefix, 0) == 0;
  std::string caption;
  if (socket) {
    state.ScriptLines.push_back(source.substr(std::string(kSocketPrefix).size()));
    caption = state.ScriptLines.front();
  } else {
    const std::string path = ResolveInFolder(host_.AppFolder(), source);
    const ScriptFileRead read = ReadScriptFile(path, ScriptState::kMaxFileLines,
                                               ScriptState::kMaxLineLength, state.ScriptLines);
    if (read == ScriptFileRead::Missing) return;
    if (read == ScriptFileRead::Failed) {
      // Reported in debug mode even though no line could be loaded (the
      // report exists for this very case); silent otherwise, as every
      // script error is.
      state.ScriptLines.clear();
      if (Settings.DebugMode) Report("Unable to read script file " + source);
      return;
    }
    const auto slash = source.find_last_of('/');
    caption = slash == std::string::npos ? source : source.substr(slash + 1);
  }
  // One procedure per script: the last "PROCEDURE(name)" header before the
  // last line declares it.
  state.ProcedureName.clear();
  state.ProcedureLine = -1;
  for (int n = 1; n < state.LineCount(); ++n) {
    const std::string& line = state.ScriptLines[static_cast<std::size_t>(n - 1)];
    if (ToUpper(line.substr(0, 10)) != "PROCEDURE(") continue;
    const auto open = line.find('(');
    const auto close = line.find(')');
    state.ProcedureName =
        close == std::string::npos || close < open ? "" : line.substr(open + 1, close - open - 1);
    state.ProcedureLine = n;
  }
  state.ProcedureReturnLine = -1;
  state.CurrentLine = 1;
  ShowPanel(true, caption);
  timer13_.SetInterval(socket ? kSocketTickMs : kFileTickMs);
  timer13_.SetEnabled(true);
}

void ScriptInterpreter::Report(const std::string& message) {
  const std::uint64_t run = run_;
  const bool wasBusy = state.ScriptBusy;
  // The box is modal but timers keep running behind it; the busy flag holds
  // the script back until OK.
  state.ScriptBusy = true;
  host_.GetDialogs().ShowError("Script executing error: " + message + " (line " +
                                 std::to_string(state.CurrentLine) + ")");
  if (run == run_) state.ScriptBusy = wasBusy;
}

void ScriptInterpreter::DebugError(const std::string& message) {
  if (!Settings.DebugMode || state.ScriptLines.empty()) return;
  Report(message);
}

void ScriptInterpreter::StackPush(int line) {
  if (state.CallStack.size() >= MaxCallDepth) {
    DebugError("Out of stack");
    return;
  }
  state.CallStack.push_back(line);
}

int ScriptInterpreter::StackPop() {
  if (state.CallStack.empty()) {
    DebugError("Stack underflow");
    return 0;
  }
  const int line = state.CallStack.back();
  state.CallStack.pop_back();
  return line;
}

void ScriptInterpreter::Timer13Timer() {
  host_.StampActivity();
  if (state.ScriptBusy || !host_.CommandQueueEmpty() || host_.MaSeCekat() ||
      clock_.Now() < state.SleepUntil)
    return;
  if (state.CurrentLine > state.LineCount() || state.CurrentLine < 1) {
    KonecScriptu();
    return;
  }
  panel.RunCaption = std::to_string(state.CurrentLine);
  view_.Changed(Area::Script);
  // A copy: the line may load another script.
  const std::string line = state.ScriptLines[static_cast<std::size_t>(state.CurrentLine - 1)];
  ExecuteLine(line);
}

void ScriptInterpreter::ExecuteLine(const std::string& line) {
  const std::uint64_t run = run_;
  const auto open = line.find('(');
  const auto close = line.find(')');
  // 1-based positions, 0 when absent.
  const std::size_t p = open == std::string::npos ? 0 : open + 1;
  const std::size_t q = close == std::string::npos ? 0 : close + 1;
  if (line.size() > 3 && q >= p) {
    std::string keyword;
    std::string argument;
    if (p > 1 && q > 2) {
      // Call form: KEYWORD(argument); text after the first ")" is ignored.
      keyword = ToUpper(line.substr(0, open));
      while (!keyword.empty() && keyword.back() == ' ') keyword.pop_back();
      UsePlaceholderFormats();
      ScriptReadings readings;
      const std::string raw = line.substr(open + 1, close - open - 1);
      if (raw.find('%') != std::string::npos) host_.ReadReadings(readings);
      PlaceholderResult replaced = ReplacePlaceholders(
          raw, PlaceholderSources{readings, state.Variables, clock_.WallNow(),
                                  [this](int selector, long long station) {
                                    return host_.GetStationDetail(selector, station);
                                  },
                                  [this](std::string_view t) { return state.StrToNumber(t); },
                                  MaxArgumentLength});
      argument = std::move(replaced.Text);
      if (!replaced.Complete) DebugError("Argument too long");
    } else {
      // Bare form: the whole line is the keyword, trailing blanks included.
      keyword = ToUpper(line);
    }
    // From here on, for the rest of the run, every date and time the
    // program shows or writes takes these forms.
    UseScriptLineFormats();
    state.ScriptBusy = true;
    try {
      // The script's own procedure, called by its name.
      if (!state.ProcedureName.empty() && keyword == ToUpper(state.ProcedureName) &&
          state.ProcedureLine > 1) {
        state.ProcedureReturnLine = state.CurrentLine;
        state.CurrentLine = state.ProcedureLine;
      }
      ++executing_;
      commands_.Run(keyword, argument, *this, host_);
      --executing_;
    } catch (const std::exception&) {
      --executing_;
      DebugError("Unknown error");
    }
  }
  if (run != run_) return;  // another script was started by this line
  if (state.CurrentLine < 1 << 30) ++state.CurrentLine;
  state.ScriptBusy = false;
}

std::string ScriptInterpreter::AskScriptFile(const std::string& caption) {
  const std::string file =
      host_.GetDialogs().OpenFileName(caption, Settings.DialogFolder, kScriptFilter);
  const auto slash = file.find_last_of('/');
  if (slash != std::string::npos) Settings.DialogFolder = file.substr(0, slash + 1);
  return file;
}

void ScriptInterpreter::RunScript1Click() {
  const std::string file = AskScriptFile("Run Script");
  if (!file.empty()) ExeScript(file);
}

void ScriptInterpreter::ScriptEditor1Click() {
  const std::string file = AskScriptFile("Script Editor");
  if (file.empty()) return;
  Shell* shell = host_.GetShell();
  if (!shell) return;
  const auto env = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string(v ? v : "");
  };
  if (!StartTextEditor(*shell, file, env))
    host_.GetDialogs().ShowError("No text editor could be started for " + file);
}

void ScriptInterpreter::RunAfterLaunch(const std::string& file) {
  launchFile_ = file;
  launchTimer_.Restart();
}

void ScriptInterpreter::ResumeRun() {
  if (!state.ScriptLines.empty()) timer13_.SetEnabled(true);
}

}  // namespace sondaro
