#include "platform/modules/qt_audio_input.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

namespace sondaro {

QtAudioInput::QtAudioInput() = default;

QtAudioInput::~QtAudioInput() { Stop(); }

bool QtAudioInput::Start(const AudioFormat& format) {
  Stop();
  if (format.BufferBytes <= 0) return false;
  const QAudioDevice device = QMediaDevices::defaultAudioInput();
  if (device.isNull()) return false;
  QAudioFormat f;
  f.setSampleRate(format.SampleRate);
  f.setChannelCount(format.Channels);
  f.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(f)) return false;
  source_ = std::make_unique<QAudioSource>(device, f);
  source_->setBufferSize(format.BufferBytes * std::max(1, format.BufferCount));
  bufferBytes_ = format.BufferBytes;
  io_ = source_->start();
  if (!io_ || source_->error() != QAudio::NoError) {
    Stop();
    return false;
  }
  QObject::connect(io_, &QIODevice::readyRead, &context_, [this] { Drain(); });
  return true;
}

void QtAudioInput::Drain() {
  if (!io_) return;
  pending_.append(io_->readAll());
  // Whole buffers only, as a wave input delivers them.
  while (pending_.size() >= bufferBytes_ && io_) {
    const QByteArray buffer = pending_.left(bufferBytes_);
    pending_.remove(0, bufferBytes_);
    if (OnBufferFilled)
      OnBufferFilled(reinterpret_cast<const std::int16_t*>(buffer.constData()), bufferBytes_);
  }
}

void QtAudioInput::Stop() {
  if (io_) QObject::disconnect(io_, nullptr, &context_, nullptr);
  io_ = nullptr;
  if (source_) source_->stop();
  source_.reset();
  pending_.clear();
}

}  // namespace sondaro

// The module's entry point: one new input per call, owned by the caller.
extern "C" __attribute__((visibility("default"))) sondaro::AudioInput* sondaro_make_audio_input() {
  return new sondaro::QtAudioInput();
}
