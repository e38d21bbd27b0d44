#pragma once
// The script panel of the top bar (caption, indicator, "Run", "Stop"), the
// script and socket control menu entries, and the start of automation when
// the program comes up.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include "core/view.h"

namespace sondaro {

class App;
struct ProgramOptions;

class ScriptPanelWidget : public QWidget, public View {
  Q_OBJECT
 public:
  // `window` closes on EXIT and shows the pages of PAGE.SHOW.
  ScriptPanelWidget(App& app, QWidget* window, std::function<void(int)> showPage);
  ~ScriptPanelWidget() override;
  // File > "Run Script...", Edit > "Script Editor...", Options > "Socket
  // Control...".
  void InstallMenus(QMenu* file, QMenu* edit, QMenu* options);
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}

 private:
  App& app_;
  QLabel* caption_;
  QLabel* indicator_;
  QPushButton* run_;
  QPushButton* stop_;
  QAction* runScript_ = nullptr;
};

// After the settings are read: socket control options of the command line
// (this run only), EXIT without a window, and the script file parameter,
// run 10 ms later.
void StartAutomation(App& app, const ProgramOptions& options, QCoreApplication& qapp);

}  // namespace sondaro
