// A kaveli.ini edited by hand, read at start: every owner loads its keys from
// it (the scheduler's Times, the FTP account, the link's host and port ...).
// Nothing may crash, the file written back reads in to the same file, and
// the texts the owners decode from single values keep their contracts.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "core/ini_file.h"
#include "fuzz_app.h"

using namespace sondaro;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The decoders of single values, on any value of the file.
void CheckValue(const std::string& v) {
  TimeSlots slots{};
  DecodeTimes(v, slots);
  TimeSlots again{};
  DecodeTimes(EncodeTimes(slots), again);
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i].IsSet() && !(again[i] == slots[i])) std::abort();

  const FtpHostPort ftp = ParseFtpHost(v);
  if (ftp.Port < 1 || ftp.Port > 65535) std::abort();
  const TcpTarget tcp = ResolveTcpTarget(v, v);
  if (tcp.Port < 0 || tcp.Port > 65535) std::abort();
  if (Odsifruj(Zasifruj(v)) != v) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const IniFile ini = IniFile::Parse(text);
  for (const std::string& s : ini.Sections())
    for (const std::string& k : ini.Keys(s)) CheckValue(ini.ReadString(s, k, ""));

  fuzz::FuzzApp& f = fuzz::FuzzApp::Get();
  const fuzz::ResetAfter reset(f);
  App& app = f.app;
  const std::string path = app.settings.FilePath();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  app.LoadSettings();
  f.Advance(100);
  // Writing the whole file costs a hundred loads; one input in 64 (by its
  // bytes, so a finding repeats) goes round the trip.
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < size; ++i) sum = static_cast<std::uint8_t>(sum * 31 + data[i]);
  if (sum % 64 != 0) return 0;
  // What was written reads in to itself. A connection made meanwhile may
  // have split a "host:port" Host into Host and Port (the same target), so
  // the fixed point is taken from the second save on.
  auto roundTrip = [&f, &app, &path] {
    if (!app.settings.SaveSettings().Written) std::abort();
    const std::string saved = ReadFile(path);
    app.LoadSettings();
    f.Advance(100);
    return saved;
  };
  roundTrip();
  const std::string second = roundTrip();
  if (!app.settings.SaveSettings().Written) std::abort();
  if (ReadFile(path) != second) std::abort();
  return 0;
}
