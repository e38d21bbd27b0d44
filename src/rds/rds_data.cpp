#include "rds/rds_data.h"

#include <string_view>

#include <map>

#include "core/text.h"
#include "rds/consistency.h"

namespace sondaro {

const std::array<const char*, 32> PtyNamesRds = {
    "No PTY",  "News",    "Affairs", "Info",     "Sport",    "Educate", "Drama",    "Culture",
    "Science", "Varied",  "Pop M",   "Rock M",   "Easy M",   "Light M", "Classics", "Other M",
    "Weather", "Finance", "Children", "Social",  "Religion", "Phone In", "Travel",  "Leisure",
    "Jazz",    "Country", "Nation",  "Oldies",   "Folk M",   "Document", "TEST",    "Alarm!"};

const std::array<const char*, 32> PtyNamesRbds = {
    "No PTY",    "News",        "Inform",    "Sports",   "Talk",      "Rock",     "Cls Rock",
    "Adult Hits", "Soft Rock",  "Top 40",    "Country",  "Oldies",    "Soft",     "Nostalgia",
    "Jazz",      "Classical",   "R & B",     "Soft R&B", "Language",  "Rel Music", "Rel Talk",
    "Personality", "Public",    "College",   "(24)",     "(25)",      "(26)",     "(27)",
    "(28)",      "Weather",     "Test",      "ALERT !"};

RdsData ClearedRdsData() {
  RdsData d;
  d.PS = "\"\"";
  const std::string none = "-";
  for (std::string* field :
       {&d.PI, &d.PTY, &d.TP, &d.TA, &d.MS, &d.DI, &d.AF, &d.EON, &d.ECC, &d.PTYN, &d.RT})
    *field = none;
  d.CT = "--:--";
  return d;
}

namespace {
std::string_view WithoutOneLeadingBlank(std::string_view s) {
  if (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}
}  // namespace

std::string FormatPty(const std::string& value, bool usPtyCode) {
  int code = ReadInt32(WithoutOneLeadingBlank(value)).value_or(0);
  if (code < 0 || code > 31) code = 0;
  const auto& names = usPtyCode ? PtyNamesRbds : PtyNamesRds;
  return std::to_string(code) + " (" + names[static_cast<std::size_t>(code)] + ")";
}

std::string FormatAf(const std::string& value) {
  std::string s = ReplaceAll(value, " MHz\r\n", ", ");
  s = ReplaceAll(std::move(s), ",  ", ", ");
  return std::string(WithoutOneLeadingBlank(s));
}

std::string FormatEon(const std::string& value) {
  std::string s = ReplaceAll(value, kCrLf, ", ");
  return s.empty() ? "-" : s;
}

std::string FormatEcc(const std::string& value) { return value == "00" ? "-" : value; }

GroupStats ParseGroupStatistics(const std::string& value) {
  // " 0A: 1234;  0B:    0; ..." -> " 0A:1234: 0B:   0:..."; each slot keeps
  // 13 characters, of which the first 11 are shown.
  constexpr std::size_t kSlot = 13, kEntry = 11, kLine = 52;  // 52: four slots
  std::string text = ReplaceAll(ReplaceAll(value, ";", ":"), ": ", ":");
  std::string listA, listB;
  for (;;) {
    const std::string pair = Copy(text, 3, 2);
    if (pair != "A:" && pair != "B:") break;
    (pair[0] == 'A' ? listA : listB) += Copy(text, 1, kEntry) + ", ";
    text.erase(0, std::min(kSlot, text.size()));
  }
  auto split = [&](std::string list) {
    GroupStatsLines lines;
    for (std::size_t i = 0; i < 3; ++i) {
      lines[i] = Copy(list, 1, kLine);
      list.erase(0, std::min(kLine, list.size()));
    }
    lines[3] = list;
    for (auto& line : lines)
      if (line.size() >= 2) line.resize(line.size() - 2);  // the last ", "
    return lines;
  };
  return {split(listA), split(listB)};
}

std::vector<std::string> RdsPageLines(const RdsData& d) {
  std::vector<std::string> lines = {
      "PS: " + d.PS,   "PI: " + d.PI,   "PTY: " + d.PTY, "TP: " + d.TP,   "TA: " + d.TA,
      "MS: " + d.MS,   "DI: " + d.DI,   "CT: " + d.CT,   "AF: " + d.AF,   "EON: " + d.EON,
      "ECC: " + d.ECC, "PTYN: " + d.PTYN, "RT: " + d.RT, "",            "Group statistics:"};
  lines.insert(lines.end(), d.GroupStatsA.begin(), d.GroupStatsA.end());
  lines.insert(lines.end(), d.GroupStatsB.begin(), d.GroupStatsB.end());
  // The report begins with a line end, so an empty line sets it apart.
  const std::string report = ErrorsAndWarnings(d);
  for (std::size_t start = 0; !report.empty();) {
    const std::size_t end = report.find(kCrLf, start);
    lines.push_back(report.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + kCrLf.size();
  }
  return lines;
}

RdsStore::RdsStore(View& view, CommandQueue& queue, const MeasurementState& state,
                   TextFileDialog& textDialog)
    : view_(view), queue_(queue), state_(state), textDialog_(textDialog) {}

void RdsStore::StoreRdsField(const std::string& tag, const std::string& value) {
  using Store = void (*)(RdsStore&, const std::string&);
  static const std::map<std::string, Store> table = {
      {"PS", [](RdsStore& s, const std::string& v) { s.data_.PS = v; }},
      {"PI", [](RdsStore& s, const std::string& v) { s.data_.PI = v; }},
      {"PTY", [](RdsStore& s, const std::string& v) { s.data_.PTY = FormatPty(v, s.UsPtyCode); }},
      {"TP", [](RdsStore& s, const std::string& v) { s.data_.TP = v; }},
      {"TA", [](RdsStore& s, const std::string& v) { s.data_.TA = v; }},
      {"MS", [](RdsStore& s, const std::string& v) { s.data_.MS = v; }},
      {"DI", [](RdsStore& s, const std::string& v) { s.data_.DI = WithoutOneLeadingBlank(v); }},
      {"CT", [](RdsStore& s, const std::string& v) { s.data_.CT = WithoutOneLeadingBlank(v); }},
      {"AF", [](RdsStore& s, const std::string& v) { s.data_.AF = FormatAf(v); }},
      {"EON", [](RdsStore& s, const std::string& v) { s.data_.EON = FormatEon(v); }},
      {"ECC", [](RdsStore& s, const std::string& v) { s.data_.ECC = FormatEcc(v); }},
      {"PTYN", [](RdsStore& s, const std::string& v) { s.data_.PTYN = v; }},
      {"RT", [](RdsStore& s, const std::string& v) { s.data_.RT = v; }},
      {"RDS Group Statistics",
       [](RdsStore& s, const std::string& v) {
         GroupStats stats = ParseGroupStatistics(v);
         s.data_.GroupStatsA = std::move(stats.A);
         s.data_.GroupStatsB = std::move(stats.B);
       }},
  };
  const auto it = table.find(tag);
  if (it == table.end()) return;
  it->second(*this, value);
  ProcessRDS(false);
}

void RdsStore::ProcessRDS(bool clear) {
  if (clear) data_ = ClearedRdsData();
  textBox_ = {};
  textBoxStale_ = true;
  view_.Changed(Area::Rds);
}

void RdsStore::ShowLines(std::vector<std::string> lines) {
  textBox_ = std::move(lines);
  textBoxStale_ = false;
  view_.Changed(Area::Rds);
}

const std::vector<std::string>& RdsStore::TextBox() const {
  if (textBoxStale_) {
    textBox_ = RdsPageLines(data_);
    textBoxStale_ = false;
  }
  return textBox_;
}

std::string RdsStore::TextBoxText() const {
  const std::vector<std::string>& lines = TextBox();
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += kCrLf;
    text += lines[i];
  }
  return text;
}

// "Acquire": the tuned frequency, the RDS data, the group statistics.
void RdsStore::IAeverButton32Click() {
  queue_.Send("?F");
  queue_.Send("?D");
  queue_.Send("?T");
}

// "Save Data"
void RdsStore::IAeverButton31Click() {
  const std::string& frequency = state_.FrequencyText;
  const std::string path = textDialog_.Ask(frequency.empty() ? "" : "RDS " + frequency + ".txt");
  if (path.empty()) return;
  if (!SaveTextBox(path)) textDialog_.SaveFailed(path);
}

bool RdsStore::SaveTextBox(const std::string& path, std::string* error) const {
  return WriteTextLines(path, TextBox(), error);
}

}  // namespace sondaro
