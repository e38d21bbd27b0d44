#pragma once
// Appends every received RDS group to a daily text file in the hex group log
// format that RDS tools exchange, so a recording can be read by them and
// replayed by the simulated analyzer:
//
//   <recorder="Sondaro" date="2026-12-10" time="14-41-57" source="" name="" location="" notes="98.50 MHz">
//   E220 0540 2385 2020 @2026/12/10 14:41:57.15
//   E220 ---- 4E52 2020 @2026/12/10 14:41:57.24
//
// Lines end in CR LF. A header line opens each file and follows each change
// of the tuned frequency.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "core/clock.h"
#include "rds/raw_capture.h"

namespace sondaro {

// "E220 ---- 4E52 2020 @2026/12/10 14:41:57.15" (no line end).
[[nodiscard]] std::string GroupLogLine(const RawGroup& group, Millis wall);
[[nodiscard]] std::string GroupLogHeader(Millis wall, const std::string& notes);
// "RDS Groups 2026-12-10.txt": one file per local day.
[[nodiscard]] std::string GroupLogFileName(Millis wall);

class RdsGroupLog {
 public:
  struct Hooks {
    // A write failure, once until a write succeeds again.
    std::function<void(const std::string& message)> ReportError;
  };

  explicit RdsGroupLog(std::string appFolder) : appFolder_(std::move(appFolder)) {}

  // Logging on or off; the folder of the files (relative to the program
  // folder; empty: the program folder). Either closes the open file.
  void SetEnabled(bool on);
  void SetFolder(std::string folder);
  [[nodiscard]] bool Enabled() const { return enabled_; }
  [[nodiscard]] const std::string& Folder() const { return folder_; }

  // One received "G" body (16 characters). A failed write is reported and
  // the group dropped; the next group tries again.
  void Append(const std::string& groupText, Millis wall);
  // The next group starts with a header naming this station.
  void NewStation(const std::string& frequencyText);
  // The file the groups go to now ("" before the first group).
  [[nodiscard]] const std::string& CurrentFile() const { return path_; }

  Hooks hooks;

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  bool Write(const std::string& path, const std::string& text);
  void Close() { file_.reset(); }

  std::string appFolder_;
  std::string folder_;
  bool enabled_ = false;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string path_;
  std::string notes_;
  bool headerDue_ = true;
  bool reported_ = false;
};

}  // namespace sondaro
