#pragma once
// The settings file "kaveli.ini" and the one store of every persistent
// setting of the program.
//
// The store holds a value for every key of every section, typed and with its
// default, in the order the file is written (SettingsTable). Loading reads
// the file into the store; saving writes the store into the file, walking the
// same table. Keys whose owners are not running (or not built) keep the value
// the file had, so a load-then-save never loses them.
//
// HOW AN OWNER BINDS ITS VALUES (in its App::Wire<Name>(), app/wire_<name>.cpp):
//
//   settings.Bind(SettingsStage::MainValues,
//       [this](const Settings& s) {   // at start, after the file was read
//         deviation.Limit = s.GetInt("General", "DeviationLimit");
//       },
//       [this](Settings& s) {         // at close, before the file is written
//         s.SetInt("General", "DeviationLimit", deviation.Limit);
//       });
//
// - The loader pulls its values with the typed getters; the saver pushes the
//   current values back with the setters. Either may be empty.
// - Pick the stage by when the value must be applied:
//     MainValues   plain values into controls and flags (no side effects);
//     MainConnect  the saved "Connect" (the link only);
//     MainApply    actions that use loaded values: deviation limit change,
//                  theme apply, "Online Deviation and Signal" change,
//                  preferred mode, frequency list, bandscan calibration;
//     Scheduler    [Scheduler] (task scheduler dialog);
//     Dialogs      FTP, DIP, [MP3Recorder], [SocketControl]; the socket
//                  control server starts listening here when enabled.
//   Stages run in that order; within a stage, in the order of Bind calls.
// - Savers run in bind order, then the file is written in table order.
// - Section and key names compare without regard to case. Getting a key
//   that is not in the table yields its stored text (or "", 0, false); keep
//   to the table.
// - Dynamic keys: F0..F205; the bandscan stations Channel<n>, Noise<n>,
//   Signal<n>, PI<n>, PS<n> for n = 1..StationCount (set StationCount first,
//   then the station keys); Scheduler Days<n>, Times<n>, Execute<n> for
//   n = 1..48; [SerialDevices] COM1..COM256 (device path overrides of the
//   serial port list, written only when set).
//
// Where the file lives, decided once when the store is made: AppFolder +
// "kaveli.ini" wherever the program folder is writable (a missing file there
// means a fresh start, whatever other copies exist). Only where the folder
// cannot be written (a system-wide installation) the per-user file
// $XDG_CONFIG_HOME/sondaro/kaveli.ini (~/.config/sondaro/kaveli.ini) is used,
// for reading and writing alike.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ini_file.h"
#include "core/text.h"

namespace sondaro {

enum class SettingType { String, Integer, Boolean };

// Which of the three start-up reads loads a key.
enum class SettingsLoad { Main, Scheduler, Dialogs };

struct SettingDef {
  std::string Section;
  std::string Key;
  SettingType Type;
  std::string Default;  // as file text: "1", "quillet.exe"
  SettingsLoad Load;
  bool Quoted = false;        // written wrapped in double quotes
  bool OnlyWhenSet = false;   // written only when not empty
};

inline constexpr int kBandscanChannels = 206;
inline constexpr int kSchedulerTasks = 48;
inline constexpr int kSerialDeviceKeys = 256;
inline constexpr const char* kSettingsFileName = "kaveli.ini";

// Every key of the file in the order SaveSettings writes it.
[[nodiscard]] std::vector<SettingDef> SettingsTable(int stationCount, const std::string& appFolder);

enum class SettingsStage { MainValues, MainConnect, MainApply, Scheduler, Dialogs };

// Where SaveSettings put the file.
struct SettingsSaveResult {
  bool Written = false;
  bool UsedUserCopy = false;  // the per-user file is the one in use
  std::string Path;           // file written, or the last one tried
};

class Settings {
 public:
  using Loader = std::function<void(const Settings&)>;
  using Saver = std::function<void(Settings&)>;

