#pragma once
// The analyzer link over QTcpSocket (module libsondaro_net.so, with the
// socket servers).
#include <QTcpSocket>

#include "core/ports.h"

namespace sondaro {

class QtTcpClient final : public QObject, public TcpClient {
  Q_OBJECT
 public:
  explicit QtTcpClient(QObject* parent = nullptr);
  void Connect(const std::string& host, int port) override;
  void Close() override;
  [[nodiscard]] bool IsConnected() const override;
  void Write(const std::string& bytes) override;

 private:
  QTcpSocket socket_;
  bool established_ = false;
};

}  // namespace sondaro
