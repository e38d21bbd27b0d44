#pragma once
// One program per title: the first start listens on a local socket named
// after the application title (and the user); a second start hands its
// parameter text over to it and ends.
#include <QLocalServer>
#include <QObject>
#include <functional>
#include <string>

namespace sondaro {

class InstanceGuard final : public QObject {
  Q_OBJECT
 public:
  // A hand-off longer than this is cut; the first instance comes forward all the same.
  static constexpr qint64 kMaxHandOff = 4096;

  explicit InstanceGuard(const std::string& title, QObject* parent = nullptr);

  // True when this is the only instance: it then listens for later starts.
  // False when another instance took `handOff` (possibly empty: it is only
  // brought forward).
  bool Claim(const std::string& handOff);

  // In the first instance: a later start arrived with this text.
  std::function<void(const std::string&)> OnHandOff;

  [[nodiscard]] const QString& ServerName() const { return name_; }

 private:
  void Accept();
  QString name_;
  QLocalServer server_;
};

}  // namespace sondaro
