#pragma once
// Test doubles of the link ports: they record what the engine does and let a
// test play the analyzer's side.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ports.h"

namespace sondaro::test {

class FakeSerialPort : public SerialPort {
 public:
  bool Open(const std::string& device, const SerialSettings& settings) override {
    OpenedDevice = device;
    LastSettings = settings;
    open_ = OpenSucceeds;
    return open_;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  std::string ReadAll() override { return std::exchange(Waiting, {}); }
  void Write(const std::string& bytes) override { Written.push_back(bytes); }
  // The analyzer sends bytes.
  void Arrive(std::string_view bytes) {
    Waiting += bytes;
    if (OnRxChar) OnRxChar();
  }

  bool OpenSucceeds = true;
  std::string OpenedDevice;
  SerialSettings LastSettings;
  std::string Waiting;
  std::vector<std::string> Written;

 private:
  bool open_ = false;
};

class FakeTcpClient : public TcpClient {
 public:
  void Connect(const std::string& host, int port) override {
    Attempts.push_back(host + ":" + std::to_string(port));
  }
  void Close() override {
    const bool was = connected_;
    connected_ = false;
    ++Closes;
    if (was && OnDisconnected) OnDisconnected();
  }
  bool IsConnected() const override { return connected_; }
  void Write(const std::string& bytes) override { Written.push_back(bytes); }

  // The peer side of an attempt.
  void Establish() {
    connected_ = true;
    if (OnConnected) OnConnected();
  }
  void Fail() {
    if (OnError) OnError("Connection refused", 10061);
    if (OnDisconnected) OnDisconnected();
  }
  void PeerCloses() {
    connected_ = false;
    if (OnDisconnected) OnDisconnected();
  }
  void Arrive(const std::string& chunk) {
    if (OnRead) OnRead(chunk);
  }

  std::vector<std::string> Attempts;
  std::vector<std::string> Written;
  int Closes = 0;

 private:
  bool connected_ = false;
};

}  // namespace sondaro::test
