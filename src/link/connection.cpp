#include "link/connection.h"

#include "core/text.h"
#include "link/com_ports.h"

namespace sondaro {

TcpTarget ResolveTcpTarget(const std::string& hostText, const std::string& portText) {
  std::string_view hostPart = hostText, portPart = portText;
  if (const auto colon = hostPart.find(':'); colon != std::string_view::npos) {
    portPart = hostPart.substr(colon + 1);
    hostPart = hostPart.substr(0, colon);
  }
  // Blanks and control characters at the ends go, as the settings file
  // drops them when it is read: "analyzer : 4001" reaches "analyzer", and
  // the target saved reads back as the one used.
  TcpTarget t{Trim(hostPart), Trim(portPart), 23};
  const auto port = ReadInt(t.PortText);
  if (port && *port >= 0 && *port <= 65535) {
    t.Port = static_cast<int>(*port);
  } else {
    t.PortText = "23";
  }
  return t;
}

Connection::Connection(TimerSet& timers, View& view, StatusBar& status, MeasurementState& state,
                       SerialPort& serial, TcpClient& tcp)
    : view_(view),
      status_(status),
      state_(state),
      serial_(serial),
      tcp_(tcp),
      timer1_(timers, 80, false, [this] {
        rx_ = LampColour::Maroon;
        timer1_.SetEnabled(false);
        view_.Changed(Area::Lamps);
      }),
      timer6_(timers, 100, false, [this] {
        tx_ = LampColour::Maroon;
        timer6_.SetEnabled(false);
        view_.Changed(Area::Lamps);
      }),
      retryTimer_(timers, kTcpRetryMs, false, [this] {
        retryTimer_.SetEnabled(false);
        StartTcpAttempt();
      }) {
  serial_.OnRxChar = [this] { VaComm1RxChar(); };
  tcp_.OnConnected = [this] { TCPClientConnected(); };
  tcp_.OnDisconnected = [this] { TCPClientDisconnected(); };
  tcp_.OnRead = [this](const std::string& chunk) { TCPClientRead(chunk); };
  tcp_.OnError = [this](const std::string& m, int c) { TCPClientError(m, c); };
}

Connection::~Connection() {
  serial_.OnRxChar = nullptr;
  tcp_.OnConnected = nullptr;
  tcp_.OnDisconnected = nullptr;
  tcp_.OnRead = nullptr;
  tcp_.OnError = nullptr;
}

void LinkSettings::KeepInLists() {
  if (RGCON != 0 && RGCON != 1) RGCON = 0;
  if (ComPortIndex < 0 || ComPortIndex >= kComPortCount) ComPortIndex = 0;
}

void Connection::SetButtons(bool linkUp) {
  connectEnabled_ = !linkUp;
  view_.Changed(Area::Connection);
}

void Connection::BitBtn2Click() {
  receiveBuffer_.clear();
  state_.LevelInDbuv = false;
  state_.CarrierNormalKHz = 0;
  retryTimer_.SetEnabled(false);
  Settings.KeepInLists();
  if (Settings.RGCON == 0) {
    if (hooks.SetBandscanStepInterval) hooks.SetBandscanStepInterval(40);
    connectionType_ = "NONE";
    const int number = Settings.ComPortIndex + 1;
    if (!serial_.Open(ComDevicePath(number, Settings.DeviceOverrides), SerialSettings{})) {
      status_.SetText("Unable to connect");
      if (hooks.DebugError) hooks.DebugError("Unable to connect");
      return;
    }
    connectionType_ = "COM";
    ++linkUps_;
    if (hooks.LinkUp) hooks.LinkUp();
    status_.SetText("");
  } else {
    if (hooks.SetBandscanStepInterval) hooks.SetBandscanStepInterval(60);
    connectionType_ = "NONE";
    const TcpTarget target = ResolveTcpTarget(Settings.Host, Settings.PortText);
    Settings.Host = target.Host;
    Settings.PortText = target.PortText;
    tcpHost_ = target.Host;
    tcpPort_ = target.Port;
    StartTcpAttempt();
  }
  SetButtons(true);
}

void Connection::StartTcpAttempt() {
  tcpAttemptRunning_ = true;
  tcp_.Connect(tcpHost_, tcpPort_);
}

void Connection::BitBtn3Click() {
  receiveBuffer_.clear();
  retryTimer_.SetEnabled(false);
  if (connectionType_ == "COM") {
    serial_.Close();
    connectionType_ = "NONE";
  }
  if (connectionType_ == "TCP" || !tcp_.IsConnected()) {
    tcpAttemptRunning_ = false;
    tcp_.Close();
  }
  SetButtons(false);
}

void Connection::WriteCommand(const std::string& text) {
  if (connectionType_ == "COM") serial_.Write(text);
  else if (connectionType_ == "TCP") tcp_.Write(text);
  tx_ = LampColour::Yellow;
  timer6_.Restart();
  view_.Changed(Area::Lamps);
}

void Connection::LightRx() {
  rx_ = LampColour::Yellow;
  timer1_.Restart();
  view_.Changed(Area::Lamps);
}

void Connection::AppendReceived(const std::string& chunk) {
  // Whole chunks only: the buffer may pass the limit by at most one chunk.
  if (receiveBuffer_.size() < kReceiveLimit) receiveBuffer_ += chunk;
}

void Connection::VaComm1RxChar() {
  LightRx();
  if (connectionType_ != "COM") return;
  AppendReceived(serial_.ReadAll());
}

void Connection::TCPClientRead(const std::string& chunk) {
  if (connectionType_ != "TCP" || chunk.empty()) return;
  AppendReceived(chunk);
  LightRx();
}

void Connection::TCPClientConnected() {
  tcpAttemptRunning_ = false;
  connectionType_ = "TCP";
  ++linkUps_;
  // A background retry that succeeds brings the link up while the buttons
  // show Idle; show it as connected so the user can close it again.
  SetButtons(true);
  if (hooks.LinkUp) hooks.LinkUp();
}

void Connection::TCPClientDisconnected() {
  if (connectionType_ == "COM") return;
  const bool attemptFailed = tcpAttemptRunning_;
  tcpAttemptRunning_ = false;
  connectionType_ = "NONE";
  SetButtons(false);
  // A failed attempt is tried again in the background; a lost connection
  // is not.
  if (attemptFailed) retryTimer_.Restart();
}

void Connection::TCPClientError(const std::string&, int) {}

}  // namespace sondaro
