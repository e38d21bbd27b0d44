#include "automation/socket_control.h"

#include "core/privileged_port.h"
#include "core/text.h"

namespace sondaro {

int SocketPortNumber(const std::string& text) {
  const auto n = ReadInt(text);
  return n && *n >= 0 && *n <= 65535 ? static_cast<int>(*n) : 23;
}

SocketControl::SocketControl(TimerSet& timers, View& view, NetworkFactory* network,
                             ScriptInterpreter& script, Dialogs& dialogs)
    : clock_(timers.GetClock()),
      view_(view),
      script_(script),
      dialogs_(dialogs),
      server_(network ? network->MakeTcpServer() : nullptr),
      timerSocCon_(timers, kLineTickMs, false, [this] { TimerSocConTimer(); }) {
  if (!server_) return;
  server_->OnClientConnected = [this](TcpServerClient& c) {
    if (peers_.size() >= kMaxClients) {
      Notice("Socket Control: more than " + std::to_string(kMaxClients) +
             " clients, a new connection was refused");
      c.Abort();
      return;
    }
    PeerOf(c.Id());
  };
  server_->OnClientRead = [this](TcpServerClient& c, const std::string& chunk) {
    ClientRead(c.Id(), chunk);
  };
  // The unfinished line of a client that leaves goes with it; its complete
  // lines still run.
  server_->OnClientDisconnected = [this](TcpServerClient& c) { peers_.erase(c.Id()); };
  server_->OnClientInputClosed = [this](TcpServerClient& c) { InputClosed(c.Id()); };
}

SocketControl::~SocketControl() {
  if (server_) {
    server_->OnClientDisconnected = nullptr;
    server_->OnClientConnected = nullptr;
  }
  Stop();
}

void SocketControl::SetRunOverride(std::string port, std::string address) {
  override_ = Endpoint{std::move(port), std::move(address)};
}

void SocketControl::ApplyCommandLine(const std::string& port, const std::string& address) {
  if (!port.empty())
    SetRunOverride(port, address.empty() ? Settings.Address : address);
  else if (!address.empty() && Settings.Enabled)
    SetRunOverride(Settings.Port, address);
  else
    return;
  Apply();
}

void SocketControl::Apply() {
  const Endpoint wanted = override_.value_or(Endpoint{Settings.Port, Settings.Address});
  const int port = SocketPortNumber(wanted.Port);
  std::string address = Trim(wanted.Address);
  if (address.empty()) address = "0.0.0.0";
  // The one name every computer has; others are not looked up.
  if (EqualsNoCase(address, "localhost")) address = "127.0.0.1";
  if (!Wanted()) {
    Stop();
    return;
  }
  // Unchanged settings keep the listener and its clients; a new token
  // sends everyone away, to come back with it.
  if (Listening() && port == listeningPort_ && address == listeningAddress_ &&
      Settings.Token == listeningToken_)
    return;
  Stop();
  if (server_ && server_->Listen(address, port)) {
    listeningPort_ = port;
    listeningAddress_ = address;
    listeningToken_ = Settings.Token;
  } else {
    dialogs_.ShowError(ListenFailure(address, port));
  }
  view_.Changed(Area::SocketControl);
}

std::string SocketControl::ListenFailure(const std::string& address, int port) const {
  const std::string choose =
      "; use 127.0.0.1 (this computer only), 0.0.0.0 (every interface) or the address of "
      "one of this computer's network interfaces.";
  switch (server_ ? server_->LastListenError() : ListenError::Other) {
    case ListenError::BadAddress:
      return "Socket Control: \"" + address + "\" is not an IP address" + choose;
    case ListenError::AddressNotAvailable:
      return "Socket Control: " + address + " is not an address of this computer" + choose;
    case ListenError::AccessDenied: {
      std::string message = "Socket Control: can't listen on TCP port " + std::to_string(port);
      const std::string reason = server_->ErrorText();
      message += reason.empty() ? "." : ": " + reason + ".";
      if (port < 1024)
        message += "\n\n" + PrivilegedPortHint(script_.Host().AppFolder(), port) +
                   "\nand switch Socket Control on again.";
      return message;
    }
    default: return kPortInUseMessage;
  }
}

void SocketControl::Stop() {
  if (server_) server_->Stop();
  peers_.clear();
  // Their clients are gone: lines still waiting must not run when the
  // server is switched on again.
  lines_.clear();
  listeningPort_ = -1;
  listeningAddress_.clear();
  view_.Changed(Area::SocketControl);
}

std::size_t SocketControl::ClientCount() const { return server_ ? server_->Clients().size() : 0; }

std::size_t SocketControl::WaitingCharacters() const {
  std::size_t n = 0;
  for (const Line& l : lines_) n += l.Text.size();
  for (const auto& [id, p] : peers_) n += p.Input.Partial().size();
  return n;
}

TcpServerClient* SocketControl::Find(int client) const {
  if (!server_) return nullptr;
  for (TcpServerClient* c : server_->Clients())
    if (c->Id() == client) return c;
  return nullptr;
}

SocketControl::Peer& SocketControl::PeerOf(int client) {
  auto [it, added] = peers_.try_emplace(client);
  if (added) it->second.Authenticated = Settings.Token.empty();
  return it->second;
}

void SocketControl::Notice(const std::string& text) {
  script_.Host().SetStatusText(text);
  if (Log) Log(text);
}

void SocketControl::Tell(int client, const std::string& text) {
  if (TcpServerClient* c = Find(client)) c->Write(text);
}

void SocketControl::LineDropped(int client) {
  Tell(client, kLineDroppedMessage);
  Notice("Socket Control: a line of client " + std::to_string(client) +
         " was dropped: more than " + std::to_string(kSocketInputLimit) + " characters waiting");
}

void SocketControl::Drop(int client, const std::string& why) {
  Notice("Socket Control: client " + std::to_string(client) + " disconnected: " + why);
  std::erase_if(lines_, [client](const Line& l) { return l.Client == client; });
  peers_.erase(client);
  if (TcpServerClient* c = Find(client)) c->Abort();
}

void SocketControl::SocConVratit(const std::string& text) {
  if (text.empty() || !server_) return;
  // Each client on its own: a failing one does not keep the text from the
  // others.
  for (TcpServerClient* client : server_->Clients()) {
    const auto peer = peers_.find(client->Id());
    // Output is for clients that have shown the token.
    if (peer != peers_.end() && !peer->second.Authenticated) continue;
    if (client->PendingOutput() + text.size() > kMaxClientOutput) {
      Drop(client->Id(), "it left more than " + std::to_string(kMaxClientOutput >> 20) +
                             " MiB of output unread");
      continue;
    }
    try {
      client->Write(text);
    } catch (const std::exception&) {
    }
  }
}

void SocketControl::Get(const std::string& text) {
  SocConVratit(Settings.Echo ? text + std::string(kCrLf) : text);
}

void SocketControl::ClientRead(int client, const std::string& chunk) {
  Peer& peer = PeerOf(client);
  if (peer.InputClosed || chunk.empty()) return;
  const bool wasAuthenticated = peer.Authenticated;
  ClientLines::Result r = peer.Input.Feed(chunk);
  // "+++" reaches the running script whatever else the text holds.
  if (r.Escape && wasAuthenticated && script_.Running()) script_.StopScript();
  for (std::string& line : r.Lines)
    if (!Take(client, peer, std::move(line))) return;  // refused: gone
  if (r.Dropped) LineDropped(client);
  // The token itself is never echoed.
  if (Settings.Echo && wasAuthenticated) SocConVratit(ReplaceAll(chunk, "\r", kCrLf));
  if (TimerWanted()) timerSocCon_.SetEnabled(true);
}

bool SocketControl::Take(int client, Peer& peer, std::string line) {
  // A web page can make a browser send a request here; nothing of it runs.
  if (LooksLikeHttp(line)) {
    Drop(client, "it sent an HTTP request (a web page?); nothing of it was run");
    return false;
  }
  if (!peer.Authenticated) {
    if (!ConstantTimeEquals(RemoveAll(line, "\n"), Settings.Token)) {
      Drop(client, "wrong token");
      return false;
    }
    peer.Authenticated = true;
    return true;
  }
  if (peer.WaitingChars + line.size() > kSocketInputLimit) {
    LineDropped(client);
    return true;
  }
  ++peer.WaitingLines;
  peer.WaitingChars += line.size();
  lines_.push_back({client, std::move(line)});
  return true;
}

void SocketControl::InputClosed(int client) {
  Peer& peer = PeerOf(client);
  peer.Input = ClientLines{};  // its unfinished line can never end
  peer.InputClosed = true;
  peer.InputClosedAt = clock_.Now();
  CloseFinishedClients();
  if (TimerWanted()) timerSocCon_.SetEnabled(true);
}

// Half-closed clients are closed once their last line has run, or when they
// have waited too long.
void SocketControl::CloseFinishedClients() {
  std::vector<int> done;
  for (auto& [id, p] : peers_) {
    if (!p.InputClosed || p.Closing) continue;
    const bool finished = p.WaitingLines == 0 && runningClient_ != id;
    if (finished || clock_.Now() - p.InputClosedAt >= kHalfClosedTimeoutMs) done.push_back(id);
  }
  for (int id : done) {
    peers_[id].Closing = true;
    if (TcpServerClient* c = Find(id)) c->Close();  // after its output has gone out
  }
}

bool SocketControl::TimerWanted() const {
  if (!lines_.empty()) return true;
  for (const auto& [id, p] : peers_)
    if (p.InputClosed && !p.Closing) return true;
  return false;
}

void SocketControl::TimerSocConTimer() {
  if (!Wanted()) {
    timerSocCon_.SetEnabled(false);
    return;
  }
  // A line whose message box is still open holds the next one back, even
  // when "+++" has ended its script.
  const bool busy = script_.Running() || script_.LineExecuting();
  if (!busy) runningClient_ = 0;
  CloseFinishedClients();
  if (!busy && !lines_.empty()) {
    Line next = std::move(lines_.front());
    lines_.pop_front();
    if (auto p = peers_.find(next.Client); p != peers_.end()) {
      --p->second.WaitingLines;
      p->second.WaitingChars -= next.Text.size();
    }
    std::string line = RemoveAll(std::move(next.Text), "\n");
    for (char& c : line)
      if (static_cast<unsigned char>(c) < 32) c = ' ';
    runningClient_ = next.Client;
    script_.ExeScript(kSocketPrefix + line);
  }
  if (!TimerWanted()) timerSocCon_.SetEnabled(false);
}

}  // namespace sondaro
