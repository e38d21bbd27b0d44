#include "ui/pages/rds_page.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

RdsPage::RdsPage(App& app, QWidget* parent) : Page(app, parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 6, 6, 6);

  auto* frame = new QGroupBox("Radio Data System / Radio Broadcast Data System");
  auto* frameLayout = new QVBoxLayout(frame);
  text_ = new QPlainTextEdit;
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Fixed pitch keeps the statistics and the raw group lines in columns.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(fixed).fixedPitch()) fixed.setFamily("monospace");
  text_->setFont(fixed);
  frameLayout->addWidget(text_);
  row->addWidget(frame, 1);

  auto* column = new QVBoxLayout;
  auto* acquire = new QPushButton("Acquire");
  auto* saveData = new QPushButton("Save Data");
  column->addWidget(acquire);
  column->addWidget(saveData);

  auto* raw = new QGroupBox("Get Raw Data");
  auto* grid = new QGridLayout(raw);
  run_ = new QPushButton("Run");
  stop_ = new QPushButton("Stop");
  auto* clear = new QPushButton("Clear");
  auto* view = new QPushButton("View");
  auto* save = new QPushButton("Save");
  counter_ = new QLabel;
  counter_->setAlignment(Qt::AlignCenter);
  auto* quillet = new QPushButton("Use Quillet");
  grid->addWidget(run_, 0, 0);
  grid->addWidget(stop_, 0, 1);
  grid->addWidget(clear, 1, 0);
  grid->addWidget(view, 1, 1);
  grid->addWidget(save, 2, 0, 1, 2);
  grid->addWidget(counter_, 3, 0, 1, 2);
  grid->addWidget(quillet, 4, 0, 1, 2);
  column->addWidget(raw);
  column->addStretch(1);
  row->addLayout(column);

  connect(acquire, &QPushButton::clicked, this, [this] { app_.rds.data.IAeverButton32Click(); });
  connect(saveData, &QPushButton::clicked, this, [this] { app_.rds.data.IAeverButton31Click(); });
  connect(run_, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton35Click(); });
  connect(stop_, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton36Click(); });
  connect(clear, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton38Click(); });
  connect(view, &QPushButton::clicked, this, [this] { app_.rds.raw.GradBtn44Click(); });
  connect(save, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton37Click(); });
  connect(quillet, &QPushButton::clicked, this, [this] { app_.rds.relay.GradBtn20Click(); });
  Refresh(Area::Rds);
  Refresh(Area::RawRds);
}

void RdsPage::Refresh(Area area) {
  if (area == Area::Rds) {
    text_->setPlainText(FromLatin1(app_.rds.data.TextBoxText()));
  } else if (area == Area::RawRds) {
    counter_->setText(FromLatin1(app_.rds.raw.ByteCounterText()));
    // Bold while the analyzer is asked to stream.
    QFont f = run_->font();
    f.setBold(app_.rds.raw.RawCapturing);
    run_->setFont(f);
  }
}

}  // namespace sondaro
