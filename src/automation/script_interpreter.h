#pragma once
// The script interpreter: loads a script file or one socket line and runs it
// one line per tick of its timer, and only while the device link is idle, so
// a line that queues device commands is followed by the next one only after
// the analyzer has answered.
//
//   SEND(?F)                 queued; the next tick waits for "Frequency"
//   SAVETEXT(f.txt,%frequency%cr)   already sees the new frequency
#include <cstdint>
#include <string>

#include "automation/placeholders.h"
#include "automation/script_commands.h"
#include "automation/script_host.h"
#include "automation/script_state.h"
#include "core/timer.h"
#include "core/view.h"

namespace sondaro {

// What the script panel of the main window shows.
struct ScriptPanel {
  std::string Caption = "Script";  // file name without folder, or the socket line
  bool Loaded = false;             // indicator: yellow when true, else maroon
  bool RunEnabled = true;          // "Run" and File > "Run Script..."
  std::string RunCaption = "Run";  // the line being executed while running
  bool StopEnabled = false;
};

struct ScriptSettings {
  bool DebugMode = true;        // "Debug mode (stop on errors)"
  bool RegisterEnabled = true;  // "Register Script Files (*.fms)" still offered
  std::string DialogFolder;     // start folder of the script dialogs
};

inline constexpr const char* kSocketPrefix = "#SOCKET:";
inline constexpr const char* kScriptFilter = "Sondaro Script (*.fms)";

class ScriptInterpreter {
 public:
  static constexpr Millis kFileTickMs = 100;
  static constexpr Millis kSocketTickMs = 10;
  static constexpr Millis kLaunchDelayMs = 10;

  ScriptInterpreter(TimerSet& timers, View& view, ScriptHost& host);

  // Loads and starts a script file, or "#SOCKET:" + one line.
  void ExeScript(const std::string& source);
  // "Stop" of the script panel; also STOP, PROCEDURE and a missing ENDIF.
  void StopScript();
  // Ends the run and resets the panel; the variables stay.
  void KonecScriptu();
  // The script error report: a box with the line number, shown only in
  // debug mode while a script is loaded. The script goes on after OK.
  void DebugError(const std::string& message);
  // Script tick: runs the next line when nothing holds it back.
  void Timer13Timer();
  void StackPush(int line);
  [[nodiscard]] int StackPop();

  // "Run" button and File > "Run Script...": file dialog, then ExeScript.
  void RunScript1Click();
  // Edit > "Script Editor...": file dialog, then the user's text editor.
  void ScriptEditor1Click();
  // The script file given on the command line runs 10 ms after start.
  void RunAfterLaunch(const std::string& file);
  // BANDSCAN.ACQUIRE pauses the run; the end of the scan resumes it.
  void PauseRun() { timer13_.SetEnabled(false); }
  void ResumeRun();

  [[nodiscard]] bool Running() const { return !panel.RunEnabled; }
  // A line is still inside its keyword: a message box or another modal
  // dialog of it is open (stopping the script does not close it).
  [[nodiscard]] bool LineExecuting() const { return executing_ > 0; }
  [[nodiscard]] Timer& Timer13() { return timer13_; }
  [[nodiscard]] CommandTable& Commands() { return commands_; }
  [[nodiscard]] ScriptHost& Host() { return host_; }
  [[nodiscard]] Clock& GetClock() { return clock_; }

  ScriptState state;
  ScriptPanel panel;
  // Where a call's argument stops growing, and how deep calls nest (the fuzz
  // targets lower both: the same paths, for a fraction of the copying and
  // in fewer lines).
  std::size_t MaxArgumentLength = kMaxArgumentLength;
  std::size_t MaxCallDepth = ScriptState::kMaxCallDepth;
  ScriptSettings Settings;

 private:
  void ExecuteLine(const std::string& line);
  // The script file dialog; its folder becomes the next start folder.
  std::string AskScriptFile(const std::string& caption);
  void Report(const std::string& message);
  void ShowPanel(bool running, const std::string& caption);

  Clock& clock_;
  View& view_;
  ScriptHost& host_;
  CommandTable commands_;
  Timer timer13_;
  Timer launchTimer_;
  std::string launchFile_;
  // Counts runs, so a line that started another script (or during whose
  // message box another one started) leaves the new run's position alone.
  std::uint64_t run_ = 0;
  int executing_ = 0;
};

}  // namespace sondaro
