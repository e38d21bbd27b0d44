#include "link/command_set.h"

#include "core/text.h"
#include "link/command_queue.h"

namespace sondaro {

std::string TuneCommand(std::string_view frequencyText) {
  std::string command;
  if (!frequencyText.empty() && frequencyText[0] > '1') command += '0';
  for (char c : frequencyText.substr(0, 7))
    if (c >= '0' && c <= '9') command += c;
  return command + "0*F";
}

std::string CaptureRequest(bool doubleTimeBase) { return doubleTimeBase ? "2?W" : "1?W"; }

std::optional<std::string> LoadInternalFileCommand(int n) {
  if (n < 1 || n > 30) return std::nullopt;
  return IntToDva(n) + "*L";
}

std::optional<std::string> DipCommand(int n, int v) {
  if (n < 0 || n > 4 || (v != 0 && v != 1)) return std::nullopt;
  return "DIP" + std::to_string(n) + ":" + std::to_string(v) + "*X";
}

std::optional<std::string> AlarmCommand(char letter, int value) {
  if (letter < 'A' || letter > 'M' || value < 0 || value > 99) return std::nullopt;
  return std::string("AR") + letter + ":" + IntToDva(value) + "*X";
}

std::vector<std::string> ModeCommands(int mode, bool withMax) {
  if (mode == 1) return {cmd::kRdsMode};
  if (mode == 2) return {cmd::kStereoMode};
  if (withMax) return {cmd::kMeasuringMode, cmd::kMaxOn};
  return {cmd::kMeasuringMode};
}

std::vector<std::string> HistogramAcquireSequence() { return {cmd::kFrequency, cmd::kHistogram}; }

std::vector<std::string> RdsAcquireSequence() {
  return {cmd::kFrequency, cmd::kRdsData, cmd::kRdsStatistics};
}

std::vector<std::string> RawRdsRunSequence() {
  return {cmd::kFrequency, cmd::kRdsMode, cmd::kRawOn};
}

std::vector<std::string> MpxSingleSequence(bool doubleTimeBase) {
  return {cmd::kFrequency, cmd::kQuality, cmd::kPilot, cmd::kRdsDeviation,
          cmd::kPhase,     cmd::kIf,      CaptureRequest(doubleTimeBase)};
}

std::vector<std::string> MpxRunSequence(bool doubleTimeBase) {
  std::vector<std::string> s = MpxSingleSequence(doubleTimeBase);
  s.insert(s.end() - 1, cmd::kMaxOn);
  return s;
}

std::vector<std::string> ModulationPowerRunSequence(bool withMax) {
  std::vector<std::string> s = ModeCommands(0, withMax);
  s.push_back(cmd::kPmOn);
  return s;
}

std::vector<std::string> BandscanAcquireSequence(bool withMax) {
  std::vector<std::string> s = ModeCommands(0, withMax);
  s.push_back(cmd::kPmOff);
  s.push_back(cmd::kLevel);
  return s;
}

void SendAll(CommandQueue& queue, const std::vector<std::string>& commands) {
  for (const std::string& c : commands) queue.Send(c);
}

}  // namespace sondaro
