// Lines per second the script interpreter runs when nothing holds it back:
// the script tick called back to back, so what is measured is the line
// itself (parsing, placeholders, the keyword table, control flow). The
// program runs one line per 100 ms (10 ms for socket lines) by design; the
// interpreter must be far from that limit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "app/app.h"
#include "../tests/support/fakes.h"

using namespace sondaro;

namespace {

struct Rig {
  explicit Rig(const std::string& script) {
    std::ofstream(path, std::ios::binary) << script;
    AppPorts ports{clock, serial, tcp, dialogs};
    app = std::make_unique<App>(ports);
    app->link.state.FrequencyText = " 98.50 MHz";
    app->link.state.LevelText = "  54 dBuV";
    app->automation.script.ExeScript(path);
  }
  ~Rig() { std::filesystem::remove(path); }
  std::string path = std::filesystem::temp_directory_path() / "sondaro-bench.fms";
  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  SilentDialogs dialogs;
  std::unique_ptr<App> app;
};

void RunLines(benchmark::State& state, const std::string& script) {
  Rig rig(script);
  ScriptInterpreter& s = rig.app->automation.script;
  for (auto _ : state) s.Timer13Timer();
  state.SetItemsProcessed(state.iterations());
  if (!s.Running()) state.SkipWithError("the script ended");
}

// Variables, a condition and a jump: no placeholders.
void BM_ControlLines(benchmark::State& state) {
  RunLines(state,
           "SET(n,0)\r\n"
           "loop:\r\n"
           "INC(n)\r\n"
           "IF(5>3)\r\n"
           "SET(state,measuring)\r\n"
           "ENDIF\r\n"
           "GOTO(loop)\r\n");
}
BENCHMARK(BM_ControlLines);

// Arguments with built-in placeholders and user variables: the whole chain.
void BM_PlaceholderLines(benchmark::State& state) {
  RunLines(state,
           "SET(station,RADIO 1)\r\n"
           "loop:\r\n"
           "SET(line,%date %time;%freq;%frequency_;%level_;%station;%quality%cr)\r\n"
           "STATUSBARTEXT(%station on %frequency, %level)\r\n"
           "INC(count)\r\n"
           "GOTO(loop)\r\n");
}
BENCHMARK(BM_PlaceholderLines);

// Lines that match no keyword: comments, labels.
void BM_CommentLines(benchmark::State& state) {
  std::string script = "top:\r\n";
  for (int i = 0; i < 20; ++i) script += "; measure the station again and again\r\n";
  script += "GOTO(top)\r\n";
  RunLines(state, script);
}
BENCHMARK(BM_CommentLines);

}  // namespace

// A mebibyte argument with a thousand user variables: every "%" of the text
// looked up once in a table of all names, instead of one pass over the text
// per name.
void BM_PlaceholdersOfAMebibyte(benchmark::State& state) {
  ScriptReadings readings;
  readings.FrequencyText = " 98.50 MHz";
  std::vector<ScVar> vars;
  for (int i = 0; i < 1000; ++i) vars.push_back({"VAR" + std::to_string(i), "value " + std::to_string(i)});
  std::string argument;
  for (int i = 0; argument.size() < (1u << 20); ++i)
    argument += "reading %frequency, %var" + std::to_string(i % 1000) + " and 100% of %cr text; ";
  argument.resize(1u << 20);
  ScriptState numbers;
  const PlaceholderSources sources{readings, vars, 0, {}, [&numbers](std::string_view t) {
                                     return numbers.StrToNumber(t);
                                   }};
  for (auto _ : state) benchmark::DoNotOptimize(ReplacePlaceholders(argument, sources));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_PlaceholdersOfAMebibyte)->Unit(benchmark::kMillisecond);
