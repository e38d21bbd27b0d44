#pragma once
// The engine's sound-card and FTP ports, served by run-time modules that are
// opened on first use: a start that never records or uploads never loads
// Qt Multimedia, libcurl or their TLS and sound stacks. A module that is
// missing says so through `report` when its feature is first used.
#include <functional>
#include <memory>
#include <string>

#include "core/audio_input.h"
#include "core/ftp_client.h"

namespace sondaro {

using ModuleReport = std::function<void(const std::string&)>;

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
