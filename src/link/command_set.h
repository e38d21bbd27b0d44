#pragma once
// Every command string the program sends to the analyzer, and the sequences
// the controls issue in one go. Queries ("?F", "1?W") make the analyzer send
// reply sections; orders end in "*" and a letter and change its state:
//   PC -> "098500*F"   (tune to 98.50 MHz, no section of its own)
//   PC -> "?F"         analyzer -> "Frequency:\r\n 98.50 MHz\r\n\r\n"
// All of them go through CommandQueue::Send, written as they stand.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondaro {

class CommandQueue;

namespace cmd {

// Queries; the letter after "?" is the awaited reply.
inline constexpr const char* kFrequency = "?F";        // "Frequency"
inline constexpr const char* kQuality = "?Q";          // "Signal Quality"
inline constexpr const char* kPilot = "?L";            // "Pilot"
inline constexpr const char* kRdsDeviation = "?R";     // "RDS"
inline constexpr const char* kPhase = "?E";            // "RDS Phase Difference"
inline constexpr const char* kIf = "?I";               // "IF"
inline constexpr const char* kLevel = "?U";            // "Level"
inline constexpr const char* kFastSignal = "?G";       // "Fast Signal Info"
inline constexpr const char* kHistogram = "?H";        // "Histogram Data"
inline constexpr const char* kRdsData = "?D";          // "PS", "PI" ... "EON"
inline constexpr const char* kRdsStatistics = "?T";    // "RDS Group Statistics"
inline constexpr const char* kBlock = "?B";            // no section recognised
inline constexpr const char* kStatus = "?S";           // no section recognised
// Memory dump of 14 bytes from address 4CE (hex): the alarm configuration.
// It has no awaited letter, so scripts do not wait for it.
inline constexpr const char* kReadAlarmConfig = "4CE,00E?h";

// Orders.
inline constexpr const char* kMeasuringMode = "*E";
inline constexpr const char* kRdsMode = "*D";
inline constexpr const char* kStereoMode = "*B";
inline constexpr const char* kMaxOn = "*M";    // periodic "MAX" sections
inline constexpr const char* kMaxOff = "*m";
inline constexpr const char* kPmOn = "*P";     // "Pm" sections once a second
inline constexpr const char* kPmOff = "*p";
inline constexpr const char* kRawOn = "*R";    // raw groups, "G" sections
inline constexpr const char* kRawOff = "*r";
inline constexpr const char* kRdsModeAndRaw = "*D*R*R";
inline constexpr const char* kHistogramReset = "*C";
inline constexpr const char* kStoreSettings = "*S";  // into the analyzer's EEPROM

}  // namespace cmd

// Tune order from a frequency list text: "98.50 MHz" -> "098500*F",
// "101.30 MHz" -> "101300*F". A "0" first when the first character is above
// "1", then the digits among the first seven characters, then "0*F".
[[nodiscard]] std::string TuneCommand(std::string_view frequencyText);
// "1?W" or "2?W" ("Double" time base): one MPX capture of 512 bytes.
[[nodiscard]] std::string CaptureRequest(bool doubleTimeBase);
// "07*L": load the analyzer's internal file n, 1..30.
[[nodiscard]] std::optional<std::string> LoadInternalFileCommand(int n);
// "DIP3:1*X": DIP switch n (0..4) to v (0 or 1).
[[nodiscard]] std::optional<std::string> DipCommand(int n, int v);
// "ARC:07*X": alarm-output parameter letter (A..M) to a value 0..99.
[[nodiscard]] std::optional<std::string> AlarmCommand(char letter, int value);

// Mode order(s) for a mode: 1 "*D"; 2 "*B"; otherwise "*E", then "*M" when
// the online peak readout is wanted.
[[nodiscard]] std::vector<std::string> ModeCommands(int mode, bool withMax);

// Sequences of the controls, in order.
[[nodiscard]] std::vector<std::string> HistogramAcquireSequence();
[[nodiscard]] std::vector<std::string> RdsAcquireSequence();
[[nodiscard]] std::vector<std::string> RawRdsRunSequence();
[[nodiscard]] std::vector<std::string> MpxRunSequence(bool doubleTimeBase);
[[nodiscard]] std::vector<std::string> MpxSingleSequence(bool doubleTimeBase);
[[nodiscard]] std::vector<std::string> ModulationPowerRunSequence(bool withMax);
// Without the MPX "Stop" that follows when the MPX run is active.
[[nodiscard]] std::vector<std::string> BandscanAcquireSequence(bool withMax);

void SendAll(CommandQueue& queue, const std::vector<std::string>& commands);

}  // namespace sondaro
