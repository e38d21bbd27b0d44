#include "platform/modules/qt_serial_port.h"

#include <QSerialPortInfo>

#include "platform/module_ports.h"

namespace sondaro {

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
  connect(&port_, &QSerialPort::readyRead, this, [this] {
    if (OnRxChar) OnRxChar();
  });
}

bool QtSerialPort::Open(const std::string& device, const SerialSettings& s) {
  if (port_.isOpen()) port_.close();
  port_.setPortName(QString::fromStdString(device));
  port_.setBaudRate(s.BaudRate);
  port_.setDataBits(static_cast<QSerialPort::DataBits>(s.DataBits));
  port_.setParity(s.Parity == 'E'   ? QSerialPort::EvenParity
                  : s.Parity == 'O' ? QSerialPort::OddParity
                                    : QSerialPort::NoParity);
  port_.setStopBits(s.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  port_.setFlowControl(s.FlowControl ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
  writeTimeoutMs_ = s.WriteTimeoutMs;
  if (!port_.open(QIODevice::ReadWrite)) return false;
  // Settings again after opening: some drivers only take them on an open line.
  port_.setBaudRate(s.BaudRate);
  port_.setFlowControl(s.FlowControl ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
  port_.setDataTerminalReady(s.Dtr);
  if (!s.FlowControl) port_.setRequestToSend(s.Rts);
  return true;
}

void QtSerialPort::Close() {
  if (port_.isOpen()) port_.close();
}

std::string QtSerialPort::ReadAll() { return port_.readAll().toStdString(); }

void QtSerialPort::Write(const std::string& bytes) {
  if (!port_.isOpen()) return;
  port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  port_.waitForBytesWritten(writeTimeoutMs_);
}

}  // namespace sondaro

// The module's entry point (platform/module_ports).
extern "C" __attribute__((visibility("default"))) sondaro::SerialPort* sondaro_make_serial_port() {
  return new sondaro::QtSerialPort();
}

extern "C" __attribute__((visibility("default"))) void sondaro_list_serial_ports(
    std::vector<sondaro::SerialPortInfo>* out) {
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    out->push_back({info.systemLocation().toStdString(),
                    (info.description() + " " + info.manufacturer()).toStdString()});
}
