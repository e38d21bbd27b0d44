#pragma once
// The analyzer's serial line over QSerialPort (module libsondaro_serial.so).
#include <QSerialPort>

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

}  // namespace sondaro
