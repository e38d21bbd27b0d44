#include "rds/raw_capture.h"

#include <cstdio>
#include <random>

#include "core/text.h"

namespace sondaro {

RawGroup ParseRawGroup(std::string_view text) {
  RawGroup g;
  std::uint16_t* words[] = {&g.A, &g.B, &g.C, &g.D};
  for (int i = 0; i < 4; ++i) {
    const std::string_view block =
        text.size() >= static_cast<std::size_t>(4 * i + 4) ? text.substr(4 * i, 4) : "";
    const auto value = block.size() == 4 && block != "----" ? ReadHex(block) : std::nullopt;
    if (value) {
      *words[i] = static_cast<std::uint16_t>(*value);
    } else {
      g.Missing = static_cast<std::uint16_t>(g.Missing | (1u << i));
    }
  }
  return g;
}

std::string RawGroupLine(const RawGroup& g) {
  auto missing = [&g](int block) { return (g.Missing & (1u << block)) != 0; };
  std::string line;
  char hex[8];
  const std::uint16_t words[] = {g.A, g.B, g.C, g.D};
  for (int i = 0; i < 4; ++i) {
    if (missing(i)) {
      line += "---- ";
    } else {
      std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(words[i]));
      line += hex;
    }
  }
  // Block B: group type (4 bits), version (1), TP (1), PTY (5), the rest (5).
  if (missing(1)) {
    line += " -- ------ -----";
  } else {
    const unsigned type = g.B >> 12;
    if (type < 10) line += ' ';
    line += std::to_string(type);
    line += (g.B & 0x800) ? "B " : "A ";
    for (int bit = 10; bit >= 0; --bit) {
      line += (g.B >> bit) & 1 ? '1' : '0';
      if (bit == 5) line += ' ';
    }
  }
  line += ' ';
  auto printable = [](unsigned code) { return code < 32 ? '.' : static_cast<char>(code); };
  const char c1 = printable(g.C >> 8), c2 = printable(g.C & 0xFF);
  const char d1 = printable(g.D >> 8), d2 = printable(g.D & 0xFF);
  line += missing(2) ? std::string("---- ") : std::string{'\'', c1, c2, '\'', ' '};
  line += missing(3) ? std::string("----") : std::string{'\'', d1, d2, '\''};
  return line;
}

RawCapture::RawCapture(View& view, CommandQueue& queue, const MeasurementState& state,
                       TextFileDialog& textDialog, RdsStore& page, std::string appFolder)
    : view_(view),
      queue_(queue),
      state_(state),
      textDialog_(textDialog),
      page_(page),
      appFolder_(std::move(appFolder)),
      buffer_(kCapacity) {
  Random = [engine = std::mt19937(std::random_device{}())]() mutable {
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
  };
}

void RawCapture::StoreRawGroup(const std::string& text) {
  if (rawCount_ >= kCapacity) return;
  buffer_[static_cast<std::size_t>(rawCount_++)] = ParseRawGroup(text);
  view_.Changed(Area::RawRds);
}

void RawCapture::RawGroupFull() {
  if (Random && Random() > 0.9) IAeverButton36Click();
}

// "Run": "?F", RDS mode, then "*R" makes the analyzer stream its groups.
void RawCapture::IAeverButton35Click() {
  queue_.Send("?F");
  if (hooks.SelectRdsMode) hooks.SelectRdsMode();
  queue_.Send("*R");
  RawCapturing = true;
  view_.Changed(Area::RawRds);
}

// "Stop"
void RawCapture::IAeverButton36Click() {
  queue_.Send("*r");
  RawCapturing = false;
  view_.Changed(Area::RawRds);
}

// "Clear"
void RawCapture::IAeverButton38Click() {
  rawCount_ = 0;
  view_.Changed(Area::RawRds);
}

// "Save"
void RawCapture::IAeverButton37Click() {
  const std::string& frequency = state_.FrequencyText;
  const std::string path =
      textDialog_.Ask(frequency.empty() ? "" : "Raw RDS Data " + frequency + ".txt");
  if (path.empty()) return;
  if (!SaveRawData(path)) textDialog_.SaveFailed(path);
}

// "View"
void RawCapture::GradBtn44Click() { page_.ShowLines(Lines()); }

bool RawCapture::SaveRawData(const std::string& fileName, std::string* error) const {
  return WriteTextLines(FileInFolder(appFolder_, fileName), Lines(), error);
}

std::vector<std::string> RawCapture::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(rawCount_));
  for (int i = 0; i < rawCount_; ++i) lines.push_back(RawGroupLine(buffer_[static_cast<std::size_t>(i)]));
  return lines;
}

std::string RawCapture::ByteCounterText() const {
  return std::to_string(rawCount_ * 8) + " bytes";
}

}  // namespace sondaro
