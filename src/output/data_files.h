#pragma once
// Data export files: the numbers behind the deviation, modulation power and
// MPX spectrum charts as text a spreadsheet opens directly. No header, ";"
// between fields, CR LF after every line.
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/ports.h"
#include "core/view.h"
#include "link/bulk_replies.h"
#include "link/measurement_state.h"

namespace sondaro {

class DeviationHistogram;
class ModulationPower;

// "0;12" CR LF ... "121;0" CR LF
[[nodiscard]] std::string HistogramFileText(const HistogramCounts& bins);
// One value per line, one decimal, system decimal separator.
[[nodiscard]] std::string ValuesFileText(std::span<const float> values);

class DataFiles {
 public:
  DataFiles(Dialogs& dialogs, std::string appFolder, const MeasurementState& state,
            const DeviationHistogram& deviation, const ModulationPower& power);

  void Histogram2Click();  // "Save Data" of the deviation page; File > Save Data > "Histogram"
  void
  ModulationPower2Click();  // "Save Data" of the power page; File > Save Data > "Modulation Power"
  void GradBtn15Click();    // "Save FFTD" of the MPX page
  void Spectrum1Click();    // File > Save Data > "FFT"
  // The data file of a chart; only "MPX" has content, any other tag gives an
  // empty file. A relative path is relative to the program's folder.
  bool UlozData(ChartTag tag, const std::string& path);

  // Start folder of the CSV save dialog.
  std::string SD2Dir;
  // The newest MPX spectrum (165 values in dB), from the capture processing.
  std::function<std::vector<float>()> Spectrum;
  std::function<void(const std::string&)> DebugError;
  // Tells the user of a failed interactive save.
  std::function<void(const std::string&)> ReportFailure;

 private:
  // Dialog, write, and the start folder follows the chosen file.
  void SaveInteractive(const std::string& proposal, const std::string& content);

  Dialogs& dialogs_;
  std::string appFolder_;
  const MeasurementState& state_;
  const DeviationHistogram& deviation_;
  const ModulationPower& power_;
};

}  // namespace sondaro
