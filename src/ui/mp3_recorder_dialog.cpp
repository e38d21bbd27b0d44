#include "ui/mp3_recorder_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "core/ports.h"
#include "output/mp3_recorder.h"

namespace sondaro {

namespace {

QColor SegmentColour(MeterColour c, bool lit) {
  const int on = lit ? 255 : 128;
  switch (c) {
    case MeterColour::Red: return {on, 0, 0};
    case MeterColour::Yellow: return {on, on, 0};
    case MeterColour::Green: break;
  }
  return {0, on, 0};
}

QComboBox* AddList(QFormLayout* form, const char* label, const QStringList& items, int& index) {
  auto* list = new QComboBox;
  list->addItems(items);
  list->setCurrentIndex(index >= 0 && index < items.size() ? index : -1);
  QObject::connect(list, &QComboBox::currentIndexChanged, list, [&index](int i) { index = i; });
  form->addRow(label, list);
  return list;
}

QCheckBox* AddFlag(QHBoxLayout* row, const char* label, bool& value) {
  auto* box = new QCheckBox(label);
  box->setChecked(value);
  QObject::connect(box, &QCheckBox::toggled, box, [&value](bool on) { value = on; });
  row->addWidget(box);
  return box;
}

QStringList NumberList(std::initializer_list<int> values, const char* unit) {
  QStringList items;
  for (int v : values) items << QString("%1 %2").arg(v).arg(unit);
  return items;
}

}  // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent) { setMinimumSize(40, 90); }

void LevelMeter::SetLevels(double left, double right) {
  left_ = left;
  right_ = right;
  update();
}

void LevelMeter::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  const int barWidth = (width() - 6) / 2;
  PaintBar(p, QRect(2, 2, barWidth, height() - 4), left_);
  PaintBar(p, QRect(4 + barWidth, 2, barWidth, height() - 4), right_);
}

void LevelMeter::PaintBar(QPainter& p, const QRect& bar, double value) {
  const int n = MeterSegmentCount(bar.height());
  for (int i = 0; i < n; ++i) {
    const int y = bar.bottom() + 1 - (i + 1) * 3;
    p.fillRect(bar.left(), y, bar.width(), 2,
               SegmentColour(MeterSegmentColour(i, n), MeterSegmentLit(i, n, value)));
  }
}

Mp3RecorderDialog::Mp3RecorderDialog(RecorderSettings& settings, AudioInputFactory* audio,
                                     Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), settings_(settings), audio_(audio), dialogs_(dialogs) {
  setWindowTitle("MP3 Recorder");
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* form = new QFormLayout;
  AddList(form, "Samplerate:", NumberList({16000, 22050, 24000, 32000, 44100, 48000}, "Hz"),
          settings_.Samplerate);
  const QStringList bitrates =
      NumberList({32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}, "kbps");
  AddList(form, "Bitrate for mono recording:", bitrates, settings_.BitrateMono);
  AddList(form, "Bitrate for stereo recording:", bitrates, settings_.BitrateStereo);
  AddList(form, "Quality:", {"Normal quality", "Low quality", "High quality"}, settings_.Quality);
  left->addLayout(form);
  auto* flags = new QHBoxLayout;
  AddFlag(flags, "Copyright", settings_.Copyright);
  AddFlag(flags, "CRC", settings_.CRC);
  AddFlag(flags, "Original", settings_.Original);
  AddFlag(flags, "Private", settings_.Private);
  left->addLayout(flags);
  left->addWidget(new QLabel(
      "To use the MP3 Recorder:\n"
      " - connect audio source to the default soundcard input\n"
      " - create a script file containing Recorder related commands"));
  row->addLayout(left, 1);

  auto* levels = new QGroupBox("Audio levels");
  auto* levelColumn = new QVBoxLayout(levels);
  meter_ = new LevelMeter;
  levelColumn->addWidget(meter_, 1);
  show_ = new QCheckBox("Show");
  levelColumn->addWidget(show_);
  connect(show_, &QCheckBox::toggled, this, [this](bool on) { ShowLevels(on); });
  row->addWidget(levels);
  column->addLayout(row);

  auto* buttons = new QDialogButtonBox;
  buttons->addButton("Close", QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
  // Closing by any means stops the meter's capture.
  connect(this, &QDialog::finished, this, [this] { show_->setChecked(false); });
}

Mp3RecorderDialog::~Mp3RecorderDialog() { ShowLevels(false); }

void Mp3RecorderDialog::ShowLevels(bool on) {
  if (!on) {
    input_.reset();
    meter_->SetLevels(0.001, 0.001);
    return;
  }
  if (audio_) input_ = audio_->MakeAudioInput();
  const AudioFormat format{.SampleRate = 44100, .Channels = 2, .BufferBytes = 16384, .BufferCount = 2};
  if (!input_ || !input_->Start(format)) {
    input_.reset();
    dialogs_.ShowMessage("Can't access the soundcard!");
    show_->setChecked(false);
    return;
  }
  input_->OnBufferFilled = [this](const std::int16_t* samples, int bytes) {
    const StereoPeaks peaks = PeakLevels(samples, bytes);
    meter_->SetLevels(peaks.Left, peaks.Right);
  };
}

}  // namespace sondaro
