#pragma once
// Readouts at the top of the main window: "Frequency", "Signal", "Pilot",
// "RDS", "Deviation MAX" / "Phase Diff.", and the TX / RX lamps.
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "core/view.h"

namespace sondaro {

class App;

class TopBar : public QWidget {
  Q_OBJECT
 public:
  TopBar(App& app, QWidget* parent = nullptr);
  void Refresh(Area area);
  // The first row holds the tuning and mode controls, the second the
  // readouts with room for the script panel at its end.
  QWidget* ControlsArea() const { return controls_; }
  QWidget* ScriptArea() const { return script_; }

 private:
  QLabel* Readout(const QString& caption, QGroupBox** frame = nullptr, int width = 84);
  App& app_;
  QLabel* frequency_;
  QProgressBar* signal_;
  QLabel* pilot_;
  QLabel* rds_;
  QLabel* third_;
  QGroupBox* thirdFrame_;
  QLabel* tx_;
  QLabel* rx_;
  QWidget* controls_;
  QWidget* script_;
};

}  // namespace sondaro
