#include "ui/output_controls.h"

#include <QHBoxLayout>

#include "app/app.h"
#include "ui/ftp_upload_dialog.h"
#include "ui/mp3_recorder_dialog.h"

namespace sondaro {

namespace {

const char* LampStyle(const char* rgb) {
  static thread_local std::string style;
  style = std::string("background: rgb(") + rgb + "); border: 1px solid gray;";
  return style.c_str();
}

const char* FtpRgb(FtpIndicator c) {
  switch (c) {
    case FtpIndicator::Aqua: return "0,255,255";
    case FtpIndicator::Yellow: return "255,255,0";
    case FtpIndicator::Maroon: break;
  }
  return "128,0,0";
}

QLabel* AddLamp(QHBoxLayout* row, const char* caption) {
  auto* lamp = new QLabel;
  lamp->setFixedSize(10, 10);
  row->addWidget(lamp);
  row->addWidget(new QLabel(caption));
  return lamp;
}

}  // namespace

OutputLamps::OutputLamps(App& app, QWidget* parent) : QWidget(parent), app_(app) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 0, 4, 0);
  row->setSpacing(3);
  ftp_ = AddLamp(row, "FTP");
  row->addSpacing(6);
  rec_ = AddLamp(row, "REC");
  app_.view.Add(this);
  Changed(Area::Ftp);
  Changed(Area::Recorder);
}

OutputLamps::~OutputLamps() { app_.view.Remove(this); }

void OutputLamps::Changed(Area area) {
  if (area == Area::Ftp) ftp_->setStyleSheet(LampStyle(FtpRgb(app_.ftp.Indicator())));
  if (area == Area::Recorder)
    rec_->setStyleSheet(
        LampStyle(app_.recorder.Indicator() == RecIndicator::Yellow ? "255,255,0" : "128,0,0"));
}

void InstallOutputMenus(App& app, QMenu* options, QWidget* parent) {
  // The account edits apply at once; the settings are written at exit.
  options->addAction("FTP Upload...", parent, [&app, parent] {
    FtpUploadDialog dialog(app.ftp.Account, parent);
    dialog.exec();
  });
  // LAME is linked into the program, so there is no library to look for.
  options->addAction("MP3 Recorder...", parent, [&app, parent] {
    Mp3RecorderDialog dialog(app.recorder.Settings, app.ports_.audio, app.GetDialogs(), parent);
    dialog.exec();
  });
}

}  // namespace sondaro
