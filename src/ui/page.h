#pragma once
// A page of the main window's page control. Pages re-read engine state when
// told which area changed.
#include <QWidget>

#include "core/view.h"

namespace sondaro {

class App;

class Page : public QWidget {
  Q_OBJECT
 public:
  Page(App& app, QWidget* parent = nullptr) : QWidget(parent), app_(app) {}
  virtual void Refresh(Area area) = 0;
  virtual void RepaintChart(ChartTag) {}

 protected:
  App& app_;
};

// A page whose features are not built yet: its caption only.
class PlaceholderPage final : public Page {
  Q_OBJECT
 public:
  using Page::Page;
  void Refresh(Area) override {}
};

}  // namespace sondaro
