#include "automation/script_commands.h"

#include <algorithm>

#include "automation/placeholders.h"
#include "automation/script_files.h"
#include "automation/script_interpreter.h"
#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

void CommandTable::Add(ScriptCommand command) {
  command.Name = ToUpper(command.Name);
  index_[command.Name].push_back(commands_.size());
  commands_.push_back(std::move(command));
}

void CommandTable::Remove(const std::string& keyword) {
  const std::string name = ToUpper(keyword);
  std::erase_if(commands_, [&name](const ScriptCommand& c) { return c.Name == name; });
  index_.clear();
  for (std::size_t i = 0; i < commands_.size(); ++i) index_[commands_[i].Name].push_back(i);
}

bool CommandTable::Run(const std::string& keyword, const std::string& argument,
                       ScriptInterpreter& script, ScriptHost& host) const {
  const auto it = index_.find(keyword);
  if (it == index_.end()) return false;
  // Copied: a handler may add keywords or start another script.
  const std::vector<std::size_t> entries = it->second;
  for (std::size_t i : entries) {
    const ScriptCommand& command = commands_[i];
    ScriptArg arg{argument};
    switch (command.Form) {
      case ArgForm::None:
        arg.Text.clear();
        break;
      case ArgForm::Text:
        break;
      case ArgForm::NonEmpty:
        if (argument.empty()) continue;
        break;
      case ArgForm::Flag:
        if (argument != "0" && argument != "1") continue;
        arg.Flag = argument == "1";
        break;
      case ArgForm::Integer:
      case ArgForm::IntegerOrZero: {
        const auto n = ReadInt32(argument);
        if (!n && command.Form == ArgForm::Integer) continue;
        arg.Number = n.value_or(0);
        break;
      }
    }
    ScriptCall call{script, host, arg};
    command.Run(call);
  }
  return true;
}

std::vector<std::string> CommandTable::Names() const {
  std::vector<std::string> names;
  for (const ScriptCommand& c : commands_)
    if (std::find(names.begin(), names.end(), c.Name) == names.end()) names.push_back(c.Name);
  return names;
}

namespace {

struct Split {
  std::string First, Rest;
  bool HasComma;
};

Split AtFirstComma(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return {text, "", false};
  return {text.substr(0, comma), text.substr(comma + 1), true};
}

// GOTO and CALL: the line of "label:", or 0 after reporting it missing.
int LabelLine(ScriptCall& c) {
  const int line = c.Script.state.FindLine(c.Arg.Text + ":", 1);
  if (line < 1) c.Script.DebugError("Label not defined (" + c.Arg.Text + ":)");
  return line;
}

// SAVETEXT / APPENDTEXT: "file,text" with at least one character of name.
void WriteText(ScriptCall& c, bool append) {
  const auto comma = c.Arg.Text.find(',');
  if (comma == std::string::npos || comma == 0) return;
  const std::string file = c.Arg.Text.substr(0, comma);
  if (!WriteTextFile(ResolveInFolder(c.Host.AppFolder(), file), c.Arg.Text.substr(comma + 1),
                     append))
    c.Script.DebugError("Can't write to file " + file);
}

void Execute(ScriptCall& c) {
  const std::string& arg = c.Arg.Text;
  const std::string upper = ToUpper(arg);
  if (upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".FMS") == 0) {
    c.Script.ExeScript(arg);
    return;
  }
  const Split first = AtFirstComma(arg);
  const Split second = AtFirstComma(first.Rest);
  Shell* shell = c.Host.GetShell();
  std::string error = "no shell";
  if (!shell ||
      !ShellOpen(*shell, first.First, second.First, second.Rest, c.Host.AppFolder(), error))
    c.Script.DebugError("Unable to execute " + first.First + " (" + error + ")");
}

// Reports a variable that could not be stored.
void Stored(ScriptCall& c, bool ok) {
  if (!ok)
    c.Script.DebugError("Out of variable memory: all variables together are limited to " +
                        std::to_string(ScriptState::kMaxVariablesSize >> 20) + " MiB");
}

void Input(ScriptCall& c) {
  ScriptState& s = c.Script.state;
  std::string text;
  if (c.Host.GetDialogs().InputQuery("Input", c.Arg.Text, text)) {
    Stored(c, s.SetVariableValue("inputtext", text));
    Stored(c, s.SetVariableValue("inputvalid", text.empty() ? "0" : "1"));
  } else {
    Stored(c, s.SetVariableValue("inputvalid", "0"));
  }
}

void Connect(ScriptCall& c) {
  if (!c.Host.ConnectEnabled()) return;
  const int n = ReadInt32(c.Arg.Text).value_or(0);
  if (n >= 1) {
    // No such port in the list: reported, and no connection is tried with
    // whatever port was selected before.
    if (!c.Host.SelectSerialPort(n)) {
      c.Script.DebugError("Unable to connect (" + c.Arg.Text + ")");
      return;
    }
  } else {
    c.Host.SelectTcpHost(c.Arg.Text);
  }
  c.Host.PressConnect();
}

