#pragma once
// Sound card input through Qt Multimedia: the default input device, 16-bit
// PCM, cut into buffers of the requested size and handed on in the event
// loop's thread.
#include <QByteArray>
#include <QObject>
#include <memory>

#include "core/audio_input.h"

class QAudioSource;
class QIODevice;

namespace sondaro {

class QtAudioInput final : public AudioInput {
 public:
  QtAudioInput();
  ~QtAudioInput() override;
  bool Start(const AudioFormat& format) override;
  void Stop() override;

 private:
  void Drain();
  QObject context_;
  std::unique_ptr<QAudioSource> source_;
  QIODevice* io_ = nullptr;
  QByteArray pending_;
  int bufferBytes_ = 0;
};


}  // namespace sondaro
