#pragma once
// The main window only wires components together: the top bar, the seven
// pages, the menus and the status bar, all bound to the App.
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <vector>

#include "core/view.h"

namespace sondaro {

class App;
class Page;
class ShellFront;
class TopBar;

class MainWindow : public QMainWindow, public View {
  Q_OBJECT
 public:
  explicit MainWindow(App& app, QWidget* parent = nullptr);
  ~MainWindow() override;
  void Changed(Area area) override;
  void Repaint(ChartTag tag) override;
  [[nodiscard]] QTabWidget* Pages() const { return pages_; }
  [[nodiscard]] ShellFront* Shell() const { return shellFront_; }
  void Exit1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void AddPage(Page* page, const QString& caption);
  void InstallMenus();
  // File > Save Data, made on first use by whichever feature adds to it.
  QMenu* SaveDataMenu();
  App& app_;
  TopBar* topBar_;
  QTabWidget* pages_;
  std::vector<Page*> pageList_;
  QLabel* status_;
  QLabel* modeStatus_;  // the current mode, in words
  QMenu* fileMenu_;
  QMenu* editMenu_;
  QMenu* optionsMenu_;
  QMenu* helpMenu_;
  QMenu* saveDataMenu_ = nullptr;
  ShellFront* shellFront_ = nullptr;
};

}  // namespace sondaro
