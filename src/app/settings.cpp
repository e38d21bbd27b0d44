#include "app/settings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "core/text.h"

namespace sondaro {

namespace {

using T = SettingType;
using L = SettingsLoad;

const char* BoolText(bool v) { return v ? "1" : "0"; }

// An owner value may hold anything; a line break would end the line and
// start a stray key.
std::string OneLine(std::string value) {
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  return value;
}

std::string DefaultUserFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
    return std::string(xdg) + "/sondaro/";
  if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    return std::string(home) + "/.config/sondaro/";
  return {};
}

// A folder the program may create kaveli.ini in. A folder path that runs
// through a plain file or a read-only mount fails here too.
bool FolderWritable(const std::string& folder) {
  return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::vector<SettingDef> SettingsTable(int stationCount, const std::string& appFolder) {
  std::vector<SettingDef> t;
  auto add = [&t](const char* section, std::string key, T type, std::string def,
                  L load = L::Main) { t.push_back({section, std::move(key), type, std::move(def), load}); };
  auto general = [&add](std::string key, T type, std::string def, L load = L::Main) {
    add("General", std::move(key), type, std::move(def), load);
  };

  general("QuilletFile", T::String, "quillet.exe");
  general("Top", T::Integer, "1");
  general("Left", T::Integer, "1");
  general("COMPort", T::Integer, "0");
  general("CONType", T::Integer, "0");
  general("Host", T::String, "127.0.0.1");
  general("Port", T::String, "23");
  general("Hue", T::Integer, "37");
  general("Saturation", T::Integer, "37");
  general("Connect", T::Boolean, "0");
  general("RegisterEnabled", T::Boolean, "1");
  general("UseSystemFont", T::Boolean, "1");
  general("DebugMode", T::Boolean, "1");
  general("USPTY", T::Boolean, "0");
  general("Online", T::Boolean, "0");
  general("ScanRDS", T::Boolean, "0");
  general("Visible", T::Boolean, "1");
  general("Histogram", T::Boolean, "1");
  for (const char* key : {"FTPHost", "FTPUser", "FTPPass", "FTPRDir", "FTPLDir"})
    general(key, T::String, "", L::Dialogs);
  general("FTPPassive", T::Boolean, "0", L::Dialogs);
  general("FineTuning", T::Boolean, "0");
  general("DeviationLimit", T::Integer, "76");
  general("Frequency", T::Integer, "0");
  general("BandscanStyle", T::Integer, "4");
  general("BandscanGrid", T::Boolean, "0");
  general("RFMaxHold", T::Boolean, "0");
  general("RFMask", T::Boolean, "0");
  general("RFHistogram", T::Boolean, "0");
  general("DoubleTimebase", T::Boolean, "0");
  for (int n = 0; n < 5; ++n)
    general("DIP" + std::to_string(n), T::Integer, n == 2 ? "1" : "0", L::Dialogs);
  general("Mode", T::Integer, "0");

  add("Bandscan", "MaxSignal", T::Integer, "70");

  for (const char* key : {"SD1Dir", "SD2Dir", "SD3Dir", "OD1Dir"})
    general(key, T::String, appFolder);

  for (auto [key, def] : {std::pair{"Samplerate", "4"}, {"BitrateMono", "4"},
                          {"BitrateStereo", "8"}, {"Quality", "0"}})
    add("MP3Recorder", key, T::Integer, def, L::Dialogs);
  for (const char* key : {"Copyright", "CRC", "Original", "Private"})
    add("MP3Recorder", key, T::Boolean, "0", L::Dialogs);

  add("SocketControl", "Enabled", T::Boolean, "0", L::Dialogs);
  add("SocketControl", "Echo", T::Boolean, "0", L::Dialogs);
  add("SocketControl", "Port", T::String, "23", L::Dialogs);
  // Our own additions: the interface the server listens on, and the token a
  // client must send as its first line (none by default).
  add("SocketControl", "Address", T::String, "127.0.0.1", L::Dialogs);
  add("SocketControl", "Token", T::String, "", L::Dialogs);

  add("Bandscan", "Acquired", T::String, "");
  add("Bandscan", "BitmapWidth", T::Integer, "800");
  add("Bandscan", "BitmapHeight", T::Integer, "288");
  for (int n = 0; n < kBandscanChannels; ++n)
    add("Bandscan", std::string("F").append(std::to_string(n)), T::Integer, "0");
  add("Bandscan", "StationCount", T::Integer, "0");
  for (int n = 1; n <= stationCount; ++n) {
    const std::string s = std::to_string(n);
    add("Bandscan", "Channel" + s, T::Integer, "0");
    add("Bandscan", "Noise" + s, T::Integer, "999");
    add("Bandscan", "Signal" + s, T::Integer, "0");
    add("Bandscan", "PI" + s, T::String, "");
    add("Bandscan", "PS" + s, T::String, "");
  }
  for (const char* key : {"ShowFreq", "ShowPI", "ShowPS"})
    add("Bandscan", key, T::Boolean, "1");
  add("Bandscan", "Lock", T::Boolean, "0");
  add("Bandscan", "Width", T::Integer, "800");
  add("Bandscan", "Height", T::Integer, "600");
  add("Bandscan", "Left", T::Integer, "0");
  add("Bandscan", "Top", T::Integer, "0");
  // Our own addition: the unit of the stored levels, so that a restart
  // labels them as the scan did. Files without it follow the link's unit.
  add("Bandscan", "Unit", T::String, "");
  t.back().OnlyWhenSet = true;

  add("Scheduler", "Enabled", T::Boolean, "0", L::Scheduler);
  for (int n = 1; n <= kSchedulerTasks; ++n) {
    const std::string s = std::to_string(n);
    add("Scheduler", "Days" + s, T::Integer, "0", L::Scheduler);
    add("Scheduler", "Times" + s, T::String, std::string(48, '?'), L::Scheduler);
    t.back().Quoted = true;
    add("Scheduler", "Execute" + s, T::String, "", L::Scheduler);
    t.back().Quoted = true;
  }

  // Our own: the metrics endpoint, the RDS group log and the web view,
  // written only once set.
  for (auto [section, key] : {std::pair{"Metrics", "Port"}, {"Metrics", "Address"},
                              {"RdsGroupLog", "Enabled"}, {"RdsGroupLog", "Folder"},
                              {"Web", "Port"}, {"Web", "Address"}, {"Web", "Token"},
                              {"Web", "Hosts"}}) {
    add(section, key, T::String, "", L::Dialogs);
    t.back().OnlyWhenSet = true;
  }

  // Device path per serial port name, for ports the built-in mapping does
  // not reach (a pseudo-terminal, a udev alias).
  for (int n = 1; n <= kSerialDeviceKeys; ++n) {
    add("SerialDevices", "COM" + std::to_string(n), T::String, "");
    t.back().OnlyWhenSet = true;
  }
  return t;
}

Settings::Settings(std::string appFolder, std::string userFolder)
    : appFolder_(std::move(appFolder)),
      userFolder_(userFolder.empty() ? DefaultUserFolder() : std::move(userFolder)),
      usesUserFolder_(!FolderWritable(appFolder_) && !userFolder_.empty()) {
  Rebuild();
}

std::string& Settings::Value(std::string_view section, std::string_view key) {
  auto it = values_.find(KeyIdView{section, key});
  if (it == values_.end())
    it = values_.emplace(KeyId{std::string(section), std::string(key)}, std::string()).first;
  return it->second;
}

const std::string* Settings::Stored(std::string_view section, std::string_view key) const {
  const auto it = values_.find(KeyIdView{section, key});
  return it == values_.end() ? nullptr : &it->second;
}

void Settings::Rebuild() {
  int stations = 0;
  if (const std::string* count = Stored("Bandscan", "StationCount"))
    stations = ReadProfileInteger(*count).value_or(0);
  // At most one station per channel; a hand-edited count cannot blow up the table.
  stations = std::clamp(stations, 0, kBandscanChannels);
  if (stations == tableStations_ && !table_.empty()) return;  // the table it has
  tableStations_ = stations;
  table_ = SettingsTable(stations, appFolder_);
  index_.clear();
  for (std::size_t i = 0; i < table_.size(); ++i)
    index_.insert_or_assign(KeyId{table_[i].Section, table_[i].Key}, i);
}

void Settings::Bind(SettingsStage stage, Loader load, Saver save) {
  bindings_.push_back({stage, std::move(load), std::move(save)});
}

const SettingDef* Settings::Find(std::string_view section, std::string_view key) const {
  const auto it = index_.find(KeyIdView{section, key});
  return it == index_.end() ? nullptr : &table_[it->second];
}

std::string Settings::GetString(std::string_view section, std::string_view key) const {
  if (const std::string* v = Stored(section, key)) return *v;
  const SettingDef* def = Find(section, key);
  return def ? def->Default : std::string();
}

int Settings::GetInt(std::string_view section, std::string_view key) const {
  const SettingDef* def = Find(section, key);
  const int fallback = def ? ReadProfileInteger(def->Default).value_or(0) : 0;
  const std::string* v = Stored(section, key);
  return v ? ReadProfileInteger(*v).value_or(fallback) : fallback;
}

bool Settings::GetBool(std::string_view section, std::string_view key) const {
  return GetInt(section, key) != 0;
}

void Settings::SetString(std::string_view section, std::string_view key, std::string_view value) {
  Value(section, key) = value;
  if (EqualsNoCase(section, "Bandscan") && EqualsNoCase(key, "StationCount")) Rebuild();
}

void Settings::SetInt(std::string_view section, std::string_view key, int value) {
  SetString(section, key, std::to_string(value));
}

void Settings::SetBool(std::string_view section, std::string_view key, bool value) {
  SetString(section, key, BoolText(value));
}

IniFile Settings::ReadFile() {
  loadedFrom_ = ActiveFilePath();
  return IniFile::Load(loadedFrom_);
}

void Settings::ReadKeys(const IniFile& ini, SettingsLoad load) {
  if (load == SettingsLoad::Main) {
    Value("Bandscan", "StationCount") =
        std::to_string(ini.ReadInteger("Bandscan", "StationCount", 0));
    Rebuild();
  }
  for (const SettingDef& def : table_) {
    if (def.Load != load) continue;
    std::string& value = Value(def.Section, def.Key);
    switch (def.Type) {
      case SettingType::String:
        value = ini.ReadString(def.Section, def.Key, def.Default);
        break;
      case SettingType::Integer:
        value = std::to_string(
            ini.ReadInteger(def.Section, def.Key, ReadProfileInteger(def.Default).value_or(0)));
        break;
      case SettingType::Boolean:
        value = BoolText(ini.ReadBool(def.Section, def.Key, def.Default == "1"));
        break;
    }
  }
}

void Settings::RunLoaders(SettingsStage stage) const {
  for (const Binding& b : bindings_)
    if (b.Stage == stage && b.Load) b.Load(*this);
}

void Settings::LoadMainSettings() {
  std::error_code ec;
  noFileAtStart_ = !std::filesystem::exists(ActiveFilePath(), ec);
  ReadKeys(ReadFile(), SettingsLoad::Main);
  loaded_ = true;
  RunLoaders(SettingsStage::MainValues);
  RunLoaders(SettingsStage::MainConnect);
  RunLoaders(SettingsStage::MainApply);
}

void Settings::LoadSchedulerSettings() {
  ReadKeys(ReadFile(), SettingsLoad::Scheduler);
  RunLoaders(SettingsStage::Scheduler);
}

void Settings::LoadDialogSettings() {
  ReadKeys(ReadFile(), SettingsLoad::Dialogs);
  RunLoaders(SettingsStage::Dialogs);
}

SettingsSaveResult Settings::SaveSettings() {
  SettingsSaveResult result;
  if (!loaded_) return result;
  for (const Binding& b : bindings_)
    if (b.Save) b.Save(*this);
  Rebuild();
  // Written into what the file holds now, so keys and lines the table does
  // not know (hand edits, stations beyond the count) stay.
  IniFile ini = IniFile::Load(ActiveFilePath());
  for (const SettingDef& def : table_) {
    std::string value = OneLine(GetString(def.Section, def.Key));
    if (def.OnlyWhenSet && value.empty()) continue;
    if (def.Type == SettingType::Integer) value = std::to_string(GetInt(def.Section, def.Key));
    if (def.Type == SettingType::Boolean) value = BoolText(GetBool(def.Section, def.Key));
    if (def.Quoted) value = "\"" + value + "\"";
    ini.WriteString(def.Section, def.Key, value);
  }
  result.Path = ActiveFilePath();
  result.UsedUserCopy = usesUserFolder_;
  if (usesUserFolder_) {
    std::error_code ec;
    std::filesystem::create_directories(userFolder_, ec);
  }
  // A read-only file is the user's word that the settings stay as they are.
  result.Written = ini.Save(result.Path);
  return result;
}

}  // namespace sondaro