  // appFolder with a trailing "/". userFolder: the per-user fallback folder
  // (with a trailing "/"); empty means $XDG_CONFIG_HOME/sondaro/ or
  // ~/.config/sondaro/.
  explicit Settings(std::string appFolder, std::string userFolder = {});

  void Bind(SettingsStage stage, Loader load, Saver save = {});

  [[nodiscard]] std::string GetString(std::string_view section, std::string_view key) const;
  [[nodiscard]] int GetInt(std::string_view section, std::string_view key) const;
  [[nodiscard]] bool GetBool(std::string_view section, std::string_view key) const;
  void SetString(std::string_view section, std::string_view key, std::string_view value);
  void SetInt(std::string_view section, std::string_view key, int value);
  void SetBool(std::string_view section, std::string_view key, bool value);
  // The table's definition of a key, if it has one (dynamic keys included).
  [[nodiscard]] const SettingDef* Find(std::string_view section, std::string_view key) const;

  // The three start-up reads, in this order: main window, task scheduler,
  // dialogs. Each reads the file afresh and runs the loaders of its stages.
  void LoadMainSettings();
  void LoadSchedulerSettings();
  void LoadDialogSettings();
  // Runs the savers and writes every key. Does nothing (and reports nothing
  // written) when the settings were never loaded, so a run that failed
  // before start-up finished cannot overwrite the file with defaults.
  SettingsSaveResult SaveSettings();

  [[nodiscard]] std::string FilePath() const { return appFolder_ + kSettingsFileName; }
  [[nodiscard]] std::string UserFilePath() const { return userFolder_ + kSettingsFileName; }
  // The one file read and written: FilePath, or UserFilePath where the
  // program folder cannot be written.
  [[nodiscard]] std::string ActiveFilePath() const {
    return usesUserFolder_ ? UserFilePath() : FilePath();
  }
  [[nodiscard]] bool UsesUserFolder() const { return usesUserFolder_; }
  // The file the last load read (ActiveFilePath once loaded).
  [[nodiscard]] const std::string& LoadedFrom() const { return loadedFrom_; }
  [[nodiscard]] bool Loaded() const { return loaded_; }
  // The main load found no file: the program's first start here.
  [[nodiscard]] bool FirstStart() const { return noFileAtStart_; }
  [[nodiscard]] const std::string& AppFolder() const { return appFolder_; }

 private:
  struct Binding {
    SettingsStage Stage;
    Loader Load;
    Saver Save;
  };
  [[nodiscard]] IniFile ReadFile();
  void ReadKeys(const IniFile& ini, SettingsLoad load);
  void RunLoaders(SettingsStage stage) const;
  void Rebuild();
  // A key by section and name. Lookups compare both without regard to case
  // and build no string (a load makes thousands of them).
  struct KeyId {
    std::string Section;
    std::string Key;
  };
  struct KeyIdView {
    std::string_view Section;
    std::string_view Key;
  };
  struct KeyIdHash {
    using is_transparent = void;
    template <class K>
    std::size_t operator()(const K& k) const {
      return NoCaseHash{}(k.Section) * 31 + NoCaseHash{}(k.Key);
    }
  };
  struct KeyIdEqual {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return EqualsNoCase(a.Section, b.Section) && EqualsNoCase(a.Key, b.Key);
    }
  };
  template <class V>
  using KeyMap = std::unordered_map<KeyId, V, KeyIdHash, KeyIdEqual>;
  // The stored text of a key, made empty when there is none yet.
  std::string& Value(std::string_view section, std::string_view key);
  [[nodiscard]] const std::string* Stored(std::string_view section, std::string_view key) const;

  std::string appFolder_;
  std::string userFolder_;
  bool usesUserFolder_;
  std::string loadedFrom_;
  bool loaded_ = false;
  bool noFileAtStart_ = false;
  std::vector<SettingDef> table_;
  int tableStations_ = 0;       // bandscan stations the table has keys for
  KeyMap<std::size_t> index_;   // -> position in table_
  KeyMap<std::string> values_;  // -> file text
  std::vector<Binding> bindings_;
};

}  // namespace sondaro
