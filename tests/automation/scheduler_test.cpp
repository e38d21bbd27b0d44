// The task scheduler in virtual time: which task runs in which minute, what
// running a task does, the Times encoding through the settings file, and the
// rules of the two dialogs.
#include "automation/scheduler.h"

#include "automation/automation_fixture.h"
#include "automation/scheduler_dialogs.h"
#include "core/formats.h"
#include "core/text.h"

namespace sondaro {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

constexpr std::uint16_t kMonday = 1, kSunday = 1 << 6, kEveryDay = 0x7F;

// An App whose wall clock starts where the test needs it.
struct World {
  explicit World(Millis wallStart) : clock(wallStart) {
    app.automation.ui.CloseMainWindow = [this] { ++closes; };
    app.scheduler.ReportFailure = [this](const std::string& m) { failures.push_back(m); };
    app.scheduler.SchedulerEnabled = true;
  }
  ~World() { std::filesystem::remove_all(folder); }
  AppPorts Ports() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
    AppPorts p{clock, serial, tcp, dialogs};
#pragma GCC diagnostic pop
    p.appFolder = folder;
    p.shell = &shell;
    return p;
  }
  // A task named after its number ("job3"), started as a program when due.
  void Add(int number, std::uint16_t days, std::vector<TimeSlot> times) {
    ScheduledTask& t = app.scheduler.Task(number);
    t.Text = "job" + std::to_string(number);
    t.Days = days;
    for (std::size_t i = 0; i < times.size(); ++i) t.Times[i] = times[i];
  }
  std::vector<std::string> Started() const {
    std::vector<std::string> names;
    for (const auto& s : shell.Started) names.push_back(s.Program);
    return names;
  }
  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }

  VirtualClock clock;
  test::FakeSerialPort serial;
  test::FakeTcpClient tcp;
  test::ScriptedDialogs dialogs;
  RecordingShell shell;
  std::string folder = TempFolder();
  App app{Ports()};
  int closes = 0;
  std::vector<std::string> failures;
};

// Monday 2024-01-15 is the virtual clock's own day.
Millis At(int day, int hour, int minute, int second) { return JoinWall(2024, 1, day, hour, minute, second); }

struct Case {
  const char* name;
  Millis start;
  Millis run;  // virtual time to advance
  void (*setup)(World&);
  std::vector<std::string> started;  // in order
};

TEST(SchedulerTick, WhichTasksRunAndWhen) {
  const Case cases[] = {
      {"the lowest number of two due in the same minute", At(15, 7, 29, 30), 60000,
       [](World& w) {
         w.Add(5, kMonday, {{7, 30}});
         w.Add(3, kMonday, {{7, 30}});
       },
       {"job3"}},
      {"the other one runs the next minute it is due", At(15, 7, 29, 30), 120000,
       [](World& w) {
         w.Add(3, kMonday, {{7, 30}});
         w.Add(5, kMonday, {{7, 30}, {7, 31}});
       },
       {"job3", "job5"}},
      {"once per minute, any slot of the list", At(15, 12, 0, 30), 5 * 60000,
       [](World& w) { w.Add(1, kEveryDay, {{12, 4}, {12, 1}, {12, 3}}); },
       {"job1", "job1", "job1"}},
      {"no days, no run", At(15, 7, 29, 30), 60000,
       [](World& w) { w.Add(1, 0, {{7, 30}}); }, {}},
      {"the weekday counts", At(15, 7, 29, 30), 60000,
       [](World& w) {
         w.Add(1, kSunday, {{7, 30}});
         w.Add(2, kEveryDay & ~kMonday, {{7, 30}});
       },
       {}},
      {"across midnight, Sunday then Monday", At(14, 23, 58, 30), 3 * 60000,
       [](World& w) {
         w.Add(1, kMonday, {{23, 59}, {0, 0}});
         w.Add(2, kSunday, {{23, 59}, {0, 0}});
       },
       {"job2", "job1"}},
      {"started in a minute 0: that minute is not checked", At(15, 14, 0, 20), 2 * 60000,
       [](World& w) {
         w.Add(1, kMonday, {{14, 0}});
         w.Add(2, kMonday, {{14, 1}});
       },
       {"job2"}},
      {"an empty text is no task", At(15, 7, 29, 30), 60000,
       [](World& w) {
         w.Add(1, kMonday, {{7, 30}});
         w.app.scheduler.Task(1).Text.clear();
       },
       {}},
      {"switched off", At(15, 7, 29, 30), 60000,
       [](World& w) {
         w.Add(1, kMonday, {{7, 30}});
         w.app.scheduler.SchedulerEnabled = false;
       },
       {}},
      {"held off while the dialog is open", At(15, 7, 29, 30), 60000,
       [](World& w) {
         w.Add(1, kMonday, {{7, 30}});
         w.app.scheduler.DialogOpened();
       },
       {}},
  };
  for (const Case& c : cases) {
    World w(c.start);
    c.setup(w);
    w.Advance(c.run);
    EXPECT_EQ(w.Started(), c.started) << c.name;
    EXPECT_TRUE(w.failures.empty()) << c.name;
  }
}

