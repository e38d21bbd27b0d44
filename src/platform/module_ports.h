#pragma once
// The engine's link, socket, sound-card and FTP ports, served by run-time
// modules that are opened on first use: a start that never connects, listens,
// records or uploads never loads Qt SerialPort, Qt Network, Qt Multimedia,
// libcurl or their TLS and sound stacks. A module that is missing says so
// through `report` when its feature is first used.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/audio_input.h"
#include "core/ftp_client.h"
#include "core/ports.h"

namespace sondaro {

using ModuleReport = std::function<void(const std::string&)>;

// The serial line (libsondaro_serial.so), loaded at the first Open.
class ModuleSerialPort final : public SerialPort {
 public:
  explicit ModuleSerialPort(ModuleReport report = {}, std::string module = "sondaro_serial");
  ~ModuleSerialPort() override;
  // False, with a report naming the module, when it cannot be loaded.
  bool Open(const std::string& device, const SerialSettings& settings) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override;
  std::string ReadAll() override;
  void Write(const std::string& bytes) override;
  bool Loaded() const { return port_ != nullptr; }

 private:
  ModuleReport report_;
  std::string module_;
  std::unique_ptr<SerialPort> port_;
};

// A serial port of this computer, as the port list shows it.
struct SerialPortInfo {
  std::string Device;       // "/dev/ttyUSB0"
  std::string Description;  // description and manufacturer
};
// The serial ports present (libsondaro_serial.so); none, with a report,
// without the module.
std::vector<SerialPortInfo> ListSerialPorts(const ModuleReport& report = {});

// The TCP link (libsondaro_net.so), loaded at the first Connect. Without the
// module the attempt fails as a connection would: OnError, then
// OnDisconnected, from the event loop.
class ModuleTcpClient final : public TcpClient {
 public:
  explicit ModuleTcpClient(ModuleReport report = {}, std::string module = "sondaro_net");
  ~ModuleTcpClient() override;
  void Connect(const std::string& host, int port) override;
  void Close() override;
  [[nodiscard]] bool IsConnected() const override;
  void Write(const std::string& bytes) override;
  bool Loaded() const { return client_ != nullptr; }

 private:
  ModuleReport report_;
  std::string module_;
  std::unique_ptr<TcpClient> client_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Socket servers (libsondaro_net.so), loaded when the first one listens.
// Without the module a server cannot listen and says why.
class ModuleNetworkFactory final : public NetworkFactory {
 public:
  explicit ModuleNetworkFactory(ModuleReport report = {}, std::string module = "sondaro_net")
      : report_(std::move(report)), module_(std::move(module)) {}
  std::unique_ptr<TcpServer> MakeTcpServer() override;

 private:
  ModuleReport report_;
  std::string module_;
};

class ModuleAudioInputFactory final : public AudioInputFactory {
 public:
  explicit ModuleAudioInputFactory(ModuleReport report = {}) : report_(std::move(report)) {}
  // Nullptr when the module cannot be loaded (the callers then say the
  // sound card cannot be opened; `report` names the missing module).
  std::unique_ptr<AudioInput> MakeAudioInput() override;

 private:
  ModuleReport report_;
};

class ModuleFtpClient final : public FtpClient {
 public:
  explicit ModuleFtpClient(ModuleReport report = {}) : report_(std::move(report)) {}
  ~ModuleFtpClient() override;
  void Connect(const FtpLogin& login, Done done) override;
  void Put(const std::string& localPath, const std::string& remotePath, Done done) override;
  void Abort() override;
  void Quit(Done done) override;
  void Close() override;
  bool Loaded() const { return client_ != nullptr; }

 private:
  ModuleReport report_;
  std::unique_ptr<FtpClient> client_;  // made at the first connection
};

}  // namespace sondaro
