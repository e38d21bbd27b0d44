#pragma once
// Capture of the raw RDS groups that the analyzer streams after "*R": kept in
// memory, shown and saved as text lines with a short decode of block B.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports.h"
#include "core/view.h"
#include "link/bulk_replies.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"
#include "rds/rds_data.h"
#include "rds/text_file_dialog.h"

namespace sondaro {

struct RawGroup {
  std::uint16_t A = 0, B = 0, C = 0, D = 0;
  // Bits 0-3: blocks A-D not received (their word is 0).
  std::uint16_t Missing = 0;
};

// "2F01----4142XYZW": four hex blocks, "----" or anything not hexadecimal
// counts as missing.
[[nodiscard]] RawGroup ParseRawGroup(std::string_view text);
// "2F01 0408 4142 4344   0A 100000 01000 'AB' 'CD'" (no line end): the
// blocks, type and version, the TP and PTY bits, the rest of block B, and
// the characters of blocks C and D.
[[nodiscard]] std::string RawGroupLine(const RawGroup& group);

class RawCapture {
 public:
  static constexpr int kCapacity = kRawGroupCapacity;  // 16384 groups

  struct Hooks {
    std::function<void()> SelectRdsMode;  // SetMode(1), then SendMode
  };

  RawCapture(View& view, CommandQueue& queue, const MeasurementState& state,
             TextFileDialog& textDialog, RdsStore& page, std::string appFolder);

  void StoreRawGroup(const std::string& text);
  // Called for each group that finds the buffer full: stops the stream on a
  // random one of the next few groups.
  void RawGroupFull();

  void IAeverButton35Click();  // "Run"
  void IAeverButton36Click();  // "Stop"
  void IAeverButton38Click();  // "Clear"
  void IAeverButton37Click();  // "Save"
  void GradBtn44Click();       // "View"
  // Writes the captured groups as text lines; a relative name is taken from
  // the program folder. False when the file cannot be written.
  bool SaveRawData(const std::string& fileName, std::string* error = nullptr) const;

  [[nodiscard]] int RawCount() const { return rawCount_; }
  [[nodiscard]] const std::vector<RawGroup>& RawGroupBuffer() const { return buffer_; }
  [[nodiscard]] std::vector<std::string> Lines() const;
  // The byte counter: 8 bytes of block data per group.
  [[nodiscard]] std::string ByteCounterText() const;

  bool RawCapturing = false;
  Hooks hooks;
  // Uniform in [0, 1); replaceable for tests.
  std::function<double()> Random;

 private:
  View& view_;
  CommandQueue& queue_;
  const MeasurementState& state_;
  TextFileDialog& textDialog_;
  RdsStore& page_;
  std::string appFolder_;
  std::vector<RawGroup> buffer_;
  int rawCount_ = 0;
};

}  // namespace sondaro