TEST(SchedulerTick, TheDialogClosingResumesTheTick) {
  World w(At(15, 7, 29, 30));
  w.Add(1, kMonday, {{7, 30}, {7, 31}});
  w.app.scheduler.DialogOpened();
  w.Advance(90500);  // open through all of 07:30
  w.app.scheduler.DialogClosed();
  w.Advance(60000);
  EXPECT_EQ(w.Started(), std::vector<std::string>{"job1"});  // 07:31 only
}

// Headless, there is no window to close: the close path itself runs before
// the system is asked, so the settings are on disk and the recording and
// FTP session are finished when the power goes.
TEST(SchedulerRun, PowerRequestWithoutAWindowComesAfterTheClose) {
  for (const char* text : {"REBOOT", "SHUTDOWN"}) {
    World w(At(15, 7, 0, 0));
    w.app.automation.ui.CloseMainWindow = nullptr;
    int quits = 0;
    w.app.closeHooks.QuitEventLoop = [&quits] { ++quits; };
    w.app.LoadSettings();
    std::vector<std::string> savedAtRequest;
    w.shell.OnPowerRequest = [&] { savedAtRequest.push_back(ReadFile(w.folder + "kaveli.ini")); };
    w.app.scheduler.Task(1).Text = text;
    w.app.scheduler.RunTask(1);
    ASSERT_EQ(savedAtRequest.size(), 1u) << text;
    // The folder held no kaveli.ini before the close wrote it.
    EXPECT_NE(savedAtRequest[0].find("[General]"), std::string::npos) << text;
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(w.failures.empty());
  }
}

// Running a task by its text; the shell records, nothing is carried out.
TEST(SchedulerRun, EachKindOfText) {
  World w(At(15, 7, 0, 0));
  ScheduledTask& t = w.app.scheduler.Task(1);

  t.Text = "send:*R";
  EXPECT_TRUE(w.app.scheduler.RunTask(1));
  const auto& queued = w.app.link.queue.Commands();
  EXPECT_NE(std::find(queued.begin(), queued.end(), "*R"), queued.end());

  t.Text = "Exit";
  EXPECT_TRUE(w.app.scheduler.RunTask(1));
  EXPECT_EQ(w.closes, 1);

  // The window closes first, then the system is asked.
  t.Text = "reboot";
  w.app.scheduler.RunTask(1);
  t.Text = "SHUTDOWN";
  w.app.scheduler.RunTask(1);
  EXPECT_EQ(w.closes, 3);
  EXPECT_EQ(w.shell.PowerRequests, (std::vector<std::string>{"reboot", "poweroff"}));

  WriteFile(w.folder + "notes.txt", "x");
  t.Text = "notes.txt";  // a document: opened with its program
  EXPECT_TRUE(w.app.scheduler.RunTask(1));
  EXPECT_EQ(w.shell.Opened, std::vector<std::string>{w.folder + "notes.txt"});
  EXPECT_TRUE(w.failures.empty());
}

TEST(SchedulerRun, AScriptTaskStopsTheRunningScript) {
  World w(At(15, 7, 0, 0));
  WriteFile(w.folder + "long.fms", "SLEEP(100000)\r\nSET(a)\r\n");
  WriteFile(w.folder + "next.FMS", "SET(b)\r\n");
  w.app.automation.script.ExeScript("long.fms");
  w.Advance(500);
  w.app.scheduler.Task(2).Text = "next.FMS";
  EXPECT_TRUE(w.app.scheduler.RunTask(2));
  EXPECT_EQ(w.app.automation.script.panel.Caption, "next.FMS");
  w.Advance(500);
  EXPECT_NE(w.app.automation.script.state.FindVariable("b"), nullptr);
  EXPECT_EQ(w.app.automation.script.state.FindVariable("a"), nullptr);
}

