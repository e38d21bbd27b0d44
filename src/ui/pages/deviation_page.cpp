#include "ui/pages/deviation_page.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

DeviationPage::DeviationPage(App& app, QWidget* parent) : Page(app, parent) {
  DeviationHistogram& d = app_.deviation;
  frame_ = new QGroupBox(FromLatin1(d.FrameCaption()), this);
  auto* inFrame = new QVBoxLayout(frame_);
  inFrame->setContentsMargins(4, 4, 4, 4);
  chart_ = new ChartWidget(
      QSize(DeviationHistogram::kChartWidth, DeviationHistogram::kChartHeight),
      [&d](int target, Canvas& c) { d.VymalujDEV(target, c); }, d.Chart);
  inFrame->addWidget(chart_);
  frame_->setGeometry(4, 2, DeviationHistogram::kChartWidth + 10,
                      DeviationHistogram::kChartHeight + 26);

  auto button = [this](const char* caption, int row, auto&& onClick) {
    auto* b = new QPushButton(caption, this);
    b->setGeometry(DeviationHistogram::kChartWidth + 22, 10 + row * 32, 82, 26);
    connect(b, &QPushButton::clicked, this, onClick);
  };
  button("Acquire", 0, [this] { app_.deviation.BitBtn12Click(); });
  button("Reset", 1, [this] { app_.deviation.GradBtn43Click(); });
  button("Change", 2, [this] { app_.deviation.IAeverButton30Click(); });
  button("Save Data", 4, [this] { app_.dataFiles.Histogram2Click(); });
  button("Save Bitmap", 5, [this] { app_.images.SaveBitmap(ChartTag::DEV); });
}

void DeviationPage::Refresh(Area area) {
  if (area == Area::Deviation) frame_->setTitle(FromLatin1(app_.deviation.FrameCaption()));
}

void DeviationPage::RepaintChart(ChartTag tag) {
  if (tag == ChartTag::DEV) chart_->RequestRepaint();
}

}  // namespace sondaro