ScriptCommand Query(const char* keyword, const char* command) {
  return {keyword, ArgForm::None, [command](ScriptCall& c) { c.Host.Send(command); }};
}

ScriptCommand Press(const char* keyword, ScriptButton button) {
  return {keyword, ArgForm::None, [button](ScriptCall& c) { c.Host.Press(button); }};
}

// The keyword's file; "Can't write to file" when it fails.
ScriptCommand SaveData(const char* keyword, ScriptData what) {
  return {keyword, ArgForm::Text, [what](ScriptCall& c) {
            if (!c.Host.SaveData(what, c.Arg.Text))
              c.Script.DebugError("Can't write to file " + c.Arg.Text);
          }};
}

ScriptCommand SaveImage(const char* keyword, ChartTag tag) {
  return {keyword, ArgForm::Text,
          [tag](ScriptCall& c) { c.Host.SaveChartImage(tag, c.Arg.Text); }};
}

ScriptCommand CopyImage(const char* keyword, ChartTag tag) {
  return {keyword, ArgForm::None, [tag](ScriptCall& c) { c.Host.CopyChartImage(tag); }};
}

// "2" / "STEREO", "1" / "RDS", "0" / "MEAS..." in any case; else nothing.
void SetMode(ScriptCall& c) {
  const std::string a = ToUpper(c.Arg.Text);
  int mode = -1;
  if (a == "2" || a == "STEREO") mode = 2;
  else if (a == "1" || a == "RDS") mode = 1;
  else if (a == "0" || a.rfind("MEAS", 0) == 0) mode = 0;
  if (mode >= 0) c.Host.SetModeAndSend(mode);
}

// TUNE(98.5) tunes to the first list entry containing "98.5", whatever the
// system decimal separator; TUNE alone presses "Tune" as it stands.
void Tune(ScriptCall& c) {
  if (!c.Arg.Text.empty()) {
    std::string text = c.Arg.Text;
    for (char& ch : text)
      if (ch == Formats().DecimalSeparator) ch = '.';
    c.Host.SelectFrequencyContaining(RemoveLeadingBlanks(text));
  }
  c.Host.PressTune();
}

}  // namespace

