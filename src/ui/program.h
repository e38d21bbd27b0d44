#pragma once
// What a run of the program needs from its command line.
#include <string>
#include <vector>

namespace sondaro {

struct ProgramOptions {
  bool Headless = false;
  bool Simulate = false;
  std::string SimWorld;    // --sim-world FILE
  std::string SimModel;    // --sim-model M40|M140
  std::string ScriptFile;  // the one plain parameter
  // --socket-port N, --socket-address A: socket control for this run only.
  std::string SocketPort, SocketAddress;
  // --metrics-port N, --metrics-address A: the metrics endpoint for this run.
  std::string MetricsPort, MetricsAddress;
  std::vector<std::string> Errors;
};

[[nodiscard]] ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// Runs the program until its window closes or, headless, until SIGTERM or
// SIGINT; both end through the normal close path. Returns the exit code.
int RunProgram(int argc, char** argv, const ProgramOptions& options);

}  // namespace sondaro
