#pragma once
// The main window only wires components together: the top bar, the seven
// pages, the menus and the status bar, all bound to the App.
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <functional>
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
  // With `deferPages`, only the page on show is built at once; the others
  // are built when first shown or by BuildRemainingPages, so the window
  // appears sooner.
  explicit MainWindow(App& app, QWidget* parent = nullptr, bool deferPages = false);
  ~MainWindow() override;
  void Changed(Area area) override;
  void Repaint(ChartTag tag) override;
  [[nodiscard]] QTabWidget* Pages() const { return pages_; }
  [[nodiscard]] ShellFront* Shell() const { return shellFront_; }
  void Exit1Click();
  void BuildRemainingPages();
  // At the first start (no settings file yet) the status bar tells how to
  // see live values.
  void ShowFirstStartHint();
  static constexpr const char* kFirstStartHint =
      "Tick \"Online Deviation and Signal\" for live readouts";

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  using PageMaker = std::function<Page*()>;
  void AddPage(PageMaker make, const QString& caption);
  void BuildPage(int index);
  void InstallMenus();
  // File > Save Data, made on first use by whichever feature adds to it.
  QMenu* SaveDataMenu();
  App& app_;
  TopBar* topBar_;
  QTabWidget* pages_;
  std::vector<Page*> pageList_;      // the pages built so far
  std::vector<PageMaker> unbuilt_;   // by tab index; empty once built
  bool deferPages_ = false;
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
