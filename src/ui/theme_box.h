#pragma once
// The colour theme and font controls of the "Setup" page: hue and
// saturation scroll bars, each as wide as the box with its value shown
// above its end, a preview swatch, "Apply", and "Use System Font (requires
// restart)".
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

#include "core/view.h"

namespace sondaro {

class App;

class ThemeBox : public QGroupBox, public View {
  Q_OBJECT
 public:
  ThemeBox(App& app, QWidget* parent = nullptr);
  ~ThemeBox() override;
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}

 private:
  void ShowValues();
  App& app_;
  QScrollBar* hue_;
  QScrollBar* saturation_;
  QLabel* hueValue_;
  QLabel* saturationValue_;
  QFrame* swatch_;
  QCheckBox* systemFont_;
};

}  // namespace sondaro
