#include "output/data_files.h"

#include "core/text.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "output/save_files.h"

namespace sondaro {

namespace {
constexpr const char* kCsvFilter = "CSV File (*.csv)";
}  // namespace

std::string HistogramFileText(const HistogramCounts& bins) {
  std::string out;
  for (int k = 0; k < kHistogramBins; ++k)
    out += std::to_string(k) + ";" + std::to_string(bins[k]) + std::string(kCrLf);
  return out;
}

std::string ValuesFileText(std::span<const float> values) {
  std::string out;
  out.reserve(values.size() * 8);
  for (float v : values) {
    out += FormatFixed(v, 1);
    out += kCrLf;
  }
  return out;
}

DataFiles::DataFiles(Dialogs& dialogs, std::string appFolder, const MeasurementState& state,
                     const DeviationHistogram& deviation, const ModulationPower& power)
    : SD2Dir(appFolder),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)),
      state_(state),
      deviation_(deviation),
      power_(power) {}

void DataFiles::SaveInteractive(const std::string& proposal, const std::string& content) {
  const std::string path = AskSaveNameIn(dialogs_, SD2Dir, proposal, kCsvFilter, "csv");
  if (path.empty()) return;
  if (!WriteWholeFile(path, content) && ReportFailure) ReportFailure("Can't write to file " + path);
  SD2Dir = FolderOf(path);
}

void DataFiles::Histogram2Click() {
  const std::string proposal =
      state_.FrequencyText.empty() ? "" : "Histogram " + state_.FrequencyText + ".csv";
  SaveInteractive(proposal, HistogramFileText(deviation_.Bins));
}

void DataFiles::ModulationPower2Click() { SaveInteractive("", ValuesFileText(power_.PmHistory)); }

void DataFiles::Spectrum1Click() {
  // Creates the file only; the spectrum itself is saved with "Save FFTD".
  SaveInteractive("", "");
}

void DataFiles::GradBtn15Click() {
  const std::string path = AskSaveNameIn(dialogs_, SD2Dir, "", kCsvFilter, "csv");
  if (path.empty()) return;
  if (!UlozData(ChartTag::MPX, path) && ReportFailure) ReportFailure("Can't write to file " + path);
}

bool DataFiles::UlozData(ChartTag tag, const std::string& path) {
  std::string content;
  if (tag == ChartTag::MPX && Spectrum) content = ValuesFileText(Spectrum());
  const bool ok = WriteWholeFile(ResolvePath(appFolder_, path), content);
  if (!ok && DebugError) DebugError("Can't write to file " + path);
  return ok;
}

}  // namespace sondaro
