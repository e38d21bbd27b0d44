#pragma once
// The desktop shell: start another program, or open a document with the
// program the desktop associates with it. Nothing is waited for; the started
// program lives on by itself.
#include <functional>
#include <string>
#include <vector>

namespace sondaro {

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts `program` (a path, or a bare name looked up on the search path)
  // detached, with the command-line text `parameters` (split into arguments
  // as a shell would: blanks separate, quotes group) and `folder` as its
  // working folder ("" keeps the current one). False when it could not be
  // started; `error` then says why.
  virtual bool StartProgram(const std::string& program, const std::string& parameters,
                            const std::string& folder, std::string* error = nullptr) = 0;
  // Opens a document, folder or URL with its associated program.
  virtual bool OpenDocument(const std::string& path) = 0;
  // Asks the system to restart the computer or, with `powerOff`, to switch
  // it off. False, with `error` set, when the request was refused.
  virtual bool RestartComputer(bool powerOff, std::string* error = nullptr) = 0;
};

// A shell that starts nothing and records what it was asked, for tests and
// for programs that must not launch anything.
class RecordingShell : public Shell {
 public:
  struct Start {
    std::string Program, Parameters, Folder;
  };
  bool StartProgram(const std::string& program, const std::string& parameters,
                    const std::string& folder, std::string* error = nullptr) override {
    Started.push_back({program, parameters, folder});
    if (!StartSucceeds && error) *error = "not started";
    return StartSucceeds;
  }
  bool OpenDocument(const std::string& path) override {
    Opened.push_back(path);
    return OpenSucceeds;
  }
  bool RestartComputer(bool powerOff, std::string* error = nullptr) override {
    PowerRequests.push_back(powerOff ? "poweroff" : "reboot");
    if (OnPowerRequest) OnPowerRequest();
    if (!RestartSucceeds && error) *error = "not allowed";
    return RestartSucceeds;
  }
  std::vector<Start> Started;
  std::vector<std::string> Opened;
  std::vector<std::string> PowerRequests;  // "reboot" or "poweroff", never carried out
  std::function<void()> OnPowerRequest;    // sees the state the request finds
  bool StartSucceeds = true;
  bool OpenSucceeds = true;
  bool RestartSucceeds = true;
};

}  // namespace sondaro
