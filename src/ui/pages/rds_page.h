#pragma once
// The "RDS/RBDS" page: the decoded values, group statistics and consistency
// report in a read-only text box; "Acquire", "Save Data"; the "Get Raw Data"
// box with the capture buttons, its byte counter and "Use Quillet".
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/page.h"

namespace sondaro {

class RdsPage : public Page {
  Q_OBJECT
 public:
  explicit RdsPage(App& app, QWidget* parent = nullptr);
  void Refresh(Area area) override;

 private:
  QPlainTextEdit* text_;
  QLabel* counter_;
  QPushButton* run_;
  QPushButton* stop_;
};

}  // namespace sondaro