TEST(SchedulerRun, ATaskThatCannotStartIsReportedAndTheSchedulerGoesOn) {
  World w(At(15, 7, 29, 30));
  w.Add(1, kMonday, {{7, 30}});
  w.app.scheduler.Task(1).Text = "missing.fms";
  w.Add(2, kMonday, {{7, 31}});
  w.app.scheduler.Task(2).Text = w.folder + "no/such/file.txt";
  w.Add(3, kMonday, {{7, 32}});
  w.Add(4, kMonday, {{7, 33}});
  w.app.scheduler.Task(4).Text = "REBOOT";
  w.shell.RestartSucceeds = false;
  w.Advance(4 * 60000);
  ASSERT_EQ(w.failures.size(), 3u);
  EXPECT_EQ(w.failures[0], "Scheduled task 1 not started: the script missing.fms could not be run");
  EXPECT_EQ(w.failures[1],
            "Scheduled task 2 not started: " + w.folder + "no/such/file.txt not found");
  EXPECT_EQ(w.failures[2], "Scheduled task: restart refused: not allowed");
  EXPECT_EQ(w.Started(), std::vector<std::string>{"job3"});
}

TEST(SchedulerTimes, Encoding) {
  const std::string unset(48, '?');
  TimeSlots slots{};
  DecodeTimes(unset, slots);
  for (const TimeSlot& s : slots) EXPECT_FALSE(s.IsSet());
  EXPECT_EQ(EncodeTimes(slots), unset);

  DecodeTimes("G^" + std::string(46, '?'), slots);
  EXPECT_EQ(slots[0], (TimeSlot{7, 30}));
  EXPECT_FALSE(slots[1].IsSet());
  EXPECT_EQ(EncodeTimes(slots), "G^" + std::string(46, '?'));

  // Each half by itself: hour 24 (X) and minute 60 (|) are no values.
  DecodeTimes("X^G|@@W{", slots);
  EXPECT_EQ(slots[0], (TimeSlot{-1, 30}));
  EXPECT_EQ(slots[1], (TimeSlot{7, -1}));
  EXPECT_EQ(slots[2], (TimeSlot{0, 0}));
  EXPECT_EQ(slots[3], (TimeSlot{23, 59}));
  EXPECT_EQ(EncodeTimes(slots).substr(0, 8), "?^G?@@W{");

  // A short text leaves the slots it does not reach alone.
  DecodeTimes("A@", slots);
  EXPECT_EQ(slots[0], (TimeSlot{1, 0}));
  EXPECT_EQ(slots[3], (TimeSlot{23, 59}));
  // Fresh tasks have no times at all (a short text never makes midnight
  // slots).
  TimeSlots fresh{};
  DecodeTimes("A@", fresh);
  EXPECT_FALSE(fresh[1].IsSet());
}

