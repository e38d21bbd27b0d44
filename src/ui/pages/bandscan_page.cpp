#include "ui/pages/bandscan_page.h"

#include <QGroupBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"
#include "ui/bandscan_dialogs.h"
#include "ui/extended_bandscan_window.h"

namespace sondaro {

namespace {
constexpr int kButtonsX = Bandscan::kChartWidth + 22;
}  // namespace

BandscanPage::BandscanPage(App& app, QWidget* parent) : Page(app, parent) {
  Bandscan& b = app_.bandscan;
  auto* frame = new QGroupBox("Bandscan", this);
  auto* inFrame = new QVBoxLayout(frame);
  inFrame->setContentsMargins(4, 4, 4, 4);
  chart_ = new ChartWidget(
      QSize(Bandscan::kChartWidth, Bandscan::kChartHeight),
      [&b](int target, Canvas& c) { b.VymalujBAND(target, c); }, b.BandChart);
  chart_->AfterPointer = [&b] { b.SelectFrequencyAt(b.BandChart); };
  inFrame->addWidget(chart_);
  frame->setGeometry(4, 2, Bandscan::kChartWidth + 10, Bandscan::kChartHeight + 26);

  extended_ = new ExtendedBandscanWindow(app_, this);
  log_ = new LogWindow(this);
  b.hooks.ShowLogWindow = [this] {
    log_->ShowText(FromLatin1(app_.bandscan.LogWindowText).replace("\r\n", "\n"));
  };

  auto button = [this](const char* caption, int row, auto&& onClick) {
    auto* btn = new QPushButton(caption, this);
    btn->setGeometry(kButtonsX, 10 + row * 30, 82, 26);
    connect(btn, &QPushButton::clicked, this, onClick);
    return btn;
  };
  acquire_ = button("Acquire", 0, [this] { app_.bandscan.IAeverButton24Click(); });
  stop_ = button("Stop", 1, [this] { app_.bandscan.IAeverButton25Click(); });
  button("Extend", 2, [this] {
    extended_->show();
    extended_->raise();
  });
  button("Save Bitmap", 3, [this] { app_.images.SaveBitmap(ChartTag::BAND); });
  button("Text Result", 4, [this] { app_.bandscan.GradBtn23Click(); });

  auto* styleLabel = new QLabel("Style", this);
  styleLabel->setGeometry(kButtonsX, 164, 82, 16);
  style_ = new QSlider(Qt::Horizontal, this);
  style_->setRange(0, Bandscan::kStyles - 1);
  style_->setPageStep(1);
  style_->setTickPosition(QSlider::TicksBelow);
  style_->setGeometry(kButtonsX, 180, 82, 26);
  connect(style_, &QSlider::valueChanged, this, [this](int v) { app_.bandscan.TrackBar1Change(v); });
  grid_ = new QCheckBox("Grid", this);
  grid_->setGeometry(kButtonsX, 210, 82, 20);
  connect(grid_, &QCheckBox::toggled, this, [this](bool on) { app_.bandscan.SRCheckBox6Change(on); });

  // How far a running scan has come: channel n of 206, then station n of m.
  progress_ = new QProgressBar(this);
  progress_->setGeometry(8, Bandscan::kChartHeight + 34, 200, 18);
  progress_->setTextVisible(false);
  progressText_ = new QLabel(this);
  progressText_->setGeometry(216, Bandscan::kChartHeight + 34, 160, 18);
  stations_ = new QLabel(this);
  stations_->setGeometry(384, Bandscan::kChartHeight + 34, 150, 18);
  Refresh(Area::Bandscan);
}

BandscanPage::~BandscanPage() {
  app_.bandscan.hooks.ShowLogWindow = nullptr;
  app_.bandscan.SetExtendedVisible(false);
}

void BandscanPage::Refresh(Area area) {
  if (area != Area::Bandscan) return;
  const Bandscan& b = app_.bandscan;
  acquire_->setEnabled(b.AcquireEnabled);
  stop_->setEnabled(b.StopEnabled);
  {
    const QSignalBlocker quiet(style_);
    style_->setValue(b.Style);
  }
  {
    const QSignalBlocker quiet(grid_);
    grid_->setChecked(b.Grid);
  }
  progress_->setRange(0, b.ProgressMaximum());
  progress_->setValue(b.ProgressValue());
  progress_->setVisible(b.Running());
  progressText_->setText(FromLatin1(b.ProgressText()));
  stations_->setText(QString("Stations: %1").arg(b.StationList.size()));
}

void BandscanPage::RepaintChart(ChartTag tag) {
  if (tag == ChartTag::BAND) chart_->RequestRepaint();
  if (tag == ChartTag::EBND) extended_->RepaintChart();
}

}  // namespace sondaro
