#pragma once
// One program per title: the first start listens on a local socket named
// after the application title (and the user) in the temporary folder; a
// second start hands its parameter text over to it and ends. Plain POSIX
// sockets: every windowed start does this, and it must not load a network
// library for it.
#include <QObject>
#include <functional>
#include <string>

class QSocketNotifier;

namespace sondaro {

class InstanceGuard final : public QObject {
  Q_OBJECT
 public:
  // A hand-off longer than this is cut; the first instance comes forward all the same.
  static constexpr long kMaxHandOff = 4096;

  explicit InstanceGuard(const std::string& title, QObject* parent = nullptr);
  ~InstanceGuard() override;

  // True when this is the only instance: it then listens for later starts.
  // False when another instance took `handOff` (possibly empty: it is only
  // brought forward).
  bool Claim(const std::string& handOff);

  // In the first instance: a later start arrived with this text.
  std::function<void(const std::string&)> OnHandOff;

  // The socket's file.
  [[nodiscard]] const std::string& SocketPath() const { return path_; }

 private:
  class Arrival;
  void Listen();
  void Accept();
  void Read(Arrival* arrival);
  // Ends an arrival; a text that came whole is handed on.
  void Finish(Arrival* arrival, bool whole);
  std::string path_;
  int listenFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  int arriving_ = 0;
};

}  // namespace sondaro
