// Sondaro: PC front end of the M40 / M140 FM broadcast analyzers.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/program.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const sondaro::ProgramOptions options = sondaro::ParseProgramOptions(args);
  for (const std::string& e : options.Errors) std::fprintf(stderr, "sondaro: %s\n", e.c_str());
  if (!options.Errors.empty()) {
    std::fprintf(stderr,
                 "usage: sondaro [--headless] [--simulate [--sim-world FILE] [--sim-model M40|M140]]\n"
                 "               [--socket-port N [--socket-address ADDR]]\n"
                 "               [--metrics-port N [--metrics-address ADDR]] [script.fms]\n");
    return 2;
  }
  return sondaro::RunProgram(argc, argv, options);
}
