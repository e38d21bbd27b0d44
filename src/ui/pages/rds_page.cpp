#include "ui/pages/rds_page.h"

#include <QFileDialog>
#include <QTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {

constexpr int kButtonColumnWidth = 100;

}  // namespace

RdsTextBox::RdsTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  // Item lines fit (FitFont); longer ones, a consistency warning or a long
  // AF list, wrap rather than hide behind a sideways scroll.
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  document()->setDocumentMargin(2);
  // Fixed pitch keeps the statistics and the raw group lines in columns.
  // DejaVu Sans Mono is on every machine this runs on; the hint finds
  // another fixed-pitch face where it is not.
  QFont fixed("DejaVu Sans Mono");
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  setFont(fixed);
  FitFont();
}

// The largest size up to 9 points at which an item line of kLineChars fits
// the box.
void RdsTextBox::FitFont() {
  const int room = viewport()->width() - 2 * static_cast<int>(document()->documentMargin()) -
                   cursorWidth() - 1;
  QFont f = font();
  for (double points = 9.0; points >= 6.0; points -= 0.5) {
    f.setPointSizeF(points);
    if (QFontMetrics(f).horizontalAdvance(QString(kLineChars, 'W')) <= room) break;
  }
  if (f != font()) setFont(f);
}

void RdsTextBox::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  FitFont();
}

// Ctrl+C on a selection copies the text, not the page's chart (there is
// none) as the window's "Copy Bitmap" would.
bool RdsTextBox::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && textCursor().hasSelection()) {
    event->accept();
    return true;
  }
  return QPlainTextEdit::event(event);
}

void RdsTextBox::ShowText(const QString& text) {
  const QString old = toPlainText();
  if (old == text) return;
  if (old.isEmpty()) {
    setPlainText(text);
    return;
  }
  // Line by line: only lines that differ are rewritten, so the reader's
  // selection (moved by the document with its text) and the view stay.
  const QStringList before = old.split('\n'), after = text.split('\n');
  const int top = verticalScrollBar()->value(), left = horizontalScrollBar()->value();
  const auto common = std::min(before.size(), after.size());
  QTextCursor edit(document());
  edit.beginEditBlock();
  for (qsizetype i = 0; i < common; ++i) {
    if (before[i] == after[i]) continue;
    const QTextBlock line = document()->findBlockByNumber(static_cast<int>(i));
    edit.setPosition(line.position());
    edit.setPosition(line.position() + line.length() - 1, QTextCursor::KeepAnchor);
    edit.insertText(after[i]);
  }
  if (after.size() != before.size()) {
    // Lines added or removed at the end.
    const QTextBlock last = document()->findBlockByNumber(static_cast<int>(common - 1));
    edit.setPosition(last.position() + last.length() - 1);
    edit.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    edit.insertText(after.size() > common ? "\n" + after.mid(common).join('\n') : QString());
  }
  edit.endEditBlock();
  verticalScrollBar()->setValue(top);
  horizontalScrollBar()->setValue(left);
}

