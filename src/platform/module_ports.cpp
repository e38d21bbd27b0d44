#include "platform/module_ports.h"

#include <QTimer>

#include "platform/plugin_loader.h"

namespace sondaro {
namespace {

// Calls the module's factory entry; nullptr when the module is missing, which
// is reported and, where `why` is given, told there too.
template <typename T>
std::unique_ptr<T> MakeFromModule(const std::string& module, const char* entry,
                                  const ModuleReport& report, std::string* why = nullptr) {
  std::string error;
  void* symbol = LoadModuleEntry(module, entry, error);
  if (!symbol) {
    if (report) report(error);
    if (why) *why = error;
    return nullptr;
  }
  return std::unique_ptr<T>(reinterpret_cast<T* (*)()>(symbol)());
}

// A socket server whose module is opened at the first Listen: the engine
// makes its servers at start, most never listen.
class ModuleTcpServer final : public TcpServer {
 public:
  ModuleTcpServer(std::string module, ModuleReport report)
      : module_(std::move(module)), report_(std::move(report)) {}
  bool Listen(const std::string& address, int port) override {
    return Load() && server_->Listen(address, port);
  }
  void Stop() override {
    if (server_) server_->Stop();
  }
  [[nodiscard]] bool IsListening() const override { return server_ && server_->IsListening(); }
  [[nodiscard]] std::vector<TcpServerClient*> Clients() const override {
    return server_ ? server_->Clients() : std::vector<TcpServerClient*>{};
  }
  [[nodiscard]] std::string ErrorText() const override {
    return server_ ? server_->ErrorText() : missing_;
  }
  [[nodiscard]] ListenError LastListenError() const override {
    return server_ ? server_->LastListenError() : ListenError::Other;
  }

 private:
  bool Load() {
    if (server_) return true;
    server_ = MakeFromModule<TcpServer>(module_, "sondaro_make_tcp_server", report_, &missing_);
    if (!server_) return false;
    server_->OnClientConnected = [this](TcpServerClient& c) {
      if (OnClientConnected) OnClientConnected(c);
    };
    server_->OnClientDisconnected = [this](TcpServerClient& c) {
      if (OnClientDisconnected) OnClientDisconnected(c);
    };
    server_->OnClientRead = [this](TcpServerClient& c, const std::string& chunk) {
      if (OnClientRead) OnClientRead(c, chunk);
    };
    server_->OnClientInputClosed = [this](TcpServerClient& c) {
      if (OnClientInputClosed)
        OnClientInputClosed(c);
      else
        c.Close();  // as a server without the handler does
    };
    return true;
  }
  std::string module_;
  ModuleReport report_;
  std::string missing_;
  std::unique_ptr<TcpServer> server_;
};

}  // namespace

ModuleSerialPort::ModuleSerialPort(ModuleReport report, std::string module)
    : report_(std::move(report)), module_(std::move(module)) {}

ModuleSerialPort::~ModuleSerialPort() = default;

bool ModuleSerialPort::Open(const std::string& device, const SerialSettings& settings) {
  if (!port_) {
    port_ = MakeFromModule<SerialPort>(module_, "sondaro_make_serial_port", report_);
    if (!port_) return false;
    port_->OnRxChar = [this] {
      if (OnRxChar) OnRxChar();
    };
  }
  return port_->Open(device, settings);
}

void ModuleSerialPort::Close() {
  if (port_) port_->Close();
}

bool ModuleSerialPort::IsOpen() const { return port_ && port_->IsOpen(); }

std::string ModuleSerialPort::ReadAll() { return port_ ? port_->ReadAll() : std::string(); }

void ModuleSerialPort::Write(const std::string& bytes) {
  if (port_) port_->Write(bytes);
}

std::vector<SerialPortInfo> ListSerialPorts(const ModuleReport& report) {
  std::vector<SerialPortInfo> ports;
  std::string error;
  if (void* entry = LoadModuleEntry("sondaro_serial", "sondaro_list_serial_ports", error))
    reinterpret_cast<void (*)(std::vector<SerialPortInfo>*)>(entry)(&ports);
  else if (report)
    report(error);
  return ports;
}

ModuleTcpClient::ModuleTcpClient(ModuleReport report, std::string module)
    : report_(std::move(report)), module_(std::move(module)) {}

ModuleTcpClient::~ModuleTcpClient() { *alive_ = false; }

void ModuleTcpClient::Connect(const std::string& host, int port) {
  if (!client_) {
    std::string error;
    client_ = MakeFromModule<TcpClient>(module_, "sondaro_make_tcp_client", report_, &error);
    if (!client_) {
      // As a failed attempt reports: later, never inside the caller's Connect.
      QTimer::singleShot(0, [this, alive = alive_, error] {
        if (!*alive) return;
        if (OnError) OnError("TCP/IP is not available: " + error, -1);
        if (*alive && OnDisconnected) OnDisconnected();
      });
      return;
    }
    client_->OnConnected = [this] {
      if (OnConnected) OnConnected();
    };
    client_->OnDisconnected = [this] {
      if (OnDisconnected) OnDisconnected();
    };
    client_->OnRead = [this](const std::string& chunk) {
      if (OnRead) OnRead(chunk);
    };
    client_->OnError = [this](const std::string& message, int code) {
      if (OnError) OnError(message, code);
    };
  }
  client_->Connect(host, port);
}

void ModuleTcpClient::Close() {
  if (client_) client_->Close();
}

bool ModuleTcpClient::IsConnected() const { return client_ && client_->IsConnected(); }

void ModuleTcpClient::Write(const std::string& bytes) {
  if (client_) client_->Write(bytes);
}

std::unique_ptr<TcpServer> ModuleNetworkFactory::MakeTcpServer() {
  return std::make_unique<ModuleTcpServer>(module_, report_);
}

std::unique_ptr<AudioInput> ModuleAudioInputFactory::MakeAudioInput() {
  return MakeFromModule<AudioInput>("sondaro_audio", "sondaro_make_audio_input", report_);
}

ModuleFtpClient::~ModuleFtpClient() = default;

void ModuleFtpClient::Connect(const FtpLogin& login, Done done) {
  if (!client_) {
    std::string error;
    client_ = MakeFromModule<FtpClient>("sondaro_ftp", "sondaro_make_ftp_client", report_, &error);
    if (!client_) {
      if (done) done(FtpResult{false, "FTP is not available: " + error});
      return;
    }
  }
  client_->Connect(login, std::move(done));
}

void ModuleFtpClient::Put(const std::string& localPath, const std::string& remotePath, Done done) {
  if (client_) return client_->Put(localPath, remotePath, std::move(done));
  if (done) done(FtpResult{false, "not connected"});
}

void ModuleFtpClient::Abort() {
  if (client_) client_->Abort();
}

void ModuleFtpClient::Quit(Done done) {
  if (client_) return client_->Quit(std::move(done));
  if (done) done(FtpResult{true, {}});
}

void ModuleFtpClient::Close() {
  if (client_) client_->Close();
}

}  // namespace sondaro
