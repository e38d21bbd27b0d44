#pragma once
// The main window's frame: tray icon and menu, showing and hiding the window
// by the engine's flag, the colour theme on pages, panels and menus, and the
// font choice made at start.
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>

#include "core/view.h"

class QMainWindow;
class QMenu;

namespace sondaro {

class App;

class ShellFront final : public QObject, public View {
  Q_OBJECT
 public:
  // `exit` is File > "Exit" (tray "Exit" runs it too).
  ShellFront(App& app, QMainWindow& window, std::function<void()> exit);
  ~ShellFront() override;
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}
  // Shows the window, or keeps it in the tray, by the saved "Visible".
  void Start();
  // Minimizing the window hides it to the tray (where there is one).
  void WindowMinimized();
  [[nodiscard]] QSystemTrayIcon* Tray() const { return tray_; }

  // "Use System Font": the platform's font family for the whole window; else
  // the program's own family, the same on every machine. Sizes stay.
  static void ApplyFontChoice(QWidget& window, bool useSystemFont);

 private:
  void Sync();
  void ApplyTheme();
  App& app_;
  QMainWindow& window_;
  QPointer<QSystemTrayIcon> tray_;
  QMenu* trayMenu_ = nullptr;
  bool started_ = false;
};

}  // namespace sondaro
