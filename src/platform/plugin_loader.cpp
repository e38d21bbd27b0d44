#include "platform/plugin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <vector>

namespace sondaro {
namespace {

std::string ProgramFolder() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<std::string> Folders() {
  std::vector<std::string> folders;
  const std::string own = ProgramFolder();
  if (!own.empty()) folders.push_back(own);
#ifdef SONDARO_MODULE_RELDIR
  if (!own.empty()) folders.push_back(own + "/" + SONDARO_MODULE_RELDIR);  // as installed
#endif
#ifdef SONDARO_BUILD_MODULE_DIR
  folders.push_back(SONDARO_BUILD_MODULE_DIR);  // test programs run from the build tree
#endif
  return folders;
}

}  // namespace

std::string ModuleSearchPath() {
  std::string out;
  for (const std::string& f : Folders()) out += (out.empty() ? "" : ":") + f;
  return out;
}

void* LoadModuleEntry(const std::string& name, const char* entry, std::string& error) {
  static std::mutex mutex;
  static std::map<std::string, void*> opened;  // modules stay loaded for the process's life
  std::lock_guard lock(mutex);
  const std::string file = "lib" + name + ".so";
  void* handle = nullptr;
  if (auto it = opened.find(name); it != opened.end()) {
    handle = it->second;
  } else {
    std::string lastError;
    for (const std::string& folder : Folders()) {
      const std::string path = folder + "/" + file;
      if (access(path.c_str(), F_OK) != 0) continue;
      handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle) break;
      const char* why = dlerror();
      lastError = why ? why : "cannot be opened";
    }
    if (!handle) {
      error = lastError.empty() ? "module " + file + " not found (looked in " + ModuleSearchPath() + ")"
                                : "module " + file + " cannot be loaded: " + lastError;
      return nullptr;
    }
    opened[name] = handle;
  }
  dlerror();
  void* symbol = dlsym(handle, entry);
  if (!symbol) error = "module " + file + " has no entry point " + entry;
  return symbol;
}

}  // namespace sondaro
