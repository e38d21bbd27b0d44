#include "ui/pages/mpx_page.h"

#include <QPushButton>
#include <QSignalBlocker>

#include "app/app.h"

namespace sondaro {

namespace {
constexpr int kColumnX = Mpx::kChartWidth + 16;
constexpr int kColumnWidth = 78;
}  // namespace

MpxPage::MpxPage(App& app, QWidget* parent) : Page(app, parent) {
  Mpx& m = app_.mpx;
  chart_ = new ChartWidget(
      QSize(Mpx::kChartWidth, Mpx::kChartHeight),
      [&m](int target, Canvas& c) { m.VymalujMPX(target, c); }, m.Chart, this);
  chart_->move(8, 8);

  auto button = [this](const char* caption, int row, auto&& onClick) {
    auto* b = new QPushButton(caption, this);
    b->setGeometry(kColumnX, 8 + row * 32, kColumnWidth, 26);
    connect(b, &QPushButton::clicked, this, onClick);
  };
  button("Run", 0, [this] { app_.mpx.GradBtn47Click(); });
  button("Single", 1, [this] { app_.mpx.GradBtn45Click(); });
  button("Stop", 2, [this] { app_.mpx.GradBtn49Click(); });
  double_ = new QCheckBox("Double", this);
  double_->setGeometry(kColumnX + 4, 8 + 3 * 32, kColumnWidth, 26);
  connect(double_, &QCheckBox::toggled, this, [this](bool on) { app_.mpx.SRCheckBox10Change(on); });
  button("Clear", 4, [this] { app_.mpx.GradBtn16Click(); });
  button("Save FFTD", 5, [this] { app_.dataFiles.GradBtn15Click(); });
  button("Save Bitmap", 6, [this] { app_.images.SaveBitmap(ChartTag::MPX); });

  // The engine draws straight onto the screen after each capture.
  m.hooks.MpxPageShown = [this] { return isVisible(); };
  m.hooks.RefreshMpxChart = [this] { chart_->DirectRefresh(); };
  Refresh(Area::Mpx);
}

MpxPage::~MpxPage() {
  app_.mpx.hooks.MpxPageShown = nullptr;
  app_.mpx.hooks.RefreshMpxChart = nullptr;
}

void MpxPage::Refresh(Area area) {
  if (area != Area::Mpx) return;
  const QSignalBlocker quiet(double_);
  double_->setChecked(app_.mpx.DoubleTimeBase());
}

void MpxPage::RepaintChart(ChartTag tag) {
  if (tag == ChartTag::MPX) chart_->RequestRepaint();
}

}  // namespace sondaro
