// The task scheduler and its [Scheduler] settings: Enabled, then for each
// task Days<n>, Times<n> and Execute<n>.
#include "app/app.h"

namespace sondaro {

void App::WireScheduler() {
  scheduler.ReportFailure = [this](const std::string& m) { status.SetText(m); };
  settings.Bind(
      SettingsStage::Scheduler,
      [this](const Settings& s) {
        scheduler.SchedulerEnabled = s.GetBool("Scheduler", "Enabled");
        for (int n = 1; n <= kScheduledTasks; ++n) {
          const std::string k = std::to_string(n);
          ScheduledTask& task = scheduler.Task(n);
          task.Text = s.GetString("Scheduler", "Execute" + k);
          task.Days = static_cast<std::uint16_t>(s.GetInt("Scheduler", "Days" + k));
          DecodeTimes(s.GetString("Scheduler", "Times" + k), task.Times);
        }
        view.Changed(Area::Scheduler);
      },
      [this](Settings& s) {
        s.SetBool("Scheduler", "Enabled", scheduler.SchedulerEnabled);
        for (int n = 1; n <= kScheduledTasks; ++n) {
          const std::string k = std::to_string(n);
          const ScheduledTask& task = scheduler.Task(n);
          s.SetInt("Scheduler", "Days" + k, task.Days);
          s.SetString("Scheduler", "Times" + k, EncodeTimes(task.Times));
          s.SetString("Scheduler", "Execute" + k, task.Text);
        }
      });
}

}  // namespace sondaro
