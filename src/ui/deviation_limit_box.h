#pragma once
// The deviation limit spin box of the Setup page ("kHz", 50 to 110).
#include <QSpinBox>
#include <QWidget>
#include <memory>

#include "core/view.h"

namespace sondaro {

class App;

class DeviationLimitBox : public QWidget {
  Q_OBJECT
 public:
  DeviationLimitBox(App& app, QWidget* parent = nullptr);
  ~DeviationLimitBox() override;
  // Follows the engine's value (settings at start, scripts).
  void Refresh();

 private:
  App& app_;
  QSpinBox* spin_;
  std::unique_ptr<View> follower_;
};

}  // namespace sondaro
