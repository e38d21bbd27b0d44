#pragma once
// The serial or TCP link to the analyzer: opens and closes it, appends what
// arrives to the ReceiveBuffer, writes the commands the pacing tick hands
// over, and keeps the lamps and the Connect/Disconnect buttons.
#include <functional>
#include <map>
#include <string>

#include "core/ports.h"
#include "core/timer.h"
#include "core/view.h"
#include "link/measurement_state.h"

namespace sondaro {

enum class LampColour { Maroon, Yellow };

// Settings of the "Connection Type" box on the Setup page.
struct LinkSettings {
  int RGCON = 0;            // 0 "Serial RS232", 1 "Ethernet TCP/IP"
  int ComPortIndex = 0;     // item of "RS232 Port": COM1 is 0
  std::string Host = "127.0.0.1";
  std::string PortText = "23";
  std::map<int, std::string> DeviceOverrides;  // port number -> device path

  // A value outside its list (a hand-edited settings file) selects the
  // list's first item, "Serial RS232" and COM1, so the Setup page and the
  // link make the same choice.
  void KeepInLists();
};

class Connection {
 public:
  static constexpr std::size_t kReceiveLimit = kReceiveBufferLimit;
  static constexpr Millis kTcpRetryMs = 20000;

  struct Hooks {
    std::function<void()> LinkUp;                           // preferred mode, mode, "?F"
    std::function<void(Millis)> SetBandscanStepInterval;    // 40 ms serial, 60 ms TCP
    std::function<void(const std::string&)> DebugError;
  };

  Connection(TimerSet& timers, View& view, StatusBar& status, MeasurementState& state,
             SerialPort& serial, TcpClient& tcp);
  // The ports may outlive the engine (they close after it at exit): take
  // back every notification given to them.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void BitBtn2Click();  // "Connect"
  void BitBtn3Click();  // "Disconnect"
  void WriteCommand(const std::string& text);

  // Port arrival notifications.
  void VaComm1RxChar();
  void TCPClientRead(const std::string& chunk);
  void TCPClientConnected();
  void TCPClientDisconnected();
  void TCPClientError(const std::string& message, int code);

  [[nodiscard]] const std::string& ConnectionType() const { return connectionType_; }
  [[nodiscard]] std::string& ReceiveBuffer() { return receiveBuffer_; }
  // Bytes flow: "COM" or "TCP". Not while a TCP attempt or its retry runs.
  [[nodiscard]] bool LinkUp() const { return connectionType_ == "COM" || connectionType_ == "TCP"; }
  [[nodiscard]] bool ConnectEnabled() const { return connectEnabled_; }
  [[nodiscard]] bool DisconnectEnabled() const { return !connectEnabled_; }
  [[nodiscard]] LampColour TxLamp() const { return tx_; }
  [[nodiscard]] LampColour RxLamp() const { return rx_; }
  [[nodiscard]] bool TcpRetryPending() const { return retryTimer_.Enabled(); }
  // How often the link has come up (serial opened, TCP connected) since start.
  [[nodiscard]] int LinkUps() const { return linkUps_; }
  LinkSettings Settings;
  Hooks hooks;

 private:
  void SetButtons(bool linkUp);
  void AppendReceived(const std::string& chunk);
  void LightRx();
  void StartTcpAttempt();

  View& view_;
  StatusBar& status_;
  MeasurementState& state_;
  SerialPort& serial_;
  TcpClient& tcp_;
  std::string connectionType_ = "NONE";
  std::string receiveBuffer_;
  bool connectEnabled_ = true;
  bool tcpAttemptRunning_ = false;  // an attempt not yet established
  int linkUps_ = 0;
  std::string tcpHost_;
  int tcpPort_ = 23;
  LampColour tx_ = LampColour::Maroon;
  LampColour rx_ = LampColour::Maroon;
  Timer timer1_;      // RX lamp, 80 ms one-shot
  Timer timer6_;      // TX lamp, 100 ms one-shot
  Timer retryTimer_;  // background TCP reconnect after a failed attempt
};

// Splits "host:port" at the first colon, trims both parts and validates the
// port (0..65535, else 23).
struct TcpTarget {
  std::string Host;
  std::string PortText;
  int Port;
};
[[nodiscard]] TcpTarget ResolveTcpTarget(const std::string& hostText, const std::string& portText);

}  // namespace sondaro