RdsPage::RdsPage(App& app, QWidget* parent) : Page(app, parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 4, 4, 4);
  row->setSpacing(4);

  auto* frame = new QGroupBox("Radio Data System / Radio Broadcast Data System");
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(3, 3, 3, 3);
  text_ = new RdsTextBox;
  frameLayout->addWidget(text_);

  // Our own: the share of lost blocks, and every group to a daily file, on
  // one row under the text, so the button column keeps its full height.
  auto* monitor = new QGroupBox("Block Errors");
  auto* monitorRow = new QHBoxLayout(monitor);
  monitorRow->setContentsMargins(6, 2, 6, 4);
  monitorRow->setSpacing(12);
  bler_ = new QLabel;
  log_ = new QCheckBox("Log groups");
  auto* folder = new QPushButton("Log Folder...");
  monitorRow->addWidget(bler_, 1);
  monitorRow->addWidget(log_);
  monitorRow->addWidget(folder);

  auto* left = new QVBoxLayout;
  left->setSpacing(4);
  left->addWidget(frame, 1);
  left->addWidget(monitor);
  row->addLayout(left, 1);

  // A narrow column of full-width buttons leaves the text box the width of
  // a whole RadioText line.
  auto* side = new QWidget;
  side->setFixedWidth(kButtonColumnWidth);
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  auto* acquire = new QPushButton("Acquire");
  auto* saveData = new QPushButton("Save Data");
  column->addWidget(acquire);
  column->addWidget(saveData);

  auto* raw = new QGroupBox("Get Raw Data");
  auto* rawColumn = new QVBoxLayout(raw);
  rawColumn->setContentsMargins(4, 4, 4, 4);
  rawColumn->setSpacing(4);
  run_ = new QPushButton("Run");
  stop_ = new QPushButton("Stop");
  auto* clear = new QPushButton("Clear");
  auto* view = new QPushButton("View");
  auto* save = new QPushButton("Save");
  counter_ = new QLabel;
  counter_->setAlignment(Qt::AlignCenter);
  auto* quillet = new QPushButton("Use Quillet");
  for (QWidget* w : std::initializer_list<QWidget*>{run_, stop_, clear, view, save, counter_, quillet})
    rawColumn->addWidget(w);
  column->addWidget(raw);
  column->addStretch(1);
  row->addWidget(side);

  connect(acquire, &QPushButton::clicked, this, [this] { app_.rds.data.IAeverButton32Click(); });
  connect(saveData, &QPushButton::clicked, this, [this] { app_.rds.data.IAeverButton31Click(); });
  connect(run_, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton35Click(); });
  connect(stop_, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton36Click(); });
  connect(clear, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton38Click(); });
  connect(view, &QPushButton::clicked, this, [this] { app_.rds.raw.GradBtn44Click(); });
  connect(save, &QPushButton::clicked, this, [this] { app_.rds.raw.IAeverButton37Click(); });
  connect(quillet, &QPushButton::clicked, this, [this] { app_.rds.relay.GradBtn20Click(); });
  connect(log_, &QCheckBox::toggled, this, [this](bool on) {
    if (on != app_.rds.groupLog.Enabled()) app_.rds.groupLog.SetEnabled(on);
  });
  connect(folder, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, "RDS Group Log Folder", FromLatin1(app_.rds.groupLog.Folder()));
    if (chosen.isEmpty()) return;
    app_.rds.groupLog.SetFolder(ToLatin1(chosen));
    Refresh(Area::RawRds);
  });
  // The windows slide with time, also while no group arrives.
  auto* blerTimer = new QTimer(this);
  connect(blerTimer, &QTimer::timeout, this, [this] { RefreshBler(); });
  blerTimer->start(1000);
  Refresh(Area::Rds);
  Refresh(Area::RawRds);
}

void RdsPage::RefreshBler() {
  const Millis now = app_.GetClock().Now();
  const BlockErrorRate& b = app_.rds.bler;
  bler_->setText(FromLatin1("10 s: " + b.Text(now, BlockErrorRate::kShortWindow) + " %    60 s: " +
                            b.Text(now, BlockErrorRate::kLongWindow) + " %"));
}

void RdsPage::Refresh(Area area) {
  if (area == Area::Rds) {
    text_->ShowText(FromLatin1(app_.rds.data.TextBoxText()).replace("\r\n", "\n"));
  } else if (area == Area::RawRds) {
    counter_->setText(FromLatin1(app_.rds.raw.ByteCounterText()));
    // Bold while the analyzer is asked to stream.
    QFont f = run_->font();
    f.setBold(app_.rds.raw.RawCapturing);
    run_->setFont(f);
    RefreshBler();
    log_->setChecked(app_.rds.groupLog.Enabled());
    const std::string& folder = app_.rds.groupLog.Folder();
    log_->setToolTip(FromLatin1("Appends every received group to \"RDS Groups <date>.txt\" in " +
                                (folder.empty() ? app_.AppFolder() : folder)));
  }
}

}  // namespace sondaro