TEST(SchedulerTimes, RoundTripThroughTheSettingsFile) {
  World w(At(15, 7, 0, 0));
  WriteFile(w.folder + "kaveli.ini",
            "[Scheduler]\r\nEnabled=1\r\nExecute2=\" report.fms \"\r\nDays2=65\r\n"
            "Times2=\"G^" + std::string(46, '?') + "\"\r\nExecute7=send:*R\r\nDays7=127\r\n"
            "Times7=\"LO\"\r\n");
  w.app.scheduler.SchedulerEnabled = false;
  w.app.LoadSettings();
  Scheduler& s = w.app.scheduler;
  EXPECT_TRUE(s.SchedulerEnabled);
  EXPECT_EQ(s.Task(2).Text, " report.fms ");
  EXPECT_EQ(s.Task(2).Days, kMonday | kSunday);
  EXPECT_EQ(s.Task(2).Times[0], (TimeSlot{7, 30}));
  EXPECT_FALSE(s.Task(2).Times[1].IsSet());
  EXPECT_EQ(s.Task(7).Times[0], (TimeSlot{12, 15}));
  EXPECT_FALSE(s.Task(7).Times[1].IsSet());
  EXPECT_TRUE(s.Task(1).Text.empty());

  s.Task(48).Text = "EXIT";
  s.Task(48).Days = kSunday;
  s.Task(48).Times[23] = {23, 59};
  w.app.Close();
  const std::string file = ReadFile(w.folder + "kaveli.ini");
  EXPECT_NE(file.find("Execute2=\" report.fms \"\r\n"), std::string::npos);
  EXPECT_NE(file.find("Times2=\"G^" + std::string(46, '?') + "\"\r\n"), std::string::npos);
  EXPECT_NE(file.find("Times7=\"LO" + std::string(46, '?') + "\"\r\n"), std::string::npos);
  EXPECT_NE(file.find("Days48=64\r\nTimes48=\"" + std::string(46, '?') + "W{\"\r\nExecute48=\"EXIT\""),
            std::string::npos);
  EXPECT_NE(file.find("Times1=\"" + std::string(48, '?') + "\"\r\n"), std::string::npos);

  World again(At(15, 7, 0, 0));
  std::filesystem::copy_file(w.folder + "kaveli.ini", again.folder + "kaveli.ini");
  again.app.LoadSettings();
  EXPECT_EQ(again.app.scheduler.Task(48).Times[23], (TimeSlot{23, 59}));
  EXPECT_EQ(again.app.scheduler.Task(2).Times, s.Task(2).Times);
}

TEST(SchedulerDialog, DeleteAsksOnlyForATaskWithText) {
  World w(At(15, 7, 0, 0));
  w.Add(1, kMonday, {{7, 30}});
  w.dialogs.ConfirmAnswer = false;
  w.app.scheduler.DeleteTask(1);
  EXPECT_EQ(w.dialogs.Messages, std::vector<std::string>{"Delete the item?"});
  EXPECT_EQ(w.app.scheduler.Task(1).Text, "job1");
  w.dialogs.ConfirmAnswer = true;
  w.app.scheduler.DeleteTask(1);
  EXPECT_TRUE(w.app.scheduler.Task(1).Text.empty());
  EXPECT_EQ(w.app.scheduler.Task(1).Days, 0);
  EXPECT_FALSE(w.app.scheduler.Task(1).Times[0].IsSet());

  // An empty row: nothing asked, days and times cleared.
  w.app.scheduler.Task(2).Days = kEveryDay;
  w.app.scheduler.Task(2).Times[5] = {1, 2};
  w.app.scheduler.DeleteTask(2);
  EXPECT_EQ(w.dialogs.Messages.size(), 2u);
  EXPECT_EQ(w.app.scheduler.Task(2).Days, 0);
  EXPECT_FALSE(w.app.scheduler.Task(2).Times[5].IsSet());
}

TEST(SchedulerDialog, FindFilePutsThePathIntoTheRow) {
  World w(At(15, 7, 0, 0));
  w.dialogs.FileAnswer = "/srv/jobs/hourly.fms";
  FindTaskFile(w.app.scheduler, w.dialogs, 4);
  EXPECT_EQ(w.dialogs.LastFolder, w.folder);
  EXPECT_EQ(w.app.scheduler.Task(4).Text, "/srv/jobs/hourly.fms");
  w.dialogs.FileAnswer.clear();
  FindTaskFile(w.app.scheduler, w.dialogs, 5);
  EXPECT_EQ(w.dialogs.LastFolder, "/srv/jobs/");
  EXPECT_TRUE(w.app.scheduler.Task(5).Text.empty());
}

TimesEditor EditorWith(std::vector<std::string> rows) {
  TimesEditor e(9, ScheduledTask{});
  for (std::size_t i = 0; i < rows.size(); ++i) e.Rows[i] = rows[i];
  return e;
}

TEST(TimesDialog, OpensWithTheTask) {
  ScheduledTask t;
  t.Days = kMonday | kSunday;
  t.Times[0] = {7, 30};
  t.Times[2] = {23, 5};
  t.Times[3] = {-1, 5};
  const TimesEditor e(12, t);
  EXPECT_EQ(e.Label, "Item Number: 12");
  EXPECT_EQ(e.Days, (std::array<bool, 7>{true, false, false, false, false, false, true}));
  EXPECT_EQ(e.Rows[0], "07:30");
  EXPECT_EQ(e.Rows[1], "");
  EXPECT_EQ(e.Rows[2], "23:05");
  EXPECT_EQ(e.Rows[3], "");
  EXPECT_EQ(e.Entry, "");
}

