#pragma once
// The decoded RDS/RBDS values of the tuned station as the analyzer reports
// them, the group statistics, and the text of the "RDS/RBDS" page.
#include <array>
#include <string>
#include <vector>

#include "core/ports.h"
#include "core/view.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"
#include "rds/text_file_dialog.h"

namespace sondaro {

using GroupStatsLines = std::array<std::string, 4>;

// Display texts only; each field has a cleared value (ClearedRdsData).
struct RdsData {
  std::string PS, PI, PTY, TP, TA, MS, DI, CT, AF, EON, ECC, PTYN, RT;
  GroupStatsLines GroupStatsA, GroupStatsB;
};

[[nodiscard]] RdsData ClearedRdsData();

// Programme type names indexed by the PTY code.
extern const std::array<const char*, 32> PtyNamesRds;
extern const std::array<const char*, 32> PtyNamesRbds;

// " 10" -> "10 (Pop M)"; anything not a code 0-31 is code 0.
[[nodiscard]] std::string FormatPty(const std::string& value, bool usPtyCode);
// "87.6 MHz\r\n98.5 MHz" -> "87.6, 98.5 MHz".
[[nodiscard]] std::string FormatAf(const std::string& value);
// One line per station joined with ", "; "-" when empty.
[[nodiscard]] std::string FormatEon(const std::string& value);
// "00" is no ECC.
[[nodiscard]] std::string FormatEcc(const std::string& value);

struct GroupStats {
  GroupStatsLines A, B;
};
// Body of "RDS Group Statistics": 13-character slots such as " 0A: 1234; "
// (third and fourth characters "A:" or "B:"), four group types per line.
[[nodiscard]] GroupStats ParseGroupStatistics(const std::string& value);

// Lines of the page: the items, the statistics, then the consistency report.
[[nodiscard]] std::vector<std::string> RdsPageLines(const RdsData& data);

// Owns RdsData and the page's read-only text box.
class RdsStore {
 public:
  RdsStore(View& view, CommandQueue& queue, const MeasurementState& state,
           TextFileDialog& textDialog);

  // Every RDS reply section goes through here; unknown tags are ignored.
  void StoreRdsField(const std::string& tag, const std::string& value);
  void ProcessRDS(bool clear);
  // Replaces the text box content (the raw group lines after "View").
  void ShowLines(std::vector<std::string> lines);

  void IAeverButton32Click();  // "Acquire"
  void IAeverButton31Click();  // "Save Data" and File > Save Data > "RDS/RBDS"
  // Writes the text box lines; false when the file cannot be written.
  [[nodiscard]] bool SaveTextBox(const std::string& path, std::string* error = nullptr) const;

  [[nodiscard]] const RdsData& Data() const { return data_; }
  [[nodiscard]] const std::vector<std::string>& TextBox() const;
  // Text box content as one text, CR LF between lines.
  [[nodiscard]] std::string TextBoxText() const;

  // "US PTY Code" (USPTY): read when a PTY section arrives.
  bool UsPtyCode = false;

 private:
  View& view_;
  CommandQueue& queue_;
  const MeasurementState& state_;
  TextFileDialog& textDialog_;
  RdsData data_;  // all empty until the first reset or section
  // The page's lines are made when read: a burst of sections would make
  // them once for every section.
  mutable std::vector<std::string> textBox_;
  mutable bool textBoxStale_ = false;
};

}  // namespace sondaro
