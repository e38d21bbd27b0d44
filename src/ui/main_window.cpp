#include "ui/main_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/app.h"
#include "platform/qt_dialogs.h"
#include "ui/page.h"
#include "ui/pages/setup_page.h"
#include "ui/top_bar.h"

namespace sondaro {

namespace {
constexpr int kClientWidth = 632;
constexpr int kClientHeight = 420;
}  // namespace

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
  setWindowTitle("Sondaro");
  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  topBar_ = new TopBar(app_);
  column->addWidget(topBar_);
  pages_ = new QTabWidget;
  column->addWidget(pages_, 1);
  setCentralWidget(central);

  for (const char* caption : {"Frequency Deviation", "Modulation Power", "MPX", "RF Carrier",
                              "RDS/RBDS", "Bandscan"})
    AddPage(new PlaceholderPage(app_), caption);
  AddPage(new SetupPage(app_), "Setup");

  status_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(false);

  auto* file = menuBar()->addMenu("File");
  file->addAction("Exit", this, &QWidget::close);

  app_.view.Add(this);
  // The client area (everything below the menu bar) is fixed.
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() { app_.view.Remove(this); }

void MainWindow::AddPage(Page* page, const QString& caption) {
  pageList_.push_back(page);
  pages_->addTab(page, caption);
}

void MainWindow::Changed(Area area) {
  if (area == Area::StatusBar) status_->setText(FromLatin1(app_.status.Text()));
  topBar_->Refresh(area);
  for (Page* p : pageList_) p->Refresh(area);
}

void MainWindow::Repaint(ChartTag tag) {
  for (Page* p : pageList_) p->RepaintChart(tag);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  app_.Close();
  event->accept();
}

}  // namespace sondaro
