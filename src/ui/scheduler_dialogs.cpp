#include "ui/scheduler_dialogs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_dialogs.h"

namespace sondaro {

namespace {
constexpr const char* kDayNames[7] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                      "Friday", "Saturday", "Sunday"};
}  // namespace

TimesDialog::TimesDialog(int number, ScheduledTask& task, QWidget* parent)
    : QDialog(parent), editor_(number, task), task_(task) {
  setWindowTitle("Times");
  auto* column = new QVBoxLayout(this);
  column->addWidget(new QLabel(FromLatin1(editor_.Label)));
  auto* row = new QHBoxLayout;
  auto* daysBox = new QGroupBox("Days in week");
  auto* daysColumn = new QVBoxLayout(daysBox);
  for (int d = 0; d < 7; ++d) {
    auto* box = new QCheckBox(kDayNames[d]);
    box->setChecked(editor_.Days[static_cast<std::size_t>(d)]);
    connect(box, &QCheckBox::toggled, this,
            [this, d](bool on) { editor_.Days[static_cast<std::size_t>(d)] = on; });
    days_[static_cast<std::size_t>(d)] = box;
    daysColumn->addWidget(box);
  }
  row->addWidget(daysBox);

  auto* timesColumn = new QVBoxLayout;
  list_ = new QListWidget;
  list_->setFixedWidth(90);
  list_->installEventFilter(this);
  timesColumn->addWidget(list_);
  auto* entryRow = new QHBoxLayout;
  entryRow->addWidget(new QLabel("HH:MM"));
  entry_ = new QLineEdit;
  entry_->setMaxLength(static_cast<int>(TimesEditor::kEntryLength));
  entry_->setFixedWidth(60);
  entry_->installEventFilter(this);
  entryRow->addWidget(entry_);
  timesColumn->addLayout(entryRow);
  auto* add = new QPushButton("Add");
  auto* remove = new QPushButton("Delete");
  add->setAutoDefault(false);
  remove->setAutoDefault(false);
  timesColumn->addWidget(add);
  timesColumn->addWidget(remove);
  row->addLayout(timesColumn);
  column->addLayout(row);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  for (QAbstractButton* b : buttons->buttons())
    if (auto* p = qobject_cast<QPushButton*>(b)) p->setAutoDefault(false);
  column->addWidget(buttons);

  connect(entry_, &QLineEdit::textEdited, this, [this](const QString& text) {
    editor_.SetEntry(ToLatin1(text));
    entry_->setText(FromLatin1(editor_.Entry));
    entry_->setCursorPosition(static_cast<int>(editor_.Entry.size()));
  });
  connect(add, &QPushButton::clicked, this, &TimesDialog::AddClicked);
  connect(remove, &QPushButton::clicked, this, &TimesDialog::DeleteClicked);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {  // "OK"
    editor_.Ok(task_);
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);  // "Cancel"
  ShowRows();
}

bool TimesDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (watched == list_ && key->key() == Qt::Key_Delete) {
    DeleteClicked();
    return true;
  }
  if (watched == entry_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    // Enter acts as "Add" and goes no further: the dialog's OK must not
    // close it and throw away an entry still to be corrected.
    AddClicked();
    return true;
  }
  if (watched == entry_) {
    // Only digits, ":" and backspace are typed; the editing keys pass.
    const QString text = key->text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() < 127 &&
        !TimesEditor::AcceptsKey(static_cast<char>(text[0].unicode())))
      return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TimesDialog::ShowRows() {
  const int current = list_->currentRow();
  list_->clear();
  for (const std::string& r : editor_.Rows) list_->addItem(FromLatin1(r));
  list_->setCurrentRow(current < 0 ? 0 : current);
  entry_->setText(FromLatin1(editor_.Entry));
}

void TimesDialog::AddClicked() {
  editor_.Add();
  ShowRows();
}

void TimesDialog::DeleteClicked() {
  editor_.Delete(list_->currentRow());
  ShowRows();
}

TaskSchedulerDialog::TaskSchedulerDialog(Scheduler& scheduler, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler), dialogs_(dialogs) {
  setWindowTitle("Task Scheduler");
  scheduler_.DialogOpened();
  auto* column = new QVBoxLayout(this);
  grid_ = new QTableWidget(kScheduledTasks, 1);
  grid_->setHorizontalHeaderLabels({"Open/Execute"});
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::SelectedClicked);
  for (int n = 1; n <= kScheduledTasks; ++n) ShowRow(n);
  grid_->setCurrentCell(0, 0);
  column->addWidget(grid_);

  auto* row = new QHBoxLayout;
  auto* find = new QPushButton("Find File...");
  auto* remove = new QPushButton("Delete");
  auto* times = new QPushButton("Times...");
  enabled_ = new QCheckBox("Enabled");
  enabled_->setChecked(scheduler_.SchedulerEnabled);
  auto* close = new QPushButton("Close");
  for (QWidget* w : std::initializer_list<QWidget*>{find, remove, times, enabled_}) row->addWidget(w);
  row->addStretch(1);
  row->addWidget(close);
  column->addLayout(row);
  resize(520, 480);

  // Typed texts go straight into the tasks.
  connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    scheduler_.Task(item->row() + 1).Text = ToLatin1(item->text());
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { OpenTimes(); });
  connect(find, &QPushButton::clicked, this, [this] {  // "Find File..."
    FindTaskFile(scheduler_, dialogs_, CurrentTask());
    ShowRow(CurrentTask());
  });
  connect(remove, &QPushButton::clicked, this, &TaskSchedulerDialog::DeleteCurrent);
  connect(times, &QPushButton::clicked, this, &TaskSchedulerDialog::OpenTimes);
  connect(enabled_, &QCheckBox::toggled, this, [this](bool on) { scheduler_.SchedulerEnabled = on; });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

TaskSchedulerDialog::~TaskSchedulerDialog() { scheduler_.DialogClosed(); }

int TaskSchedulerDialog::CurrentTask() const { return std::max(grid_->currentRow(), 0) + 1; }

void TaskSchedulerDialog::ShowRow(int number) {
  const QSignalBlocker quiet(grid_);
  grid_->setItem(number - 1, 0, new QTableWidgetItem(FromLatin1(scheduler_.Task(number).Text)));
}

void TaskSchedulerDialog::OpenTimes() {
  TimesDialog dialog(CurrentTask(), scheduler_.Task(CurrentTask()), this);
  dialog.exec();
}

void TaskSchedulerDialog::DeleteCurrent() {
  scheduler_.DeleteTask(CurrentTask());
  ShowRow(CurrentTask());
}

}  // namespace sondaro
