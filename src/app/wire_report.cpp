// The measurement report: "Create Report", File > Save Data > "Complete
// Report" and the script keyword CREATEREPORT(file).
#include "app/app.h"

namespace sondaro {

void App::WireReport() {
  report.ReportFailure = [this](const std::string& m) { ReportFailedSave(m); };
  automation.script.Commands().Add(
      {"CREATEREPORT", ArgForm::Text, [this](ScriptCall& c) {
         if (!report.MakeReport(c.Arg.Text)) c.Script.DebugError("Can't write to file " + c.Arg.Text);
       }});
}

}  // namespace sondaro
