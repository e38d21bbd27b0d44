#pragma once
// What scripts reach outside the interpreter: the operations behind the
// buttons of the main window, the device link's wait state and the values of
// the placeholders. The program implements it by calling the same operations
// as its controls (app/wire_automation.cpp); tests provide their own.
#include <string>

#include "automation/placeholders.h"
#include "core/ports.h"
#include "core/shell.h"
#include "core/view.h"

namespace sondaro {

// Buttons a keyword presses, switches it sets and data files it writes. A
// part that lands later adds its own values here, a case in the program's
// host and a line in the keyword table.
enum class ScriptButton {
  SetAsNormal,           // "Carrier Offset" > "Set as Normal"
  ModulationPowerRun,    // "Run" of the modulation power page
  ModulationPowerStop,   // "Stop"
  ModulationPowerClear,  // "Clear"
  RdsClear,              // ProcessRDS(true)
  RawRun,                // raw RDS capture "Run"
  RawStop,               // "Stop"
  RawClear,              // "Clear"
};

enum class ScriptSwitch {
  ShowHistogram,  // deviation page: histogram (on) or accumulated distribution
};

enum class ScriptData {
  Histogram,        // 122 lines "i;count"
  ModulationPower,  // one stored value per line
  Spectrum,         // UlozData("MPX"), which reports its own failure
  RdsText,          // the RDS page's text box
  RawGroups,        // SaveRawData
};

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // Device link: commands, the wait for replies, the activity stamp.
  virtual void Send(const std::string& command) = 0;
  [[nodiscard]] virtual bool CommandQueueEmpty() const = 0;
  [[nodiscard]] virtual bool MaSeCekat() const = 0;
  virtual void StampActivity() = 0;
  // "Connect" / "Disconnect" buttons and the "Connection Type" box.
  [[nodiscard]] virtual bool ConnectEnabled() const = 0;
  [[nodiscard]] virtual bool DisconnectEnabled() const = 0;
  // Serial RS232 on COM<number>; false when the port list has no such entry.
  virtual bool SelectSerialPort(int number) = 0;
  // Ethernet TCP/IP to `host` ("host" or "host:port"); the port field stays.
  virtual void SelectTcpHost(const std::string& host) = 0;
  virtual void PressConnect() = 0;
  virtual void PressDisconnect() = 0;

  // Mode and tuning: SetMode then SendMode; the first frequency list entry
  // whose text contains `text` (the selection stays when none does); "Tune".
  virtual void SetModeAndSend(int mode) = 0;
  virtual void SelectFrequencyContaining(const std::string& text) = 0;
  virtual void PressTune() = 0;

  // Measurement and RDS pages; files relative to the program folder.
  virtual void Press(ScriptButton button) = 0;
  virtual void SetSwitch(ScriptSwitch which, bool on) = 0;
  // False when the file could not be written.
  virtual bool SaveData(ScriptData what, const std::string& path) = 0;
  // UlozObrazek (reports its own failure) and KopirujObrazek.
  virtual void SaveChartImage(ChartTag tag, const std::string& path) = 0;
  virtual void CopyChartImage(ChartTag tag) = 0;

  // The main window.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void ShowPage(int index) = 0;
  virtual void CloseMainWindow() = 0;
  virtual Dialogs& GetDialogs() = 0;
  virtual Shell* GetShell() = 0;  // null where nothing may be launched
  [[nodiscard]] virtual const std::string& AppFolder() const = 0;
  // GET: the text to every socket control client.
  virtual void SocketGet(const std::string& text) = 0;

  // What a stopped script stops with it: a running bandscan, the MPX / RF
  // acquisition, the recorder.
  virtual void StopRunningWork() = 0;

  // Placeholder values, read once per line that has a placeholder.
  virtual void ReadReadings(ScriptReadings& into) const = 0;
  // Bandscan station detail (selector 0..4) of the 1-based station; empty
  // when there is no such station.
  [[nodiscard]] virtual std::string GetStationDetail(int selector, long long station) const = 0;
};

}  // namespace sondaro
