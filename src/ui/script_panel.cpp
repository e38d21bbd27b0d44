#include "ui/script_panel.h"

#include <cstdio>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"
#include "ui/program.h"
#include "ui/socket_control_dialog.h"

namespace sondaro {

ScriptPanelWidget::ScriptPanelWidget(App& app, QWidget* window, std::function<void(int)> showPage)
    : QWidget(window), app_(app) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  caption_ = new QLabel;
  caption_->setTextFormat(Qt::PlainText);
  caption_->setFixedWidth(78);
  column->addWidget(caption_);
  auto* row = new QHBoxLayout;
  row->setSpacing(2);
  indicator_ = new QLabel;
  indicator_->setFixedSize(10, 10);
  run_ = new QPushButton("Run");
  stop_ = new QPushButton("Stop");
  for (QPushButton* b : {run_, stop_}) b->setFixedSize(32, 20);
  row->addWidget(indicator_);
  row->addWidget(run_);
  row->addWidget(stop_);
  column->addLayout(row);
  setFixedWidth(80);

  ScriptInterpreter& script = app_.automation.script;
  connect(run_, &QPushButton::clicked, this, [&script] { script.RunScript1Click(); });  // "Run"
  connect(stop_, &QPushButton::clicked, this, [&script] { script.StopScript(); });      // "Stop"
  app_.automation.ui.ShowPage = std::move(showPage);
  app_.automation.ui.CloseMainWindow = [window] { window->close(); };
  app_.view.Add(this);
  Changed(Area::Script);
}

ScriptPanelWidget::~ScriptPanelWidget() {
  app_.view.Remove(this);
  app_.automation.ui = {};
}

void ScriptPanelWidget::InstallMenus(QMenu* file, QMenu* edit, QMenu* options) {
  ScriptInterpreter& script = app_.automation.script;
  runScript_ = file->addAction("Run Script...", this, [&script] { script.RunScript1Click(); });
  edit->addAction("Script Editor...", this, [&script] { script.ScriptEditor1Click(); });
  options->addAction("Socket Control...", this, [this] {
    SocketControlDialog dialog(app_.automation.socket, window());
    dialog.exec();
  });
  Changed(Area::Script);
}

void ScriptPanelWidget::Changed(Area area) {
  if (area != Area::Script) return;
  const auto& p = app_.automation.script.panel;
  caption_->setText(
      caption_->fontMetrics().elidedText(FromLatin1(p.Caption), Qt::ElideRight, caption_->width()));
  caption_->setToolTip(FromLatin1(p.Caption));
  indicator_->setStyleSheet(p.Loaded ? "background: rgb(255,255,0); border: 1px solid gray;"
                                     : "background: rgb(128,0,0); border: 1px solid gray;");
  run_->setEnabled(p.RunEnabled);
  run_->setText(FromLatin1(p.RunCaption));
  stop_->setEnabled(p.StopEnabled);
  if (runScript_) runScript_->setEnabled(p.RunEnabled);
}

void StartAutomation(App& app, const ProgramOptions& options, QCoreApplication& qapp) {
  SocketControl& socket = app.automation.socket;
  if (options.Headless)
    socket.Log = [](const std::string& text) { std::fprintf(stderr, "sondaro: %s\n", text.c_str()); };
  socket.ApplyCommandLine(options.SocketPort, options.SocketAddress);
  app.closeHooks.QuitEventLoop = [&qapp] { qapp.quit(); };
  if (options.ScriptFile.empty()) return;
  app.automation.script.RunAfterLaunch(ResolvedStartName(options.ScriptFile));
}

}  // namespace sondaro
