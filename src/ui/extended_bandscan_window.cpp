#include "ui/extended_bandscan_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"

namespace sondaro {

ExtendedBandscanWindow::ExtendedBandscanWindow(App& app, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app) {
  setWindowTitle("Extended Bandscan");
  Bandscan& b = app_.bandscan;
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  area_ = new QWidget;
  area_->setMinimumSize(1, 1);
  area_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  area_->installEventFilter(this);
  chart_ = new ChartWidget(
      QSize(app_.images.BitmapWidth, app_.images.BitmapHeight),
      [&b](int target, Canvas& c) { b.VymalujEBND(target, c); }, b.ExtendedChart, area_);
  chart_->AfterPointer = [&b] { b.SelectFrequencyAt(b.ExtendedChart); };
  column->addWidget(area_, 1);

  // Two rows, so that nothing in them is cut or covered down to the
  // window's minimum size: the switches and the size, then the footnote and
  // the buttons.
  auto* panel = new QWidget;
  auto* rows = new QVBoxLayout(panel);
  rows->setContentsMargins(6, 4, 6, 4);
  rows->setSpacing(4);
  auto* top = new QHBoxLayout;
  showFreq_ = new QCheckBox("Frequency");
  showPI_ = new QCheckBox("PI");
  showPS_ = new QCheckBox("PS");
  lock_ = new QCheckBox("Lock");
  for (QCheckBox* box : {showFreq_, showPI_, showPS_, lock_}) top->addWidget(box);
  top->addSpacing(8);
  width_ = new QLabel;
  height_ = new QLabel;
  for (QLabel* number : {width_, height_})  // four digits without the row moving
    number->setMinimumWidth(number->fontMetrics().horizontalAdvance("8888"));
  top->addWidget(new QLabel("Width:"));
  top->addWidget(width_);
  top->addWidget(new QLabel("Height:"));
  top->addWidget(height_);
  top->addStretch(1);
  rows->addLayout(top);
  auto* bottom = new QHBoxLayout;
  auto* footnote = new QLabel(kExtendedFootnote);
  footnote->setStyleSheet("color: rgb(128,0,0);");
  bottom->addWidget(footnote);
  bottom->addStretch(1);
  auto* save = new QPushButton("Save Bitmap");
  auto* close = new QPushButton("Close");
  bottom->addWidget(save);
  bottom->addWidget(close);
  rows->addLayout(bottom);
  column->addWidget(panel);
  minimum_ = QSize(std::max(Bandscan::kMinExtendedChartWidth, panel->minimumSizeHint().width()),
                   Bandscan::kMinExtendedChartHeight + panel->sizeHint().height());

  const ExtendedBandscanSettings& e = b.Extended;
  showFreq_->setChecked(e.ShowFreq);
  showPI_->setChecked(e.ShowPI);
  showPS_->setChecked(e.ShowPS);
  lock_->setChecked(e.Lock);
  for (QCheckBox* box : {showFreq_, showPI_, showPS_})
    connect(box, &QCheckBox::toggled, this, [this] { CBSClick(); });
  connect(lock_, &QCheckBox::toggled, this, [this] { CBLOCKClick(); });
  connect(save, &QPushButton::clicked, this, [this] { app_.images.SaveBitmap(ChartTag::EBND); });
  connect(close, &QPushButton::clicked, this, &QWidget::hide);

  setMinimumSize(minimum_);
  resize(std::max(e.Width, minimum_.width()), std::max(e.Height, minimum_.height()));
  move(e.Left, e.Top);
  CBLOCKClick();
  b.CBSClick();
}

void ExtendedBandscanWindow::CBSClick() {
  ExtendedBandscanSettings& e = app_.bandscan.Extended;
  e.ShowFreq = showFreq_->isChecked();
  e.ShowPI = showPI_->isChecked();
  e.ShowPS = showPS_->isChecked();
  app_.bandscan.CBSClick();
}

// Locked: no maximize and no resizing; the system menu and minimize stay.
void ExtendedBandscanWindow::CBLOCKClick() {
  const bool locked = lock_->isChecked();
  app_.bandscan.Extended.Lock = locked;
  const bool shown = isVisible();
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint;
  if (!locked) flags |= Qt::WindowMaximizeButtonHint;
  setWindowFlags(flags);
  if (locked) {
    setFixedSize(size());
  } else {
    setMinimumSize(minimum_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  if (shown) show();
}

// The chart fills what the bottom panel leaves; its size is the "EBND"
// image size.
void ExtendedBandscanWindow::FollowChartArea() {
  const QSize size = area_->size();
  if (size.width() < 1 || size.height() < 1) return;
  chart_->SetChartSize(size);
  width_->setText(QString::number(size.width()));
  height_->setText(QString::number(size.height()));
  app_.images.BitmapWidth = size.width();
  app_.images.BitmapHeight = size.height();
}

bool ExtendedBandscanWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == area_ && event->type() == QEvent::Resize) FollowChartArea();
  return QWidget::eventFilter(watched, event);
}

void ExtendedBandscanWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FollowChartArea();
  app_.bandscan.SetExtendedVisible(true);
}

void ExtendedBandscanWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  app_.bandscan.SetExtendedVisible(false);
}

void ExtendedBandscanWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  app_.bandscan.Extended.Width = width();
  app_.bandscan.Extended.Height = height();
}

void ExtendedBandscanWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  app_.bandscan.Extended.Left = x();
  app_.bandscan.Extended.Top = y();
}

}  // namespace sondaro
