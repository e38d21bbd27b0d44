#pragma once
// Handlers of the reply sections that carry blocks of data: the deviation
// histogram, the modulation power value, the MPX capture, the raw RDS group
// and the memory dump. Each decodes its fixed layout and hands the data to
// the Part that owns it through a hook.
#include <array>
#include <functional>
#include <string>

#include "core/clock.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"

namespace sondaro {

inline constexpr int kHistogramBins = 122;
using HistogramCounts = std::array<int, kHistogramBins>;
inline constexpr float kNoPmValue = 999;
inline constexpr int kRawGroupCapacity = 16384;

// Pure decoders.
// 122 lines of 14 characters: a 7-character label, a 5-character count, CR LF.
[[nodiscard]] HistogramCounts DecodeHistogram(const std::string& body);
// First five characters, blanks removed, "." decimal point; 999 when empty
// or unreadable.
[[nodiscard]] float DecodePmValue(const std::string& body);
// Four 16-bit blocks as 4 hex digits each, "----" for a lost block.
struct RawGroupBlocks {
  std::string A, B, C, D;
};
[[nodiscard]] RawGroupBlocks SplitRawGroup(const std::string& body);
// Applies one group to the bandscan's PI and PS texts.
void ApplyGroupToBandscanIdentity(const std::string& body, std::string& piText,
                                  std::string& psText);

class BulkReplies {
 public:
  struct Hooks {
    std::function<void(const HistogramCounts&)> StoreHistogram;
    std::function<void(float)> StorePmValue;
    std::function<void()> Demodulate;
    std::function<bool()> MpxRunActive;    // Timer2
    std::function<bool()> DoubleTimeBase;  // "Double"
    std::function<bool()> BandscanRunning; // Timer5
    std::function<void(const std::string&)> SendToQuillet;
    std::function<bool()> QuilletRunning;
    std::function<int()> RawCount;
    std::function<void(const std::string&)> StoreRawGroup;
    std::function<void()> RawGroupFull;
    // Every group of the stream, outside a bandscan, before the others see it.
    std::function<void(const std::string&)> GroupReceived;
  };

  BulkReplies(Clock& clock, MeasurementState& state, CommandQueue& queue);

  void Histogram(const std::string& body);        // "Histogram Data"
  void ModulationPower(const std::string& body);  // "Pm", "Modulation Power"
  void Capture(const std::string& body);          // "W"
  void RawGroup(const std::string& body);         // "G"
  void MemoryDump(const std::string& body);       // "HEX"
  // Writes every queued command at once, 10 ms apart.
  void FlushQueue();

  Hooks hooks;

 private:
  [[nodiscard]] bool Ask(const std::function<bool()>& f) const { return f && f(); }
  Clock& clock_;
  MeasurementState& state_;
  CommandQueue& queue_;
};

}  // namespace sondaro
