#include "ui/pages/modulation_power_page.h"

#include <QPushButton>

#include "app/app.h"

namespace sondaro {

ModulationPowerPage::ModulationPowerPage(App& app, QWidget* parent) : Page(app, parent) {
  ModulationPower& pm = app_.power;
  chart_ = new ChartWidget(
      QSize(ModulationPower::kChartWidth, ModulationPower::kChartHeight),
      [&pm](int target, Canvas& c) { pm.VymalujPM(target, c); }, pm.Chart, this);
  chart_->move(8, 8);

  auto button = [this](const char* caption, int column, auto&& onClick) {
    auto* b = new QPushButton(caption, this);
    b->setGeometry(8 + column * 92, ModulationPower::kChartHeight + 18, 86, 26);
    connect(b, &QPushButton::clicked, this, onClick);
  };
  button("Run", 0, [this] { app_.power.BitBtn14Click(); });
  button("Stop", 1, [this] { app_.power.BitBtn15Click(); });
  button("Clear", 2, [this] { app_.power.GradBtn14Click(); });
  button("Save Data", 4, [this] { app_.dataFiles.ModulationPower2Click(); });
  button("Save Bitmap", 5, [this] { app_.images.SaveBitmap(ChartTag::PM); });
}

void ModulationPowerPage::RepaintChart(ChartTag tag) {
  if (tag == ChartTag::PM) chart_->RequestRepaint();
}

}  // namespace sondaro
