#pragma once
// Latest decoded readings of the analyzer, their display texts, and the live
// readouts of the main window. One record for the whole run.
#include <array>
#include <string>

#include "core/clock.h"

namespace sondaro {

inline constexpr int kMpxSampleCount = 512;
// Received chunks are appended only while the ReceiveBuffer is shorter.
inline constexpr std::size_t kReceiveBufferLimit = 5000;

struct MeasurementState {
  // Reply parser.
  std::string FrequencyText;
  float FrequencyMHz = 0;
  float IfKHz = 323.0f;
  bool IfValid = false;
  std::string LevelText;
  bool LevelInDbuv = false;
  std::string QualityText;
  int SignalQuality = 0;
  std::string PilotText;
  float PilotKHz = 0;
  std::string RdsDeviationText;
  float RdsDeviationKHz = 0;
  std::string PhaseText;
  float PhaseDeg = 0;
  float LastPilotKHz = 0, LastRdsDeviationKHz = 0, LastPhaseDeg = 0;
  std::string FastSignalInfoText;
  std::string DeviationMaxText;
  std::string DeviationMaxHoldText;
  std::string BalanceText;
  bool OnlineToggle = false;
  Millis LastActivity = 0;

  // Mode and tuning.
  int CurrentMode = 0;  // 0 Measuring, 1 RDS, 2 Stereo
  float CarrierNormalKHz = 0;
  float ReferenceFrequencyMHz = 0;
  bool SetNormalPending = false;
  bool ReadOffsetPending = false;

  // Bulk replies.
  std::array<float, kMpxSampleCount> MpxSamples{};
  bool MpxDataReady = false;
  bool SkipNextWaveform = false;
  std::string BandscanPiText;
  std::string BandscanPsText = std::string(8, '\x01');
  std::string AlarmConfigHex;
};

// What the readout boxes at the top of the main window show.
struct Readouts {
  std::string Label1;   // "Frequency"
  std::string Label15;  // "Pilot"
  std::string Label14;  // "RDS"
  std::string Label22;  // "Deviation MAX" / "Phase Diff."
  std::string Beveles5Caption = "Phase Diff.";
  int ProgressBar1 = 0;  // "Signal", 0..5; the bar clamps
};

}  // namespace sondaro
