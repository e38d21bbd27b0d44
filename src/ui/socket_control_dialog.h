#pragma once
// Options > "Socket Control...": the settings of the socket control server,
// applied when the dialog closes, whichever way.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

namespace sondaro {

class SocketControl;

class SocketControlDialog : public QDialog {
  Q_OBJECT
 public:
  SocketControlDialog(SocketControl& socket, QWidget* parent = nullptr);

 private:
  void Apply();
  SocketControl& socket_;
  QCheckBox* enabled_;
  QCheckBox* echo_;
  QLineEdit* port_;
  QComboBox* address_;
  QLineEdit* token_;
};

}  // namespace sondaro
