// The FTP Upload and MP3 Recorder dialogs: edits reach the engine at once,
// the level meter follows its own capture, and a missing sound card says so.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "core/ports.h"
#include "output/ftp_session.h"
#include "output/mp3_recorder.h"
#include "support/gui_app.h"
#include "support/tone_audio_input.h"
#include "ui/ftp_upload_dialog.h"
#include "ui/mp3_recorder_dialog.h"

namespace sondaro {
namespace {

template <class T>
T* Find(QWidget& w, const QString& text) {
  for (T* c : w.findChildren<T*>())
    if (c->property("text").toString() == text) return c;
  return nullptr;
}

TEST(FtpUploadDialog, EditsTakeEffectAtOnce) {
  test::Gui();
  FtpAccount account{"old", "u", "secret", "", "", false};
  FtpUploadDialog dialog(account);
  const auto edits = dialog.findChildren<QLineEdit*>();
  ASSERT_EQ(edits.size(), 5);
  EXPECT_EQ(edits[2]->echoMode(), QLineEdit::Password);
  EXPECT_EQ(edits[2]->text(), "secret");
  edits[0]->setText("ftps://files.example.net:990");
  edits[3]->setText("www");
  Find<QCheckBox>(dialog, "Use passive mode for transfers (like a WWW browser)")->setChecked(true);
  EXPECT_EQ(account.Host, "ftps://files.example.net:990");
  EXPECT_EQ(account.RemoteDir, "www");
  EXPECT_TRUE(account.Passive);
  if (const char* out = std::getenv("SONDARO_SHOTS"))
    dialog.grab().save(QString(out) + "/ftp_upload_dialog.png");
}

TEST(Mp3RecorderDialog, ListsFlagsAndLevelMeter) {
  test::Gui();
  RecorderSettings settings;
  test::ToneAudioFactory audio;
  SilentDialogs dialogs;
  Mp3RecorderDialog dialog(settings, &audio, dialogs);
  const auto lists = dialog.findChildren<QComboBox*>();
  ASSERT_EQ(lists.size(), 4);
  EXPECT_EQ(lists[0]->currentText(), "44100 Hz");
  EXPECT_EQ(lists[2]->currentText(), "128 kbps");
  lists[1]->setCurrentIndex(13);
  Find<QCheckBox>(dialog, "CRC")->setChecked(true);
  EXPECT_EQ(settings.BitrateMono, 13);
  EXPECT_TRUE(settings.CRC);

  auto* show = Find<QCheckBox>(dialog, "Show");
  show->setChecked(true);
  ASSERT_NE(audio.Last, nullptr);
  EXPECT_EQ(audio.Last->Format.SampleRate, 44100);
  EXPECT_EQ(audio.Last->Format.BufferBytes, 16384);
  EXPECT_EQ(audio.Last->Format.BufferCount, 2);
  audio.Last->Deliver(1);
  dialog.resize(dialog.sizeHint());
  if (const char* out = std::getenv("SONDARO_SHOTS"))
    dialog.grab().save(QString(out) + "/mp3_recorder_dialog.png");
  dialog.done(0);  // closing turns "Show" off
  EXPECT_FALSE(show->isChecked());

  audio.Fail = true;
  show->setChecked(true);
  EXPECT_FALSE(show->isChecked());
  EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Can't access the soundcard!"});
}

}  // namespace
}  // namespace sondaro
