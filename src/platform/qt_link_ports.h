#pragma once
// The analyzer link over QSerialPort and QTcpSocket.
#include <QSerialPort>
#include <QTcpSocket>

#include "core/ports.h"

namespace sondaro {

class QtSerialPort final : public QObject, public SerialPort {
  Q_OBJECT
 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  bool Open(const std::string& device, const SerialSettings& settings) override;
  void Close() override;
  [[nodiscard]] bool IsOpen() const override { return port_.isOpen(); }
  std::string ReadAll() override;
  void Write(const std::string& bytes) override;

 private:
  QSerialPort port_;
  int writeTimeoutMs_ = 500;
};

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
