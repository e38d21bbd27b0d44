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
  std::vector<std::string> Plain;  // every plain parameter, in order
  std::string ScriptFile;  // the plain parameter when it is the only one
  // --socket-port N, --socket-address A: socket control for this run only.
  std::string SocketPort, SocketAddress;
  // --metrics-port N, --metrics-address A: the metrics endpoint for this run.
  std::string MetricsPort, MetricsAddress;
  // --web-port N, --web-address A: the web view for this run.
  std::string WebPort, WebAddress;
  std::vector<std::string> Errors;
};

[[nodiscard]] ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// A file name as given on the command line: made absolute against the
// folder the program was started from when it exists there, else kept (a
// script then looks for it in the program folder).
[[nodiscard]] std::string ResolvedStartName(const std::string& name);

// Runs the program until its window closes or, headless, until SIGTERM or
// SIGINT; both end through the normal close path. Returns the exit code.
int RunProgram(int argc, char** argv, const ProgramOptions& options);

}  // namespace sondaro
