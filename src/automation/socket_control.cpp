#include "automation/socket_control.h"

#include "core/text.h"

namespace sondaro {

namespace {

constexpr char kBackspace = '\b';

// Applies backspaces from `from` on: each one deletes itself and the
// character before it, or only itself at the very start. One pass, so a
// flood of backspaces costs no more than its length.
void ApplyBackspaces(std::string& text, std::size_t from) {
  std::size_t out = from;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] != kBackspace) text[out++] = text[i];
    else if (out > 0) --out;
  }
  text.resize(out);
}

}  // namespace

int SocketPortNumber(const std::string& text) {
  const auto n = ReadInt(text);
  return n && *n >= 0 && *n <= 65535 ? static_cast<int>(*n) : 23;
}

SocketControl::SocketControl(TimerSet& timers, View& view, NetworkFactory* network,
                             ScriptInterpreter& script, Dialogs& dialogs)
    : view_(view),
      script_(script),
      dialogs_(dialogs),
      server_(network ? network->MakeTcpServer() : nullptr),
      timerSocCon_(timers, kLineTickMs, false, [this] { TimerSocConTimer(); }) {
  if (server_)
    server_->OnClientRead = [this](TcpServerClient&, const std::string& chunk) {
      ClientRead(chunk);
    };
}

SocketControl::~SocketControl() { Stop(); }

void SocketControl::SetRunOverride(std::string port, std::string address) {
  override_ = Endpoint{std::move(port), std::move(address)};
}

void SocketControl::Apply() {
  const Endpoint wanted = override_.value_or(Endpoint{Settings.Port, Settings.Address});
  const int port = SocketPortNumber(wanted.Port);
  const std::string address = Trim(wanted.Address).empty() ? "0.0.0.0" : Trim(wanted.Address);
  if (!Wanted()) {
    Stop();
    return;
  }
  // Unchanged settings keep the listener and its clients.
  if (Listening() && port == listeningPort_ && address == listeningAddress_) return;
  Stop();
  if (server_ && server_->Listen(address, port)) {
    listeningPort_ = port;
    listeningAddress_ = address;
  } else {
    dialogs_.ShowError(kPortInUseMessage);
  }
  view_.Changed(Area::SocketControl);
}

void SocketControl::Stop() {
  if (server_) server_->Stop();
  listeningPort_ = -1;
  listeningAddress_.clear();
  view_.Changed(Area::SocketControl);
}

std::size_t SocketControl::ClientCount() const { return server_ ? server_->Clients().size() : 0; }

void SocketControl::SocConVratit(const std::string& text) {
  if (text.empty() || !server_) return;
  // Each client on its own: a failing one does not keep the text from the
  // others.
  for (TcpServerClient* client : server_->Clients()) {
    try {
      client->Write(text);
    } catch (const std::exception&) {
    }
  }
}

void SocketControl::Get(const std::string& text) {
  SocConVratit(Settings.Echo ? text + std::string(kCrLf) : text);
}

void SocketControl::ClientRead(const std::string& chunk) {
  if (chunk.find('\r') != std::string::npos) timerSocCon_.SetEnabled(true);
  if (Settings.Echo) SocConVratit(ReplaceAll(chunk, "\r", kCrLf));
  if (chunk.empty() || socketInput_.size() > kSocketInputLimit) return;
  const std::size_t before = socketInput_.size();
  socketInput_ += chunk;
  // The buffer holds no backspace between arrivals, so the first one is in
  // the new text.
  if (const auto bs = socketInput_.find(kBackspace, before); bs != std::string::npos)
    ApplyBackspaces(socketInput_, bs);
  if (socketInput_.find("+++\r") != std::string::npos) {
    if (script_.Running()) script_.StopScript();
    socketInput_ = RemoveAll(std::move(socketInput_), "+++\r");
  }
}

void SocketControl::TimerSocConTimer() {
  if (!Wanted()) {
    timerSocCon_.SetEnabled(false);
    return;
  }
  if (script_.Running() || socketInput_.empty()) return;
  if (const auto cr = socketInput_.find('\r'); cr != std::string::npos) {
    std::string line = socketInput_.substr(0, cr);
    socketInput_.erase(0, cr + 1);
    line = RemoveAll(std::move(line), "\n");
    for (char& c : line)
      if (static_cast<unsigned char>(c) < 32) c = ' ';
    script_.ExeScript(kSocketPrefix + line);
  }
  if (socketInput_.find('\r') == std::string::npos) timerSocCon_.SetEnabled(false);
}

}  // namespace sondaro
