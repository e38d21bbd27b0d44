#pragma once
// The script controls of the "Setup" page: "Debug mode (stop on errors)" and
// "Register Script Files (*.fms)".
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "core/view.h"

namespace sondaro {

class App;

class ScriptSetupBox : public QGroupBox, public View {
  Q_OBJECT
 public:
  ScriptSetupBox(App& app, QWidget* parent = nullptr);
  ~ScriptSetupBox() override;
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}

 private:
  void RegisterClick();  // "Register Script Files (*.fms)"
  App& app_;
  QCheckBox* debugMode_;
  QPushButton* register_;
};

}  // namespace sondaro
