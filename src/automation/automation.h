#pragma once
// The automation subsystem as one piece: the script interpreter with its
// keyword table, and the socket control server that feeds it lines. The
// program lends it a ScriptHost with the operations scripts reach.
#include <functional>
#include <memory>

#include "automation/script_host.h"
#include "automation/script_interpreter.h"
#include "automation/socket_control.h"

namespace sondaro {

// What only the window can do; headless, EXIT ends the event loop.
struct AutomationUi {
  std::function<void(int page)> ShowPage;  // PAGE.SHOW
  std::function<void()> CloseMainWindow;   // EXIT
};

class Automation {
 public:
  Automation(TimerSet& timers, View& view, std::unique_ptr<ScriptHost> host,
             NetworkFactory* network)
      : host_(std::move(host)),
        script(timers, view, *host_),
        socket(timers, view, network, script, host_->GetDialogs()) {}

  [[nodiscard]] ScriptHost& Host() { return *host_; }

 private:
  std::unique_ptr<ScriptHost> host_;

 public:
  ScriptInterpreter script;
  SocketControl socket;
  AutomationUi ui;
};

}  // namespace sondaro
