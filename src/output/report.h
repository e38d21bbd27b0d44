#pragma once
// The measurement report: a plain-text summary of what the analyzer measured
// in this run (frequency and quality, carrier offset, deviation statistics,
// modulation power, RDS with its consistency check, and the deviation
// histogram as annexes). It only formats values that their owners keep.
#include <functional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "link/bulk_replies.h"
#include "rds/rds_data.h"

namespace sondaro {

class DeviationHistogram;
class ModulationPower;
class TextFileDialog;
struct MeasurementState;

inline constexpr int kReportWidth = 62;
inline constexpr const char* kReportTitle = "Sondaro 1.3c - Report ";
inline constexpr const char* kMakerAddress = "https://sondaro.example";

// What the report shows, copied from the stores at the moment it is made.
struct ReportValues {
  std::string FrequencyText, QualityText, PilotText, RdsDeviationText, PhaseText;
  bool IfValid = false;
  float IfKHz = 0, FrequencyMHz = 0;
  bool LevelInDbuv = false;
  float CarrierNormalKHz = 0, ReferenceFrequencyMHz = 0;
  HistogramCounts Bins{};
  int MinKHz = 0, MaxAtKHz = 0, TotalSamples = 0, AboveThresholdKHz = 0;
  double AbovePercent = -1;
  std::string TotalTimeText;
  float PmMax = 0, PmMin = 0, PmAve = 0;
  long long PmCount = 0;  // values in the power history, one per second
  std::string LastValueText;
  RdsData Rds;
  std::string ErrorsAndWarnings;
};

[[nodiscard]] ReportValues CollectReportValues(const MeasurementState& state,
                                               const DeviationHistogram& deviation,
                                               const ModulationPower& power, const RdsData& rds);

// "---/ Annexes \------..." to the full width.
[[nodiscard]] std::string SectionHeading(const std::string& title);
// "Excellent" for "xxxx5"; "Unknown" for any text not five characters long.
[[nodiscard]] std::string QualityWord(const std::string& qualityText);
// "1:02:05" for 3725 seconds.
[[nodiscard]] std::string MeasuringTime(long long seconds);

// The report as the pieces it is written in, each flushed on its own: every
// line with its CR LF, and the consistency text as it stands. `date` and
// `time` are already formatted.
[[nodiscard]] std::vector<std::string> ReportPieces(const ReportValues& v, const std::string& date,
                                                    const std::string& time);

class Report {
 public:
  Report(Clock& clock, std::string appFolder, const MeasurementState& state,
         const DeviationHistogram& deviation, const ModulationPower& power, const RdsData& rds,
         TextFileDialog& dialog);

  // Writes the report; a relative path is taken from the program's folder.
  // From here on dates are "yyyy-mm-dd" and times "h:nn:ss". False when the
  // file could not be created or a write failed; what was written stays.
  bool MakeReport(const std::string& path);
  // "Create Report" button and File > Save Data > "Complete Report".
  void CompleteReport1Click();

  // Tells the user of a failed interactive report.
  std::function<void(const std::string&)> ReportFailure;

 private:
  Clock& clock_;
  std::string appFolder_;
  const MeasurementState& state_;
  const DeviationHistogram& deviation_;
  const ModulationPower& power_;
  const RdsData& rds_;
  TextFileDialog& dialog_;
};

}  // namespace sondaro
