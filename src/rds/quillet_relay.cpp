#include "rds/quillet_relay.h"

#include <filesystem>

#include "core/privileged_port.h"
#include "core/text.h"

namespace sondaro {

namespace fs = std::filesystem;

QuilletRelay::QuilletRelay(NetworkFactory* network, Shell* shell, Dialogs& dialogs,
                           CommandQueue& queue, RawCapture& capture, std::string appFolder,
                           int port)
    : network_(network),
      shell_(shell),
      dialogs_(dialogs),
      queue_(queue),
      capture_(capture),
      appFolder_(std::move(appFolder)),
      port_(port) {}

QuilletRelay::~QuilletRelay() {
  if (server_) {
    server_->OnClientRead = nullptr;
    server_->Stop();
  }
}

bool QuilletRelay::Listening() const { return server_ && server_->IsListening(); }

bool QuilletRelay::QuilletRunning() const { return Listening() && !server_->Clients().empty(); }

std::string QuilletRelay::StartParameter() const {
  return "/C:SOC:127.0.0.1:" + std::to_string(port_);
}

bool IsRelayGroup(std::string_view group) {
  if (group == kQuilletReset || group == kQuilletExit) return true;
  if (group.size() != 16) return false;
  for (std::size_t block = 0; block < 16; block += 4) {
    const std::string_view b = group.substr(block, 4);
    if (b != "----" && !ReadHex(b)) return false;
  }
  return true;
}

// The decoder reads fixed 24-byte frames: one frame of another length would
// shift every later one, so anything but a well-formed group stays here.
void QuilletRelay::SendToQuillet(const std::string& group) {
  if (!QuilletRunning() || !IsRelayGroup(group)) return;
  std::string frame = "G:\r\n";
  frame += group;
  frame += "\r\n\r\n";
  for (TcpServerClient* client : server_->Clients()) client->Write(frame);
}

// A decoder asks for the group stream with "*R" and may tune ("...*F"); the
// tuned frequency is then read back.
void QuilletRelay::ClientText(const std::string& text) {
  if (text.empty()) return;
  if (text == "*R") capture_.IAeverButton35Click();
  queue_.Send(text);
  if (text.find("*F") != std::string::npos) queue_.Send("?F");
}

bool QuilletRelay::StartListening() {
  if (Listening()) return true;
  if (!network_) return false;
  if (!server_) {
    server_ = network_->MakeTcpServer();
    server_->OnClientRead = [this](TcpServerClient&, const std::string& chunk) {
      ClientText(chunk);
    };
  }
  // Quillet runs on this computer: nobody else gets to send device commands.
  if (server_->Listen("127.0.0.1", port_)) return true;
  std::string message = "Can't listen on TCP port " + std::to_string(port_) + " for Quillet";
  const std::string reason = server_->ErrorText();
  message += reason.empty() ? "." : ": " + reason + ".";
  if (port_ < 1024)
    message += "\n\n" + PrivilegedPortHint(appFolder_, port_) + "\nand press \"Use Quillet\" again.";
  dialogs_.ShowError(message);
  return false;
}

// Asks until QuilletFile names an existing file; false when the user gives up.
bool QuilletRelay::LocateQuillet() {
  for (;;) {
    const std::string path = FileInFolder(appFolder_, QuilletFile);
    std::error_code ec;
    if (!QuilletFile.empty() && fs::is_regular_file(path, ec)) return true;
    if (!dialogs_.ConfirmWarning("Can't find Quillet. Would you like to locate it manually?"))
      return false;
    const fs::path current(path);
    const std::string folder =
        current.has_parent_path() && fs::is_directory(current.parent_path(), ec)
            ? current.parent_path().string() + "/"
            : appFolder_;
    const std::string picked =
        dialogs_.OpenFileName("Locate Quillet", folder, "Application file (*)");
    if (!picked.empty()) QuilletFile = picked;
  }
}

// "Use Quillet"
void QuilletRelay::GradBtn20Click() {
  if (QuilletRunning() &&
      !dialogs_.ConfirmWarning("An instance of the Quillet is already running. Run another instance now?"))
    return;
  if (!LocateQuillet()) return;
  // Listen before the decoder starts, so its first connection attempt finds
  // the server; without a server it would have nothing to connect to.
  if (!StartListening()) return;
  const fs::path program(FileInFolder(appFolder_, QuilletFile));
  std::string error;
  if (shell_ && !shell_->StartProgram(program.string(), StartParameter(),
                                      program.parent_path().string(), &error))
    dialogs_.ShowError("Can't start " + program.string() + ": " + error);
  capture_.IAeverButton35Click();
}

}  // namespace sondaro
