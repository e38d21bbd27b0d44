#include "ui/deviation_limit_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "app/app.h"

namespace sondaro {

namespace {

// Re-reads the value whenever the Setup area changes.
class Follower final : public View {
 public:
  explicit Follower(DeviationLimitBox& box) : box_(box) {}
  void Changed(Area area) override {
    if (area == Area::Setup) box_.Refresh();
  }
  void Repaint(ChartTag) override {}

 private:
  DeviationLimitBox& box_;
};

}  // namespace

DeviationLimitBox::DeviationLimitBox(App& app, QWidget* parent) : QWidget(parent), app_(app) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel("Deviation limit:"));
  spin_ = new QSpinBox;
  spin_->setRange(DeviationHistogram::kLimitMin, DeviationHistogram::kLimitMax);
  spin_->setSingleStep(1);
  spin_->setSuffix(" kHz");
  row->addWidget(spin_);
  row->addStretch(1);
  Refresh();
  // SEDEVLIMChange
  connect(spin_, &QSpinBox::valueChanged, this,
          [this](int v) { app_.deviation.SetDeviationLimit(v); });
  follower_ = std::make_unique<Follower>(*this);
  app_.view.Add(follower_.get());
}

DeviationLimitBox::~DeviationLimitBox() { app_.view.Remove(follower_.get()); }

void DeviationLimitBox::Refresh() {
  if (spin_->value() == app_.deviation.DeviationLimit) return;
  const QSignalBlocker quiet(spin_);
  spin_->setValue(app_.deviation.DeviationLimit);
}

}  // namespace sondaro
