#pragma once
// Options > "Task Scheduler...": the 48 tasks in a grid, and the "Times"
// dialog of one task. The scheduler tick stays off while the dialog is open.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <array>

#include "automation/scheduler_dialogs.h"

namespace sondaro {

class Dialogs;

class TimesDialog : public QDialog {
  Q_OBJECT
 public:
  TimesDialog(int number, ScheduledTask& task, QWidget* parent = nullptr);
  [[nodiscard]] TimesEditor& Editor() { return editor_; }
  QLineEdit* EntryField() const { return entry_; }
  QListWidget* List() const { return list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRows();
  void AddClicked();
  void DeleteClicked();
  TimesEditor editor_;
  ScheduledTask& task_;
  std::array<QCheckBox*, 7> days_{};
  QListWidget* list_;
  QLineEdit* entry_;
};

class TaskSchedulerDialog : public QDialog {
  Q_OBJECT
 public:
  TaskSchedulerDialog(Scheduler& scheduler, Dialogs& dialogs, QWidget* parent = nullptr);
  ~TaskSchedulerDialog() override;
  QTableWidget* Grid() const { return grid_; }
  // "Times..." and a double-click on the grid: the dialog of the current row.
  void OpenTimes();
  // "Delete" of the current row.
  void DeleteCurrent();

 private:
  [[nodiscard]] int CurrentTask() const;
  void ShowRow(int number);
  Scheduler& scheduler_;
  Dialogs& dialogs_;
  QTableWidget* grid_;
  QCheckBox* enabled_;
};

}  // namespace sondaro
