#pragma once
// Options > "MP3 Recorder...": the encoder settings the recorder script
// commands use, and a two-bar level meter of the sound card input.
#include <QCheckBox>
#include <QDialog>
#include <QWidget>
#include <memory>

class QPainter;

namespace sondaro {

class AudioInput;
class AudioInputFactory;
class Dialogs;
struct RecorderSettings;

// Left and right peak levels as columns of 3-pixel segments.
class LevelMeter : public QWidget {
  Q_OBJECT
 public:
  explicit LevelMeter(QWidget* parent = nullptr);
  void SetLevels(double left, double right);
  [[nodiscard]] QSize sizeHint() const override { return {60, 150}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintBar(QPainter& p, const QRect& bar, double value);
  double left_ = 0.001;
  double right_ = 0.001;
};

class Mp3RecorderDialog : public QDialog {
  Q_OBJECT
 public:
  Mp3RecorderDialog(RecorderSettings& settings, AudioInputFactory* audio, Dialogs& dialogs,
                    QWidget* parent = nullptr);
  ~Mp3RecorderDialog() override;

 private:
  void ShowLevels(bool on);
  RecorderSettings& settings_;
  AudioInputFactory* audio_;
  Dialogs& dialogs_;
  std::unique_ptr<AudioInput> input_;
  QCheckBox* show_;
  LevelMeter* meter_;
};

}  // namespace sondaro