void AddBuiltinCommands(CommandTable& table) {
  const ScriptCommand commands[] = {
      // Control flow. The procedure's own name is matched by the interpreter.
      {"PROCEDURE.END", ArgForm::None,
       [](ScriptCall& c) {
         ScriptState& s = c.Script.state;
         if (s.ProcedureReturnLine > 0) {
           s.CurrentLine = s.ProcedureReturnLine;
           s.ProcedureReturnLine = -1;
         }
       }},
      {"PROCEDURE", ArgForm::None, [](ScriptCall& c) { c.Script.StopScript(); }},
      {"STOP", ArgForm::None, [](ScriptCall& c) { c.Script.StopScript(); }},
      {"EXIT", ArgForm::None, [](ScriptCall& c) { c.Host.CloseMainWindow(); }},
      {"GOTO", ArgForm::Text,
       [](ScriptCall& c) {
         if (const int line = LabelLine(c); line >= 1) c.Script.state.CurrentLine = line;
       }},
      {"CALL", ArgForm::Text,
       [](ScriptCall& c) {
         if (const int line = LabelLine(c); line >= 1) {
           c.Script.StackPush(c.Script.state.CurrentLine);
           c.Script.state.CurrentLine = line;
         }
       }},
      {"RETURN", ArgForm::None,
       [](ScriptCall& c) { c.Script.state.CurrentLine = c.Script.StackPop(); }},
      {"IF", ArgForm::Text,
       [](ScriptCall& c) {
         ScriptState& s = c.Script.state;
         const int endIf = s.FindEndIf(s.CurrentLine + 1);
         if (endIf == 0) {
           c.Script.DebugError("ENDIF missing");
           c.Script.StopScript();
         } else if (!s.Valid(c.Arg.Text)) {
           s.CurrentLine = endIf;
         }
       }},
      {"REPEAT", ArgForm::IntegerOrZero,
       [](ScriptCall& c) {
         // REPEAT(5) continues at line 5: the tick adds one.
         c.Script.state.CurrentLine = std::max(c.Arg.Number, 1) - 1;
       }},
      {"SET", ArgForm::Text,
       [](ScriptCall& c) { Stored(c, c.Script.state.SetVariable(c.Arg.Text)); }},
      {"INC", ArgForm::Text,
       [](ScriptCall& c) { Stored(c, c.Script.state.IncVariable(c.Arg.Text)); }},
      {"INPUT", ArgForm::Text, Input},
      {"SHOWMESSAGE", ArgForm::Text,
       [](ScriptCall& c) { c.Host.GetDialogs().ShowMessage(c.Arg.Text); }},
      {"SLEEP", ArgForm::IntegerOrZero,
       [](ScriptCall& c) {
         c.Script.state.SleepUntil = c.Script.GetClock().Now() + Millis{c.Arg.Number} * 1000;
       }},

      // Device link.
      {"SEND", ArgForm::Text, [](ScriptCall& c) { c.Host.Send(c.Arg.Text); }},
      {"CONNECT", ArgForm::Text, Connect},
      {"DISCONNECT", ArgForm::None,
       [](ScriptCall& c) {
         if (c.Host.DisconnectEnabled()) c.Host.PressDisconnect();
       }},
      Query("GETFREQUENCY", "?F"),
      Query("GETPILOT", "?L"),
      Query("GETRDS", "?R"),
      Query("GETQUALITY", "?Q"),
      Query("GETPHASE", "?E"),
      Query("FREQUENCYDEVIATION.ACQUIRE", "?H"),
      Query("IMF.GET", "?I"),
      Query("RDS.GETDATA", "?D"),
      Query("RDS.GETSTATISTICS", "?T"),
      {"PAGE.SHOW", ArgForm::Integer, [](ScriptCall& c) { c.Host.ShowPage(c.Arg.Number); }},

      // Mode and tuning.
      {"SETMODE", ArgForm::Text, SetMode},
      {"TUNE", ArgForm::Text, Tune},
      Press("IMF.SETASNORMAL", ScriptButton::SetAsNormal),

      // Measurement pages.
      {"FREQUENCYDEVIATION.HISTOGRAM", ArgForm::Flag,
       [](ScriptCall& c) { c.Host.SetSwitch(ScriptSwitch::ShowHistogram, c.Arg.Flag); }},
      Press("MODULATIONPOWER.RUN", ScriptButton::ModulationPowerRun),
      Press("MODULATIONPOWER.STOP", ScriptButton::ModulationPowerStop),
      Press("MODULATIONPOWER.CLEAR", ScriptButton::ModulationPowerClear),

      // RDS.
      Press("RDS.CLEAR", ScriptButton::RdsClear),
      Press("RAWDATA.START", ScriptButton::RawRun),
      Press("RAWDATA.RUN", ScriptButton::RawRun),
      Press("RAWDATA.STOP", ScriptButton::RawStop),
      Press("RAWDATA.CLEAR", ScriptButton::RawClear),

      // Files.
      SaveData("FREQUENCYDEVIATION.SAVEDATA", ScriptData::Histogram),
      SaveData("MODULATIONPOWER.SAVEDATA", ScriptData::ModulationPower),
      {"FFT.SAVEDATA", ArgForm::Text,
       [](ScriptCall& c) { c.Host.SaveData(ScriptData::Spectrum, c.Arg.Text); }},
      SaveData("RDS.SAVEDATA", ScriptData::RdsText),
      SaveData("RAWDATA.SAVE", ScriptData::RawGroups),
      {"SAVETEXT", ArgForm::Text, [](ScriptCall& c) { WriteText(c, false); }},
      {"APPENDTEXT", ArgForm::Text, [](ScriptCall& c) { WriteText(c, true); }},
      {"CHECKFILENAME", ArgForm::Text,
       [](ScriptCall& c) {
         const Split s = AtFirstComma(c.Arg.Text);
         Stored(c, c.Script.state.SetVariableValue(s.First,
                                                   SanitizeFileName(s.HasComma ? s.Rest : "_")));
       }},

      // Chart images.
      SaveImage("FREQUENCYDEVIATION.SAVEBITMAP", ChartTag::DEV),
      CopyImage("FREQUENCYDEVIATION.COPYBITMAP", ChartTag::DEV),
      SaveImage("MODULATIONPOWER.SAVEBITMAP", ChartTag::PM),
      CopyImage("MODULATIONPOWER.COPYBITMAP", ChartTag::PM),
      SaveImage("FFT.SAVEBITMAP", ChartTag::MPX),
      SaveImage("MPX.SAVEBITMAP", ChartTag::MPX),
      CopyImage("FFT.COPYBITMAP", ChartTag::MPX),
      CopyImage("MPX.COPYBITMAP", ChartTag::MPX),
      SaveImage("RF.SAVEBITMAP", ChartTag::RF),
      CopyImage("RF.COPYBITMAP", ChartTag::RF),
      SaveImage("BANDSCAN.SAVEBITMAP", ChartTag::BAND),
      CopyImage("BANDSCAN.COPYBITMAP", ChartTag::BAND),
      SaveImage("EXTENDEDBANDSCAN.SAVEBITMAP", ChartTag::EBND),

      // Other programs, the window, the socket clients.
      {"EXECUTE", ArgForm::NonEmpty, Execute},
      {"STATUSBARTEXT", ArgForm::Text, [](ScriptCall& c) { c.Host.SetStatusText(c.Arg.Text); }},
      {"GET", ArgForm::Text, [](ScriptCall& c) { c.Host.SocketGet(c.Arg.Text); }},
  };
  for (const ScriptCommand& c : commands) table.Add(c);
}

}  // namespace sondaro
