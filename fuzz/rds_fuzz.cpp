// RDS texts come from the analyzer and from a radio channel: any bytes may
// arrive as a field, a statistics reply or a raw group. Nothing may crash,
// every raw group line keeps its fixed 46-character layout, and the
// statistics lines never grow past four entries.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "rds/consistency.h"
#include "rds/raw_capture.h"
#include "rds/rds_data.h"

using namespace sondaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  if (RawGroupLine(ParseRawGroup(text)).size() != 46) std::abort();

  const GroupStats stats = ParseGroupStatistics(text);
  for (const auto* lines : {&stats.A, &stats.B})
    for (std::size_t i = 0; i < 3; ++i)
      if ((*lines)[i].size() > 50) std::abort();

  const std::string pty = FormatPty(text, size % 2 == 0);
  if (pty.find(" (") == std::string::npos) std::abort();

  // Every field from the same bytes, then the report over them.
  RdsData d;
  d.PS = d.PI = d.TP = d.TA = d.MS = d.PTYN = d.RT = text;
  d.PTY = text;
  d.AF = FormatAf(text);
  d.EON = FormatEon(text);
  d.ECC = FormatEcc(text);
  const std::string report = ErrorsAndWarnings(d);
  if (!report.empty() && report.rfind("\r\n", 0) != 0) std::abort();
  (void)RdsPageLines(d);
  return 0;
}
