#include "ui/shell_front.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

#include "app/app.h"
#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {

QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// A vertical gradient from white to the theme colour, scaled to each widget.
QBrush PanelBrush(const QColor& theme) {
  QLinearGradient g(0, 0, 0, 1);
  g.setCoordinateMode(QGradient::ObjectMode);
  g.setColorAt(0, Qt::white);
  g.setColorAt(1, theme);
  return QBrush(g);
}

void Tint(QWidget* w, const QBrush& brush) {
  QPalette p = w->palette();
  p.setBrush(QPalette::Window, brush);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace

ShellFront::ShellFront(App& app, QMainWindow& window, std::function<void()> exit)
    : QObject(&window), app_(app), window_(window) {
  app_.shell.TrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
  if (app_.shell.TrayAvailable) {
    tray_ = new QSystemTrayIcon(QApplication::windowIcon(), this);
    trayMenu_ = new QMenu(&window_);
    trayMenu_->addAction("Show/Hide", this, [this] { app_.shell.CiaTray1DblClick(); });
    trayMenu_->addSeparator();
    trayMenu_->addAction("Exit", this, exit);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (r == QSystemTrayIcon::DoubleClick) app_.shell.CiaTray1DblClick();
    });
    tray_->show();
  }
  // Saved Visible=0 with no tray to come back from: shown all the same.
  app_.shell.SetShowFlag(app_.shell.ShowFlag());
  app_.view.Add(this);
  ApplyTheme();
}

void ShellFront::Start() {
  started_ = true;
  Sync();
}

ShellFront::~ShellFront() { app_.view.Remove(this); }

void ShellFront::Changed(Area area) {
  if (area != Area::Shell) return;
  ApplyTheme();
  if (started_) Sync();
}

void ShellFront::WindowMinimized() {
  app_.shell.Minimize();
  if (!app_.shell.WindowShown()) {
    // Restore the state first, so showing it later brings back a normal window.
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
  }
  Sync();
}

void ShellFront::Sync() {
  if (tray_) tray_->setToolTip(FromLatin1(app_.shell.TrayTip()));
  const bool shown = app_.shell.WindowShown();
  if (shown && !window_.isVisible()) {
    window_.show();
    window_.raise();
    window_.activateWindow();
  } else if (!shown && window_.isVisible()) {
    window_.hide();
  }
}

void ShellFront::ApplyTheme() {
  const QColor theme = ToQColor(app_.shell.Applied());
  if (window_.property("sondaroTheme").value<QColor>() == theme) return;
  window_.setProperty("sondaroTheme", theme);
  const QBrush panel = PanelBrush(theme);
  if (auto* pages = window_.findChild<QTabWidget*>()) {
    for (int i = 0; i < pages->count(); ++i) Tint(pages->widget(i), panel);
  }
  if (QWidget* top = window_.centralWidget()) {
    if (QWidget* bar = top->findChild<QWidget*>("topBar", Qt::FindDirectChildrenOnly))
      Tint(bar, panel);
  }
  // The menus (main and tray) draw their side bars in it.
  qApp->setProperty("sondaroTheme", theme);
}

void ShellFront::ApplyFontChoice(QWidget& window, bool useSystemFont) {
  QFont font = window.font();
  font.setFamily(useSystemFont ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()
                               : QStringLiteral("DejaVu Sans"));
  window.setFont(font);
}

}  // namespace sondaro
