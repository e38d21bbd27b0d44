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
// "+++" CR stops a running script. Every line is run, EXECUTE included: the
// server is off by default, listens on the loopback interface unless told
// otherwise, may ask for a token first, and turns away web browsers. Each
// client's lines are assembled on their own and run in the order in which
// they were completed; what one client may have waiting, and what it may
// leave unread, is bounded.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "automation/script_interpreter.h"
#include "automation/socket_lines.h"
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
  // When not empty, a client's first line must be this text.
  std::string Token;
};

inline constexpr const char* kPortInUseMessage = "Socket Control: TCP/IP port already in use!";
// Told to a client whose line was thrown away.
inline constexpr const char* kLineDroppedMessage =
    "Socket Control: line dropped, more than 20000 characters waiting\r\n";

class SocketControl {
 public:
  static constexpr Millis kLineTickMs = 100;
  // Unsent output a client may leave before it is disconnected.
  static constexpr std::size_t kMaxClientOutput = 4u << 20;
  // A client that closed its sending side is closed at the latest this
  // long after, even if its lines have not all run.
  static constexpr Millis kHalfClosedTimeoutMs = 30000;
  static constexpr std::size_t kMaxClients = 100;

  // `network` may be null (nothing can listen then).
  SocketControl(TimerSet& timers, View& view, NetworkFactory* network,
                ScriptInterpreter& script, Dialogs& dialogs);
  ~SocketControl();

  // Listens or stops as the settings say; on a listening failure shows why.
  // Used at start and when the dialog closes.
  void Apply();
  // Stops listening (at close).
  void Stop();
  // Listening on this port and address for this run only (the command
  // line); the settings, and so the settings file, stay as they are.
  void SetRunOverride(std::string port, std::string address);
  void ClearRunOverride() { override_.reset(); }
  // The command line: a port switches listening on for this run; an address
  // alone only changes where an enabled server listens.
  void ApplyCommandLine(const std::string& port, const std::string& address);
  // Enabled by the settings or by the run override.
  [[nodiscard]] bool Wanted() const { return override_ || Settings.Enabled; }
  // Sends text unchanged to every client; empty text sends nothing. A
  // client that leaves too much unread is disconnected.
  void SocConVratit(const std::string& text);
  // GET: the text, with CR LF when "Terminal Echo" is on.
  void Get(const std::string& text);
  // Arrival of bytes from a client.
  void ClientRead(int client, const std::string& chunk);
  // Line timer: runs the next complete line.
  void TimerSocConTimer();

  [[nodiscard]] bool Listening() const { return server_ && server_->IsListening(); }
  [[nodiscard]] int ListeningPort() const { return listeningPort_; }
  [[nodiscard]] std::size_t ClientCount() const;
  // Complete lines waiting to run, of every client.
  [[nodiscard]] std::size_t WaitingLines() const { return lines_.size(); }
  // Characters waiting: complete lines and unfinished ones.
  [[nodiscard]] std::size_t WaitingCharacters() const;
  [[nodiscard]] Timer& LineTimer() { return timerSocCon_; }

  SocketControlSettings Settings;
  // Where refusals and disconnections are told besides the status bar.
  std::function<void(const std::string&)> Log;

 private:
  struct Peer {
    ClientLines Input;
    std::size_t WaitingLines = 0, WaitingChars = 0;  // complete, not yet run
    bool Authenticated = false;
    bool InputClosed = false;  // half-closed: runs its lines, then closes
    bool Closing = false;
    Millis InputClosedAt = 0;
  };
  struct Line {
    int Client;
    std::string Text;
  };
  Peer& PeerOf(int client);
  // Queues a complete line, or refuses the client; false when it is gone.
  bool Take(int client, Peer& peer, std::string line);
  // Disconnects a client and forgets its waiting lines.
  void Drop(int client, const std::string& why);
  void Tell(int client, const std::string& text);
  void LineDropped(int client);
  void Notice(const std::string& text);
  TcpServerClient* Find(int client) const;
  void InputClosed(int client);
  void CloseFinishedClients();
  [[nodiscard]] bool TimerWanted() const;
  [[nodiscard]] std::string ListenFailure(const std::string& address, int port) const;

  Clock& clock_;
  View& view_;
  ScriptInterpreter& script_;
  Dialogs& dialogs_;
  struct Endpoint {
    std::string Port, Address;
  };
  std::optional<Endpoint> override_;
  std::unique_ptr<TcpServer> server_;
  std::map<int, Peer> peers_;
  std::deque<Line> lines_;
  int runningClient_ = 0;  // whose line the script runs; 0 none
  Timer timerSocCon_;
  int listeningPort_ = -1;
  std::string listeningAddress_;
  std::string listeningToken_;
};

// The port of the settings field: 23 unless a whole number 0..65535.
[[nodiscard]] int SocketPortNumber(const std::string& text);

}  // namespace sondaro
