#pragma once
// Placeholders of call-form arguments: "%frequency", "%rdsps", "%cr" ... and
// "%" + the name of every user variable. One chain of case-insensitive
// replace-all steps, each on the result of the one before, so a longer name
// must come before its beginning ("%rdsps" before "%rds"). Usually the result
// is found in one pass over the text.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/script_state.h"
#include "core/clock.h"

namespace sondaro {

// The values the placeholders show, read once per line from the stores.
struct ScriptReadings {
  // Device link readouts, as received.
  std::string FrequencyText, PilotText, PhaseText, QualityText, LevelText;
  std::string DeviationMaxText, DeviationMaxHoldText, BalanceText, RdsDeviationText;
  bool Connected = false;  // "Disconnect" enabled
  // Deviation histogram.
  double AbovePercent = 0;
  long long MaxAtKHz = 0;
  long long TotalSamples = 0;
  std::string MinText;
  // Modulation power: last (with " dBr"), maximum, minimum, average.
  std::string PmLastText, PmMaxText, PmMinText, PmAveText;
  // Bandscan.
  long long StationCount = 0;
  // MPX demodulation: maximum left / right level in dB.
  double LMaxDb = 0, RMaxDb = 0;
  // RDS.
  std::string RdsPI, RdsPS, RdsRT, RdsCT, RdsPTYN, RdsPTY, RdsECC, RdsMS, RdsTP, RdsTA, RdsDI;
  std::array<std::string, 4> GroupStatsA, GroupStatsB;
  std::string RdsEON, RdsAF, RdsErrors;
  // Block error rate in percent over the last 10 s / minute, "-" without groups.
  std::string RdsBler, RdsBler60;
};

// Variables whose values name each other ("%B%B" in A, "%C%C" in B ...)
// double the text at every step; an argument stops growing here.
inline constexpr std::size_t kMaxArgumentLength = 1 << 20;

struct PlaceholderSources {
  const ScriptReadings& Readings;
  const std::vector<ScVar>& Variables;
  Millis WallNow;  // taken once per line
  // Detail of bandscan station `station` (1-based): selector 0 frequency,
  // 1 level, 2 noise, 3 PI, 4 PS; empty when there is no such station.
  std::function<std::string(int selector, long long station)> GetStationDetail;
  // The number of the selected station: the STATIONINDEX variable as the
  // interpreter converts numbers, truncated.
  std::function<double(std::string_view)> StrToNumber;
  // Where an argument stops growing.
  std::size_t MaxLength = kMaxArgumentLength;
};

struct PlaceholderResult {
  std::string Text;
  bool Complete;  // false: cut at the sources' MaxLength
};

// The chain over `argument`: in one pass over the text, matching names
// from a table, where that gives the chain's result; else step by step.
[[nodiscard]] PlaceholderResult ReplacePlaceholders(std::string argument,
                                                    const PlaceholderSources& s);
// The chain step by step, each replace-all on the result of the one before.
[[nodiscard]] PlaceholderResult ReplacePlaceholdersByChain(std::string argument,
                                                           const PlaceholderSources& s);

// The built-in placeholders in the order of the chain.
[[nodiscard]] std::vector<std::string_view> PlaceholderNames();

// Every character below 32, the quotation mark and * ? / \ # % : | < > ^
// become "_".
[[nodiscard]] std::string SanitizeFileName(std::string_view text);

// Replace-all ignoring case; replaced text is not searched again.
[[nodiscard]] std::string ReplaceAllNoCase(std::string text, std::string_view from,
                                           std::string_view to);

}  // namespace sondaro
