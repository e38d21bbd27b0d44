#include "ui/script_setup_box.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/app.h"
#include "automation/fms_registration.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

ScriptSetupBox::ScriptSetupBox(App& app, QWidget* parent) : QGroupBox("Scripts", parent), app_(app) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 4, 8, 6);
  debugMode_ = new QCheckBox("Debug mode (stop on errors)");
  register_ = new QPushButton("Register Script Files (*.fms)");
  column->addWidget(debugMode_);
  column->addWidget(register_);
  connect(debugMode_, &QCheckBox::toggled, this,
          [this](bool on) { app_.automation.script.Settings.DebugMode = on; });
  connect(register_, &QPushButton::clicked, this, &ScriptSetupBox::RegisterClick);
  app_.view.Add(this);
  Changed(Area::Script);
}

ScriptSetupBox::~ScriptSetupBox() { app_.view.Remove(this); }

void ScriptSetupBox::Changed(Area area) {
  if (area != Area::Script && area != Area::Setup) return;
  const ScriptSettings& s = app_.automation.script.Settings;
  debugMode_->setChecked(s.DebugMode);
  register_->setEnabled(s.RegisterEnabled);
}

// Opening a script from the file manager then starts this program with it.
void ScriptSetupBox::RegisterClick() {
  const auto env = [](const char* name) {
    const char* v = std::getenv(name);
    return std::string(v ? v : "");
  };
  std::string error;
  if (!RegisterScriptFiles(ToLatin1(QCoreApplication::applicationFilePath()), XdgDataHome(env),
                           app_.ports_.shell, error)) {
    app_.GetDialogs().ShowError(error);
    return;
  }
  app_.automation.script.Settings.RegisterEnabled = false;
  Changed(Area::Script);
}

}  // namespace sondaro