TEST(TimesDialog, EntryTyping) {
  for (char c : std::string("0123456789:\b")) EXPECT_TRUE(TimesEditor::AcceptsKey(c));
  for (char c : std::string("a-. +")) EXPECT_FALSE(TimesEditor::AcceptsKey(c));
  TimesEditor e = EditorWith({});
  e.SetEntry("0");
  e.SetEntry("07");  // grown to two: the colon follows
  EXPECT_EQ(e.Entry, "07:");
  e.SetEntry("07");  // shrunk back by a backspace: no colon
  EXPECT_EQ(e.Entry, "07");
  e.SetEntry("07:305");
  EXPECT_EQ(e.Entry, "07:30");
}

TEST(TimesDialog, AddRules) {
  struct AddCase {
    const char* name;
    std::vector<std::string> rows;
    const char* entry;
    std::vector<std::string> rowsAfter;  // first rows
    const char* entryAfter;
  };
  const AddCase cases[] = {
      {"sorted into the filled rows", {"08:00", "12:15"}, "07:30", {"07:30", "08:00", "12:15", ""}, ""},
      {"already listed: entry cleared, list unchanged", {"07:30"}, "07:30", {"07:30", ""}, ""},
      {"four characters do nothing", {}, "7:3", {""}, "7:3"},
      {"hour out of range keeps the entry", {}, "25:00", {""}, "25:00"},
      {"minute out of range keeps the entry", {}, "12:60", {""}, "12:60"},
      {"not a number keeps the entry", {}, "1::00", {""}, "1::00"},
      {"midnight and the last minute", {"23:59"}, "00:00", {"00:00", "23:59", ""}, ""},
  };
  for (const AddCase& c : cases) {
    TimesEditor e = EditorWith(c.rows);
    e.Entry = c.entry;
    e.Add();
    for (std::size_t i = 0; i < c.rowsAfter.size(); ++i) EXPECT_EQ(e.Rows[i], c.rowsAfter[i]) << c.name;
    EXPECT_EQ(e.Entry, c.entryAfter) << c.name;
  }
  // All 24 rows taken: nothing added, the entry stays.
  std::vector<std::string> full;
  for (int h = 0; h < 24; ++h) full.push_back(IntToDva(h) + ":00");
  TimesEditor e = EditorWith(full);
  e.Entry = "12:30";
  EXPECT_FALSE(e.Add());
  EXPECT_EQ(e.Entry, "12:30");
  EXPECT_EQ(e.Rows[12], "12:00");
}

TEST(TimesDialog, DeleteMovesTheRowsBelowUp) {
  TimesEditor e = EditorWith({"07:00", "08:00", "09:00"});
  e.Rows[23] = "23:00";
  e.Delete(1);
  EXPECT_EQ(e.Rows[0], "07:00");
  EXPECT_EQ(e.Rows[1], "09:00");
  EXPECT_EQ(e.Rows[22], "23:00");
  EXPECT_EQ(e.Rows[23], "");
  e.Delete(5);  // an empty row: nothing moves
  EXPECT_EQ(e.Rows[22], "23:00");
}

TEST(TimesDialog, OkWritesDaysAndTimes) {
  TimesEditor e = EditorWith({"07:30", "7:30", "ab:cd", "", "23:59"});
  e.Days = {false, true, false, false, false, true, true};
  ScheduledTask t;
  t.Times[10] = {1, 1};
  e.Ok(t);
  EXPECT_EQ(t.Days, 2 | 32 | 64);
  EXPECT_EQ(t.Times[0], (TimeSlot{7, 30}));
  EXPECT_FALSE(t.Times[1].IsSet());  // not five characters
  EXPECT_FALSE(t.Times[2].IsSet());  // not numbers
  EXPECT_EQ(t.Times[4], (TimeSlot{23, 59}));
  EXPECT_FALSE(t.Times[10].IsSet());
}

}  // namespace
}  // namespace sondaro
