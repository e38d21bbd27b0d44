#pragma once
// The receiver controls at the top of the main window: the frequency list
// with "<", ">" and "Tune", the mode buttons "Measuring" and "RDS", and
// "Online Deviation and Signal"; plus their menu entries ("File" > "Load
// Internal File", "Acquire All"; "Edit" > "Carrier Offset").
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include "core/view.h"

namespace sondaro {

class App;

// A gradient button drawn raised or pressed (colours swapped).
class ModeButton : public QPushButton {
  Q_OBJECT
 public:
  using QPushButton::QPushButton;
  void SetPressedLook(bool pressed);
  [[nodiscard]] bool PressedLook() const { return pressedLook_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool pressedLook_ = false;
};

class TuningControls : public QWidget, public View {
  Q_OBJECT
 public:
  // Lays itself out inside `area` (the top bar's controls area).
  TuningControls(App& app, QWidget* area);
  ~TuningControls() override;
  void Changed(Area area) override;
  void Repaint(ChartTag) override {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillList();
  App& app_;
  QComboBox* list_;
  QPushButton* prev_;
  QPushButton* next_;
  QPushButton* tune_;
  ModeButton* measuring_;
  ModeButton* rds_;
  QCheckBox* online_;
  QWidget* frequencyReadout_ = nullptr;
};

// The menu entries of mode and tuning, in their own block of each menu.
void InstallTuningMenus(App& app, QMenu* fileMenu, QMenu* editMenu);

}  // namespace sondaro
