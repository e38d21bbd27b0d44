#include "output/report.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "core/formats.h"
#include "core/text.h"
#include "link/measurement_state.h"
#include "link/mode_tuning.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "output/save_files.h"
#include "rds/consistency.h"
#include "rds/text_file_dialog.h"

namespace sondaro {

namespace {

// A reading that never became a number shows as "-", never as "nan".
std::string Fixed(double value, int decimals) {
  return std::isfinite(value) ? FormatFixed(value, decimals) : "-";
}

class Lines {
 public:
  void Line(std::string text = {}) { pieces_.push_back(std::move(text) += kCrLf); }
  void Raw(std::string text) { pieces_.push_back(std::move(text)); }
  std::vector<std::string> Take() { return std::move(pieces_); }

 private:
  std::vector<std::string> pieces_;
};

void Header(Lines& out, const ReportValues& v, const std::string& date, const std::string& time) {
  const std::string rule(kReportWidth, '=');
  out.Line(rule);
  out.Line(kReportTitle + date + " " + time);
  out.Line(rule);
  out.Line("M40/M140 FM Broadcast Analyzer" + std::string(14, ' ') + kMakerAddress);
  out.Line();
  out.Line();
  out.Line("Frequency:        " + v.FrequencyText);
  out.Line("Signal quality: " + v.QualityText + "/5 (" + QualityWord(v.QualityText) + ")");
  MeasurementState offsetState;
  offsetState.IfKHz = v.IfKHz;
  offsetState.FrequencyMHz = v.FrequencyMHz;
  offsetState.LevelInDbuv = v.LevelInDbuv;
  offsetState.CarrierNormalKHz = v.CarrierNormalKHz;
  offsetState.ReferenceFrequencyMHz = v.ReferenceFrequencyMHz;
  if (const auto offset = CarrierOffsetKHz(offsetState); v.IfValid && offset)
    out.Line("Carrier offset:    " + Fixed(*offset, 1) + " kHz (reference station: " +
             Fixed(v.ReferenceFrequencyMHz, 2) + " MHz)");
  out.Line();
}

void DeviationSection(Lines& out, const ReportValues& v) {
  out.Line();
  out.Line(SectionHeading("Frequency Deviation"));
  out.Line();
  out.Line("MIN Hold: " + std::to_string(v.MinKHz) + " kHz");
  out.Line("% above " + std::to_string(v.AboveThresholdKHz) + " kHz: " + Fixed(v.AbovePercent, 1));
  out.Line("Max at: " + std::to_string(v.MaxAtKHz) + " kHz");
  out.Line("Total samples: " + std::to_string(v.TotalSamples));
  out.Line(v.TotalTimeText);
  out.Line();
  out.Line("Pilot deviation: " + v.PilotText);
  out.Line("RDS deviation: " + v.RdsDeviationText);
  out.Line(v.PhaseText.empty() ? "No phase relation found." : "Phase difference: " + v.PhaseText);
}

void PowerSection(Lines& out, const ReportValues& v) {
  out.Line();
  out.Line();
  out.Line(SectionHeading("Modulation Power"));
  out.Line();
  out.Line("MAX: " + Fixed(v.PmMax, 1) + " dBr");
  out.Line("MIN: " + Fixed(v.PmMin, 1) + " dBr");
  out.Line("AVE: " + Fixed(v.PmAve, 2) + " dBr");
  out.Line("Measuring time: " + MeasuringTime(v.PmCount));
  out.Line(v.LastValueText);
}

void RdsSection(Lines& out, const ReportValues& v) {
  out.Line();
  out.Line();
  out.Line(SectionHeading("Radio Data System"));
  out.Line();
  const RdsData& r = v.Rds;
  const std::pair<const char*, const std::string*> items[] = {
      {"PS", &r.PS}, {"PI", &r.PI},   {"PTY", &r.PTY}, {"TP", &r.TP},   {"TA", &r.TA},
      {"MS", &r.MS}, {"DI", &r.DI},   {"RT", &r.RT},   {"CT", &r.CT},   {"AF", &r.AF},
      {"EON", &r.EON}, {"ECC", &r.ECC}, {"PTYN", &r.PTYN}};
  for (const auto& [name, value] : items) out.Line(std::string(name) + ": " + *value);
  out.Line();
  out.Line("Group statistics:");
  for (const std::string& line : r.GroupStatsA) out.Line(line);
  for (const std::string& line : r.GroupStatsB) out.Line(line);
  out.Raw(v.ErrorsAndWarnings);
}

void Annexes(Lines& out, const ReportValues& v) {
  out.Line();
  out.Line();
  out.Line(SectionHeading("Annexes"));
  out.Line();
  out.Line("Histogram Data of Deviation:");
  out.Line("kHz;");
  long long total = 0;
  for (int k = 0; k < kHistogramBins; ++k) {
    out.Line(std::to_string(k) + ";" + std::to_string(v.Bins[k]));
    total += v.Bins[k];
  }
  if (total <= 0) return;
  out.Line();
  out.Line("Accumulated Distribution Data of Deviation:");
  out.Line("kHz;%");
  long long upTo = 0;
  for (int k = 0; k < kHistogramBins; ++k) {
    upTo += v.Bins[k];
    const long long above = std::max(0LL, total - upTo);
    out.Line(std::to_string(k) + ";" + std::to_string(100 * above / total));
  }
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Writes each piece and flushes it, so a report cut short keeps the pieces
// before the failure.
bool WritePieces(std::FILE* file, const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) {
    if (std::fwrite(piece.data(), 1, piece.size(), file) != piece.size()) return false;
    if (std::fflush(file) != 0) return false;
  }
  return true;
}

}  // namespace

std::string SectionHeading(const std::string& title) {
  std::string heading = "---/ " + title + " \\";
  if (heading.size() < static_cast<std::size_t>(kReportWidth))
    heading.append(kReportWidth - heading.size(), '-');
  return heading;
}

std::string QualityWord(const std::string& qualityText) {
  if (qualityText.size() != 5) return "Unknown";
  switch (qualityText[4]) {
    case '0': return "No signal";
    case '1':
    case '2': return "Useless";
    case '3': return "Poor";
    case '4': return "Good";
    case '5': return "Excellent";
    default: return "Unknown";
  }
}

std::string MeasuringTime(long long seconds) {
  const long long h = seconds / 3600;
  const long long m = (seconds - 3600 * h) / 60;
  return std::to_string(h) + ":" + IntToDva(m) + ":" + IntToDva(seconds % 60);
}

ReportValues CollectReportValues(const MeasurementState& state,
                                 const DeviationHistogram& deviation,
                                 const ModulationPower& power, const RdsData& rds) {
  ReportValues v;
  v.FrequencyText = state.FrequencyText;
  v.QualityText = state.QualityText;
  v.PilotText = state.PilotText;
  v.RdsDeviationText = state.RdsDeviationText;
  v.PhaseText = state.PhaseText;
  v.IfValid = state.IfValid;
  v.IfKHz = state.IfKHz;
  v.FrequencyMHz = state.FrequencyMHz;
  v.LevelInDbuv = state.LevelInDbuv;
  v.CarrierNormalKHz = state.CarrierNormalKHz;
  v.ReferenceFrequencyMHz = state.ReferenceFrequencyMHz;
  v.Bins = deviation.Bins;
  v.MinKHz = deviation.MinKHz;
  v.MaxAtKHz = deviation.MaxAtKHz;
  v.TotalSamples = deviation.TotalSamples;
  v.AboveThresholdKHz = deviation.AboveThresholdKHz;
  v.AbovePercent = static_cast<double>(deviation.AbovePercent);
  v.TotalTimeText = deviation.TotalTimeText;
  v.PmMax = power.PmMax;
  v.PmMin = power.PmMin;
  v.PmAve = power.PmAve;
  v.PmCount = static_cast<long long>(power.PmHistory.size());
  v.LastValueText = power.LastValueText;
  v.Rds = rds;
  v.ErrorsAndWarnings = ErrorsAndWarnings(rds);
  return v;
}

std::vector<std::string> ReportPieces(const ReportValues& v, const std::string& date,
                                      const std::string& time) {
  Lines out;
  Header(out, v, date, time);
  DeviationSection(out, v);
  PowerSection(out, v);
  RdsSection(out, v);
  Annexes(out, v);
  return out.Take();
}

Report::Report(Clock& clock, std::string appFolder, const MeasurementState& state,
               const DeviationHistogram& deviation, const ModulationPower& power,
               const RdsData& rds, TextFileDialog& dialog)
    : clock_(clock),
      appFolder_(std::move(appFolder)),
      state_(state),
      deviation_(deviation),
      power_(power),
      rds_(rds),
      dialog_(dialog) {}

bool Report::MakeReport(const std::string& path) {
  const File file(std::fopen(ResolvePath(appFolder_, path).c_str(), "wb"), &std::fclose);
  if (!file) return false;
  const Millis now = clock_.WallNow();
  // The report's forms stay in force for the rest of the run.
  UseReportFormats();
  const ReportValues values = CollectReportValues(state_, deviation_, power_, rds_);
  return WritePieces(file.get(), ReportPieces(values, DateToStr(now), TimeToStr(now)));
}

void Report::CompleteReport1Click() {
  const std::string proposal =
      state_.FrequencyText.empty() ? "" : "Report " + state_.FrequencyText + ".txt";
  const std::string folderBefore = dialog_.Folder;
  const std::string path = dialog_.Ask(proposal);
  if (path.empty()) return;
  if (MakeReport(path)) return;
  // A failed report leaves the start folder where it was.
  dialog_.Folder = folderBefore;
  if (ReportFailure) ReportFailure("Can't write to file " + path);
}

}  // namespace sondaro
