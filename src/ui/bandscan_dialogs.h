#pragma once
// The bandscan's small windows: the modal "Bandscan calibration" dialog and
// the "Log Window" that "Text Result" fills.
#include <QDialog>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace sondaro {

class Bandscan;

class BandscanCalibrationDialog : public QDialog {
  Q_OBJECT
 public:
  BandscanCalibrationDialog(Bandscan& bandscan, QWidget* parent = nullptr);
  [[nodiscard]] QSpinBox* SpinBox() const { return spin_; }

 protected:
  // However the dialog closes, MaxSignal takes the spin box value.
  void done(int result) override;

 private:
  Bandscan& bandscan_;
  QSpinBox* spin_;
};

// "Bandscan calibration..." of the Options menu.
void Bandscancalibration1Click(Bandscan& bandscan, QWidget* parent);

// A sizeable tool window with one read-only, non-wrapping text area.
class LogWindow : public QWidget {
  Q_OBJECT
 public:
  explicit LogWindow(QWidget* parent = nullptr);
  void ShowText(const QString& text);
  [[nodiscard]] QPlainTextEdit* TextArea() const { return text_; }

 private:
  QPlainTextEdit* text_;
};

}  // namespace sondaro
