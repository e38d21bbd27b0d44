#include "platform/qt_link_ports.h"

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

QtTcpClient::QtTcpClient(QObject* parent) : QObject(parent) {
  connect(&socket_, &QTcpSocket::connected, this, [this] {
    established_ = true;
    if (OnConnected) OnConnected();
  });
  connect(&socket_, &QTcpSocket::readyRead, this, [this] {
    const QByteArray chunk = socket_.readAll();
    if (OnRead) OnRead(chunk.toStdString());
  });
  connect(&socket_, &QTcpSocket::disconnected, this, [this] {
    if (!established_) return;
    established_ = false;
    if (OnDisconnected) OnDisconnected();
  });
  connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
    if (OnError) OnError(socket_.errorString().toStdString(), static_cast<int>(e));
    // A failed attempt closes the socket without a "disconnected" signal;
    // report it the same way as a closed connection.
    if (!established_ && socket_.state() != QAbstractSocket::ConnectedState) {
      socket_.abort();
      if (OnDisconnected) OnDisconnected();
    }
  });
}

void QtTcpClient::Connect(const std::string& host, int port) {
  socket_.abort();
  established_ = false;
  socket_.connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void QtTcpClient::Close() {
  if (established_) {
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
  } else {
    socket_.abort();
  }
}

bool QtTcpClient::IsConnected() const {
  return socket_.state() == QAbstractSocket::ConnectedState;
}

void QtTcpClient::Write(const std::string& bytes) {
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace sondaro
