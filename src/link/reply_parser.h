#pragma once
// Cuts reply sections out of the ReceiveBuffer, one per tick, and dispatches
// them on their header. A section is a header line ending in ":" CR LF, a body
// and an empty line:
//   "Pilot:\r\n   6.8 kHz\r\n\r\n"
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/timer.h"
#include "core/view.h"
#include "link/command_queue.h"
#include "link/measurement_state.h"

namespace sondaro {

struct ReplyFrame {
  std::string SectionHeader;
  std::string SectionBody;
};

// Result of looking at the front of a buffer.
struct FrameScan {
  bool HeaderFound = false;           // a ":" CR LF was found
  std::size_t HeaderEnd = 0;          // position of that colon
  std::optional<ReplyFrame> Frame;    // complete section, when there is one
  std::size_t Consumed = 0;           // characters to remove from the front
};
// Pure framing step: finds the first section start and, when the section is
// complete, cuts it out. Only the header line and its colon and CR are
// consumed; the rest goes with the next section.
[[nodiscard]] FrameScan ScanFrame(const std::string& buffer);

// Folded phase text and value of an "RDS Phase Difference" body.
struct PhaseReading {
  std::string Text;
  float Degrees;
};
[[nodiscard]] PhaseReading ParsePhase(const std::string& body);
// "Pilot"/"RDS" value in kHz: -1 when unreadable or above 655.
[[nodiscard]] float ParseKHz(const std::string& body);
// "Frequency" body to MHz; 0 when unreadable.
[[nodiscard]] float ParseFrequencyMHz(const std::string& body);
// "IF" body to kHz; 323.0 when unreadable.
[[nodiscard]] float ParseIfKHz(const std::string& body);

class ReplyParser {
 public:
  // Links to Parts above the reply parser; App connects them.
  struct Hooks {
    std::function<void(const std::string& tag, const std::string& body)> StoreRdsField;
    std::function<void(const std::string& body)> Histogram, ModulationPower, Capture, RawGroup,
        MemoryDump;
    std::vector<std::function<void()>> FrequencyChangeClears;  // in order
    std::function<void(const std::string&)> SendToQuillet;
    std::function<bool()> RelayListening;
    std::function<bool()> OnlineChecked;       // "Online Deviation and Signal"
    std::function<bool()> MpxRunActive;        // Timer2
    std::function<bool()> BandscanRunning;     // Timer5
    std::function<bool()> MpxPageShown;        // page 2 visible in a shown window
    std::function<void()> RefreshMpxChart;     // VymalujMPX(1, PaintBox5)
    std::function<void()> SetNormalStep;       // SetasNormal2Click
    std::function<void()> OffsetCheck;         // carrier-offset check
    std::function<void()> TickDone;            // after every tick, whatever it did
  };

  ReplyParser(TimerSet& timers, View& view, MeasurementState& state, Readouts& readouts,
              std::string& receiveBuffer, CommandQueue& queue);

  void Timer12Timer();  // parser tick
  void Dispatch(const ReplyFrame& frame);
  void FrequencyChangeReset();
  [[nodiscard]] Timer& Timer12() { return timer12_; }
  Hooks hooks;

 private:
  using Handler = void (ReplyParser::*)(const std::string& body);
  struct Route {
    const char* Letter;  // awaited letter cleared first, or nullptr
    Handler Handle;
  };
  static const std::map<std::string, Route>& Table();

  void OnRdsField(const std::string& body);
  void OnEon(const std::string& body);
  void OnGroupStatistics(const std::string& body);
  void OnMax(const std::string& body);
  void OnMaxHold(const std::string& body);
  void OnBalance(const std::string& body);
  void OnPilot(const std::string& body);
  void OnRds(const std::string& body);
  void OnLevel(const std::string& body);
  void OnQuality(const std::string& body);
  void OnFastSignalInfo(const std::string& body);
  void OnPhase(const std::string& body);
  void OnFrequency(const std::string& body);
  void OnIf(const std::string& body);
  void OnHistogram(const std::string& body);
  void OnModulationPower(const std::string& body);
  void OnCapture(const std::string& body);
  void OnRawGroup(const std::string& body);
  void OnMemoryDump(const std::string& body);

  void Tick();
  void DropStalledFront(std::optional<std::size_t> headerEnd);
  [[nodiscard]] bool Online() const { return hooks.OnlineChecked && hooks.OnlineChecked(); }
  [[nodiscard]] bool MpxRun() const { return hooks.MpxRunActive && hooks.MpxRunActive(); }
  void MaybeRefreshMpx(float value, float& last);
  void StoreSubcarrier(const std::string& body, std::string& text, std::string& label,
                       float& value, float& last);

  Clock& clock_;
  View& view_;
  MeasurementState& state_;
  Readouts& readouts_;
  std::string& buffer_;
  CommandQueue& queue_;
  std::string currentHeader_;
  Timer timer12_;
};

}  // namespace sondaro
