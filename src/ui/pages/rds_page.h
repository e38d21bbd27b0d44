#pragma once
// The "RDS/RBDS" page: the decoded values, group statistics and consistency
// report in a read-only text box; "Acquire", "Save Data"; the "Get Raw Data"
// box with the capture buttons, its byte counter and "Use Quillet"; the
// block error rate and the daily group log.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/page.h"

namespace sondaro {

// The page's text box: fixed pitch at a size that fits an item line with a
// full 64-character RadioText, and updated in place so the reader keeps the
// scroll position and selection.
class RdsTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  // "RT: " and the 64 characters of a RadioText.
  static constexpr int kLineChars = 4 + 64;
  explicit RdsTextBox(QWidget* parent = nullptr);
  // Rewrites only the lines that differ.
  void ShowText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FitFont();
};

class RdsPage : public Page {
  Q_OBJECT
 public:
  explicit RdsPage(App& app, QWidget* parent = nullptr);
  void Refresh(Area area) override;

 private:
  RdsTextBox* text_;
  QLabel* counter_;
  QPushButton* run_;
  QPushButton* stop_;
  QLabel* bler_;
  QCheckBox* log_;
  void RefreshBler();
};

}  // namespace sondaro
