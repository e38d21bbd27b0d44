#pragma once
// Interfaces through which the engine reaches everything outside itself. The
// platform layer implements them with real components; tests and the
// simulated analyzer provide their own.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sondaro {

// Serial line settings: the analyzer talks 19200 8N1 with no flow control.
struct SerialSettings {
  int BaudRate = 19200;
  int DataBits = 8;
  char Parity = 'N';
  int StopBits = 1;
  bool FlowControl = false;  // CTS/DSR/XON-XOFF all off when false
  bool Dtr = false;
  bool Rts = false;
  int ReadTimeoutMs = 500;
  int WriteTimeoutMs = 500;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the device; false when it is absent, busy or access is denied.
  virtual bool Open(const std::string& device, const SerialSettings& settings) = 0;
  virtual void Close() = 0;
  [[nodiscard]] virtual bool IsOpen() const = 0;
  // Every byte waiting in the input queue.
  virtual std::string ReadAll() = 0;
  // Direct write, waiting at most the write time-out; the outcome is not
  // examined by the program.
  virtual void Write(const std::string& bytes) = 0;
  // Called when characters have arrived.
  std::function<void()> OnRxChar;
};

class TcpClient {
 public:
  virtual ~TcpClient() = default;
  // Starts an asynchronous connection attempt; the outcome arrives through
  // OnConnected, or OnError followed by OnDisconnected.
  virtual void Connect(const std::string& host, int port) = 0;
  // Closes an established connection (reporting OnDisconnected) or abandons
  // an attempt in progress.
  virtual void Close() = 0;
  [[nodiscard]] virtual bool IsConnected() const = 0;
  virtual void Write(const std::string& bytes) = 0;
  std::function<void()> OnConnected;
  std::function<void()> OnDisconnected;
  std::function<void(const std::string& chunk)> OnRead;
  std::function<void(const std::string& message, int code)> OnError;
};

// One accepted connection of a TcpServer.
class TcpServerClient {
 public:
  virtual ~TcpServerClient() = default;
  virtual void Write(const std::string& bytes) = 0;
  // Closes once everything written so far has been sent.
  virtual void Close() = 0;
  // Closes at once; unsent output is thrown away.
  virtual void Abort() { Close(); }
  [[nodiscard]] virtual int Id() const = 0;
  // Bytes written but not yet taken by the system (a peer that does not
  // read lets this grow).
  [[nodiscard]] virtual std::size_t PendingOutput() const { return 0; }
};

// Why Listen failed.
enum class ListenError {
  None,
  AddressInUse,
  AccessDenied,         // a port below 1024 without the right to bind it
  AddressNotAvailable,  // not an address of this computer's interfaces
  BadAddress,           // not an IP address at all
  Other,
};

class TcpServer {
 public:
  virtual ~TcpServer() = default;
  // Listens on address:port ("" or "0.0.0.0" for every interface); false when
  // the port is in use or not allowed.
  virtual bool Listen(const std::string& address, int port) = 0;
  virtual void Stop() = 0;
  [[nodiscard]] virtual bool IsListening() const = 0;
  [[nodiscard]] virtual std::vector<TcpServerClient*> Clients() const = 0;
  // Why the last Listen failed ("The address is protected", ...); may be empty.
  [[nodiscard]] virtual std::string ErrorText() const { return {}; }
  [[nodiscard]] virtual ListenError LastListenError() const { return ListenError::Other; }
  std::function<void(TcpServerClient&)> OnClientConnected;
  std::function<void(TcpServerClient&)> OnClientDisconnected;
  std::function<void(TcpServerClient&, const std::string& chunk)> OnClientRead;
  // The client closed its sending side but may still read. Without a
  // handler the connection is closed.
  std::function<void(TcpServerClient&)> OnClientInputClosed;
};

// Makes the sockets and ports the engine needs; one per program.
class NetworkFactory {
 public:
  virtual ~NetworkFactory() = default;
  virtual std::unique_ptr<TcpServer> MakeTcpServer() = 0;
};

// Modal boxes. In the GUI these run a nested event loop, so timers keep
// running while one is open; headless they answer at once.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Information.
  virtual void ShowMessage(const std::string& text) = 0;
  // Something failed; the GUI shows it with the error icon.
  virtual void ShowError(const std::string& text) { ShowMessage(text); }
  // Something needs attention before it can go on; the warning icon.
  virtual void ShowWarning(const std::string& text) { ShowMessage(text); }
  // Yes/No question; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // A Yes/No question about a problem (a program not found, one already
  // running); the warning icon.
  virtual bool ConfirmWarning(const std::string& text) { return Confirm(text); }
  // Text input; false when cancelled, value holds the proposal on entry.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;
  // File dialogs; empty result when cancelled. filter like "Text files (*.txt)".
  virtual std::string OpenFileName(const std::string& caption, const std::string& folder,
                                   const std::string& filter) = 0;
  virtual std::string SaveFileName(const std::string& caption, const std::string& proposal,
                                   const std::string& filter) = 0;
};

// Dialogs for a program without a user: messages are logged, questions are
// answered No, input and file dialogs are cancelled.
class SilentDialogs : public Dialogs {
 public:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  bool Confirm(const std::string& text) override {
    Messages.push_back(text);
    return ConfirmAnswer;
  }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  std::string OpenFileName(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::string SaveFileName(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::vector<std::string> Messages;
  bool ConfirmAnswer = false;
};

}  // namespace sondaro
