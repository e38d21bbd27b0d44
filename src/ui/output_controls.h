#pragma once
// The FTP session's and the recorder's part of the main window: the "FTP"
// and "REC" lamps, and the Options entries of their dialogs.
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include "core/view.h"

namespace sondaro {

class App;

class OutputLamps : public QWidget, public View {
  Q_OBJECT
 public:
  explicit OutputLamps(App& app, QWidget* parent = nullptr);
  ~OutputLamps() override;
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}

 private:
  App& app_;
  QLabel* ftp_;
  QLabel* rec_;
};

// Options > "FTP Upload..." and "MP3 Recorder...".
void InstallOutputMenus(App& app, QMenu* options, QWidget* parent);

}  // namespace sondaro
