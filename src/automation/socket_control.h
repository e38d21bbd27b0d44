#pragma once
// The socket control server: other programs connect over TCP and send script
// lines, one per CR; each line runs as a one-line script once the previous
// one (and the analyzer's answers to it) is done. Nothing goes back to a
// client unless a line asks for it with GET.
//
//   client: GETFREQUENCY\r
//   client: GET(%frequency%cr)\r
//   server: 98.50 MHz\r\n
//
// "+++" CR stops a running script. Every line is run as it arrives, EXECUTE
// included, and there is no password: the server is off by default and
// listens on the loopback interface unless told otherwise.
#include <memory>
#include <optional>
#include <string>

#include "automation/script_interpreter.h"
#include "core/ports.h"
#include "core/timer.h"
#include "core/view.h"

namespace sondaro {

struct SocketControlSettings {
  bool Enabled = false;  // "Enabled"
  bool Echo = false;     // "Terminal Echo"
  std::string Port = "23";  // "TCP/IP Port:", as typed
  // Interface to listen on: "127.0.0.1" this computer only; "" or "0.0.0.0"
  // every interface.
  std::string Address = "127.0.0.1";
};

inline constexpr const char* kPortInUseMessage = "Socket Control: TCP/IP port already in use!";
inline constexpr std::size_t kSocketInputLimit = 20000;

class SocketControl {
 public:
  static constexpr Millis kLineTickMs = 100;

  // `network` may be null (nothing can listen then).
  SocketControl(TimerSet& timers, View& view, NetworkFactory* network,
                ScriptInterpreter& script, Dialogs& dialogs);
  ~SocketControl();

  // Listens or stops as the settings say; on a listening failure shows the
  // port-in-use message. Used at start and when the dialog closes.
  void Apply();
  // Stops listening (at close).
  void Stop();
  // Listening on this port and address for this run only (the command
  // line); the settings, and so the settings file, stay as they are.
  void SetRunOverride(std::string port, std::string address);
  void ClearRunOverride() { override_.reset(); }
  // Enabled by the settings or by the run override.
  [[nodiscard]] bool Wanted() const { return override_ || Settings.Enabled; }
  // Sends text unchanged to every client; empty text sends nothing.
  void SocConVratit(const std::string& text);
  // GET: the text, with CR LF when "Terminal Echo" is on.
  void Get(const std::string& text);
  // Arrival of bytes from any client.
  void ClientRead(const std::string& chunk);
  // Line timer: runs the next complete line.
  void TimerSocConTimer();

  [[nodiscard]] bool Listening() const { return server_ && server_->IsListening(); }
  [[nodiscard]] int ListeningPort() const { return listeningPort_; }
  [[nodiscard]] std::size_t ClientCount() const;
  [[nodiscard]] const std::string& SocketInput() const { return socketInput_; }
  [[nodiscard]] Timer& LineTimer() { return timerSocCon_; }

  SocketControlSettings Settings;

 private:
  View& view_;
  ScriptInterpreter& script_;
  Dialogs& dialogs_;
  struct Endpoint {
    std::string Port, Address;
  };
  std::optional<Endpoint> override_;
  std::unique_ptr<TcpServer> server_;
  std::string socketInput_;
  Timer timerSocCon_;
  int listeningPort_ = -1;
  std::string listeningAddress_;
};

// The port of the settings field: 23 unless a whole number 0..65535.
[[nodiscard]] int SocketPortNumber(const std::string& text);

}  // namespace sondaro
