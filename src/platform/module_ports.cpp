#include "platform/module_ports.h"

#include "platform/plugin_loader.h"

namespace sondaro {
namespace {

// Calls the module's factory entry; nullptr (and a report) when it is missing.
template <typename T>
T* MakeFromModule(const char* module, const char* entry, const ModuleReport& report) {
  std::string error;
  void* symbol = LoadModuleEntry(module, entry, error);
  if (!symbol) {
    if (report) report(error);
    return nullptr;
  }
  return reinterpret_cast<T* (*)()>(symbol)();
}

}  // namespace

std::unique_ptr<AudioInput> ModuleAudioInputFactory::MakeAudioInput() {
  return std::unique_ptr<AudioInput>(
      MakeFromModule<AudioInput>("sondaro_audio", "sondaro_make_audio_input", report_));
}

ModuleFtpClient::~ModuleFtpClient() = default;

void ModuleFtpClient::Connect(const FtpLogin& login, Done done) {
  if (!client_) {
    std::string error;
    client_.reset(MakeFromModule<FtpClient>("sondaro_ftp", "sondaro_make_ftp_client",
                                            [&error](const std::string& e) { error = e; }));
    if (!client_) {
      if (report_) report_(error);
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
