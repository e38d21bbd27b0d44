// An off-air group log the simulated analyzer replays: any text may be given
// with --rds-log. Reading it never crashes, every group it takes goes out as
// a "G" body that reads back to the same group (in the program's reader of
// that body, and as a line of the program's group log), and decoding the
// replay keeps its fixed layouts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/bulk_replies.h"
#include "sim/rds.h"

using namespace sondaro;
using namespace sondaro::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const RdsLogLoad load = ParseRdsLog(std::string(reinterpret_cast<const char*>(data), size));
  if (!load.Loaded) {
    if (load.Error.empty()) std::abort();
    return 0;
  }
  if (load.Loaded->Groups.empty()) std::abort();
  RdsDecoder decoder;
  for (const Group& g : load.Loaded->Groups) {
    const std::string body = GroupText(g);
    if (body.size() != 16) std::abort();
    // The same group as a line of the program's own group log.
    const RdsLogLoad again = ParseRdsLog(body.substr(0, 4) + " " + body.substr(4, 4) + " " +
                                         body.substr(8, 4) + " " + body.substr(12, 4) + " @x");
    if (!again.Loaded || again.Loaded->Groups.size() != 1) std::abort();
    const Group& back = again.Loaded->Groups[0];
    if (back.Missing != g.Missing) std::abort();
    const RawGroupBlocks blocks = SplitRawGroup(body);
    const std::string* parts[4] = {&blocks.A, &blocks.B, &blocks.C, &blocks.D};
    for (int i = 0; i < 4; ++i) {
      if (g.Missing & (1 << i)) {
        if (*parts[i] != "----") std::abort();
      } else if (back.Blocks[i] != g.Blocks[i] || *parts[i] != body.substr(4 * i, 4)) {
        std::abort();
      }
    }
    decoder.Feed(g);
  }
  for (const auto& [header, body] : decoder.DataSections())
    if (header.empty() || header.find('\r') != std::string::npos) std::abort();
  (void)decoder.StatisticsBody();
  return 0;
}
