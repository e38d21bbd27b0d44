#pragma once
// Run-time modules: libraries that only some users need (sound-card input,
// FTP with its TLS stack, the web view) live in modules of their own, opened
// on first use, so a start that never needs them never pays for loading them.
#include <string>

namespace sondaro {

// Opens the run-time module `name` (file lib<name>.so: beside the program,
// then the private module folder) once, and returns the address of its C
// entry point `entry`, or nullptr with `error` set to a message that says
// which module is missing or broken.
void* LoadModuleEntry(const std::string& name, const char* entry, std::string& error);

// The folders searched, in order (for messages and tests).
std::string ModuleSearchPath();

}  // namespace sondaro
