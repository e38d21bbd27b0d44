// A settings file edited by hand can hold anything. Reading it must never
// crash, values stay within the read limit, and writing keys into it and
// reading the result back gives the values written.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/ini_file.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  IniFile ini = IniFile::Parse(text);
  for (const char* section : {"General", "Bandscan", "Scheduler", ""})
    for (const char* key : {"Top", "Host", "Times1", "F0", ""}) {
      if (ini.ReadString(section, key, "").size() > IniFile::kMaxValueLength) std::abort();
      (void)ini.ReadInteger(section, key, 7);
      (void)ini.ReadBool(section, key, true);
    }
  for (const std::string& s : ini.Sections())
    for (const std::string& k : ini.Keys(s)) (void)ini.Find(s, k);

  // Writing over whatever is there.
  ini.WriteString("General", "Host", "10.0.0.1");
  ini.WriteInteger("Bandscan", "F0", -42);
  ini.WriteString("Scheduler", "Times1", "\"  AB  \"");
  const IniFile again = IniFile::Parse(ini.Text());
  if (again.ReadString("General", "Host", "") != "10.0.0.1") std::abort();
  if (again.ReadInteger("Bandscan", "F0", 0) != -42) std::abort();
  if (again.ReadString("Scheduler", "Times1", "") != "  AB  ") std::abort();
  // The text is stable once written.
  if (IniFile::Parse(again.Text()).Text() != again.Text()) std::abort();
  return 0;
}
