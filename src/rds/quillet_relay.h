#pragma once
// Relay of the raw RDS groups to Quillet, an external RDS decoder on this
// computer. Quillet is started with "/C:SOC:127.0.0.1:16", connects back to
// the relay server, receives every group as a 24-byte frame
//   "G:\r\n" "2F01040841424344" "\r\n\r\n"
// and may send device commands back, which go to the analyzer unchanged.
#include <memory>
#include <string_view>
#include <string>

#include "core/ports.h"
#include "core/shell.h"
#include "link/command_queue.h"
#include "rds/raw_capture.h"

namespace sondaro {

inline constexpr int kQuilletPort = 16;
// Pseudo-groups: the tuned frequency changed; the program closes.
inline constexpr const char* kQuilletReset = "RESET-----------";
inline constexpr const char* kQuilletExit = "EXIT------------";

// A group the decoder can take: four blocks of four hexadecimal digits, "----"
// for a block not received, or one of the two pseudo-groups.
[[nodiscard]] bool IsRelayGroup(std::string_view group);

class QuilletRelay {
 public:
  // `network` or `shell` may be null (a program that must not listen or
  // launch): the relay then stays off. `port` is fixed at 16 in the program.
  QuilletRelay(NetworkFactory* network, Shell* shell, Dialogs& dialogs, CommandQueue& queue,
               RawCapture& capture, std::string appFolder, int port = kQuilletPort);
  ~QuilletRelay();
  QuilletRelay(const QuilletRelay&) = delete;
  QuilletRelay& operator=(const QuilletRelay&) = delete;

  // Listening with at least one decoder connected.
  [[nodiscard]] bool QuilletRunning() const;
  [[nodiscard]] bool Listening() const;
  // Frames a 16-character group text to every connected decoder.
  void SendToQuillet(const std::string& group);
  void GradBtn20Click();  // "Use Quillet"
  // One arrival of text from a decoder.
  void ClientText(const std::string& text);

  [[nodiscard]] int Port() const { return port_; }
  [[nodiscard]] std::string StartParameter() const;

  // QuilletFile: the decoder's path; a bare name lies in the program folder.
  std::string QuilletFile = "quillet.exe";

 private:
  [[nodiscard]] bool StartListening();
  [[nodiscard]] bool LocateQuillet();

  NetworkFactory* network_;
  Shell* shell_;
  Dialogs& dialogs_;
  CommandQueue& queue_;
  RawCapture& capture_;
  std::string appFolder_;
  int port_;
  std::unique_ptr<TcpServer> server_;
};

}  // namespace sondaro
