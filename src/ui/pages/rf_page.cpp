#include "ui/pages/rf_page.h"

#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/app.h"

namespace sondaro {

namespace {
constexpr int kColumnX = RfCarrier::kChartWidth + 20;
constexpr int kColumnWidth = 82;
}  // namespace

RfPage::RfPage(App& app, QWidget* parent) : Page(app, parent) {
  RfCarrier& rf = app_.mpx.rf;
  auto* frame =
      new QGroupBox("Carrier Spectrum Analyzer and Instantaneous Frequency Histogram", this);
  auto* inFrame = new QVBoxLayout(frame);
  inFrame->setContentsMargins(4, 4, 4, 4);
  chart_ = new ChartWidget(
      QSize(RfCarrier::kChartWidth, RfCarrier::kChartHeight),
      [&rf](int target, Canvas& c) { rf.VymalujRF(target, c); }, rf.Chart);
  inFrame->addWidget(chart_);
  frame->setGeometry(4, 2, RfCarrier::kChartWidth + 10, RfCarrier::kChartHeight + 26);

  auto button = [this](const char* caption, int row, auto&& onClick) {
    auto* b = new QPushButton(caption, this);
    b->setGeometry(kColumnX, 10 + row * 32, kColumnWidth, 26);
    connect(b, &QPushButton::clicked, this, onClick);
  };
  button("Run", 0, [this] { app_.mpx.GradBtn47Click(); });
  button("Stop", 1, [this] { app_.mpx.GradBtn49Click(); });
  button("Clear", 2, [this] { app_.mpx.rf.GradBtn50Click(); });
  button("Save Bitmap", 3, [this] { app_.images.SaveBitmap(ChartTag::RF); });

  auto* settings = new QGroupBox("Settings", this);
  settings->setGeometry(kColumnX - 6, 10 + 4 * 32, kColumnWidth + 12, 96);
  auto* column = new QVBoxLayout(settings);
  column->setContentsMargins(2, 4, 0, 4);
  auto box = [this, column](const char* caption, auto&& onToggle) {
    auto* b = new QCheckBox(caption);
    column->addWidget(b);
    connect(b, &QCheckBox::toggled, this, onToggle);
    return b;
  };
  mask_ = box("Mask", [this](bool on) { app_.mpx.rf.SRCheckBox7Change(on); });
  maxHold_ = box("Max hold", [this](bool on) { app_.mpx.rf.SRCheckBox8Change(on); });
  histogram_ = box("Histogram", [this](bool on) { app_.mpx.rf.SRCheckBox9Change(on); });

  app_.mpx.hooks.RfPageShown = [this] { return isVisible(); };
  app_.mpx.hooks.RefreshRfChart = [this] { chart_->DirectRefresh(); };
  Refresh(Area::RfCarrier);
}

RfPage::~RfPage() {
  app_.mpx.hooks.RfPageShown = nullptr;
  app_.mpx.hooks.RefreshRfChart = nullptr;
}

void RfPage::Refresh(Area area) {
  if (area != Area::RfCarrier) return;
  const RfCarrier& rf = app_.mpx.rf;
  for (auto [b, on] : {std::pair{mask_, rf.Mask}, {maxHold_, rf.MaxHold}, {histogram_, rf.Histogram}}) {
    const QSignalBlocker quiet(b);
    b->setChecked(on);
  }
}

void RfPage::RepaintChart(ChartTag tag) {
  if (tag == ChartTag::RF) chart_->RequestRepaint();
}

}  // namespace sondaro
