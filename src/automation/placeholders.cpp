#include "automation/placeholders.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "core/formats.h"
#include "core/text.h"

namespace sondaro {

namespace {

char Up(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
  if (what.empty() || text.size() < what.size()) return std::string_view::npos;
  const char first = what[0];
  const bool caseless = Up(first) == static_cast<char>(std::tolower(static_cast<unsigned char>(first)));
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    // Placeholders begin with "%": jump from one to the next.
    if (caseless) {
      const void* hit = std::memchr(text.data() + i, first, text.size() - what.size() + 1 - i);
      if (!hit) return std::string_view::npos;
      i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    }
    std::size_t k = 0;
    while (k < what.size() && Up(text[i + k]) == Up(what[k])) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

class Chain {
 public:
  explicit Chain(const PlaceholderSources& s) : s_(s) {}

  // Selected bandscan station, or 0 when STATIONINDEX is missing or out of
  // any sensible range.
  long long Station() const {
    const ScVar* var = nullptr;
    for (const ScVar& v : s_.Variables)
      if (v.Name == "STATIONINDEX") var = &v;
    if (!var || !s_.StrToNumber) return 0;
    const double n = std::trunc(s_.StrToNumber(var->Value));
    return n >= 1 && n <= 1e9 ? static_cast<long long>(n) : 0;
  }
  std::string StationDetail(int selector) const {
    const long long station = Station();
    if (station < 1 || !s_.GetStationDetail) return {};
    return s_.GetStationDetail(selector, station);
  }
  const ScriptReadings& R() const { return s_.Readings; }
  Millis Wall() const { return s_.WallNow; }

 private:
  const PlaceholderSources& s_;
};

using Source = std::string (*)(const Chain&);

struct Placeholder {
  std::string_view Name;
  Source Value;
};

std::string Lead(const std::string& s) { return RemoveLeadingBlanks(s); }

// 98.50 MHz -> 09850: a five-digit frequency in units of 10 kHz.
std::string Freq(const std::string& text) {
  std::string s = RemoveAll(text, ",");
  s = RemoveAll(s, " MHz");
  s = RemoveAll(s, ".");
  s = RemoveLeadingBlanks(s);
  if (s.size() < 5) s = "0" + s;
  return s;
}

std::string Phase(const std::string& text) {
  return text.empty() ? "No phase relation found." : RemoveLeadingBlanks(text);
}

std::string StatPair(const std::array<std::string, 4>& lines, std::size_t first) {
  return lines[first] + ", " + lines[first + 1];
}

// Chain order: longer names before their beginnings.
constexpr Placeholder kTable[] = {
    {"%time", [](const Chain& c) { return FormatDateTime("hh-nn-ss", c.Wall()); }},
    {"%date", [](const Chain& c) { return FormatDateTime("yyyy-mm-dd", c.Wall()); }},
    {"%frequency_", [](const Chain& c) { return StrJenCislo(Lead(c.R().FrequencyText)); }},
    {"%frequency", [](const Chain& c) { return Lead(c.R().FrequencyText); }},
    {"%freq", [](const Chain& c) { return Freq(c.R().FrequencyText); }},
    {"%pilot_", [](const Chain& c) { return StrJenCislo(Lead(c.R().PilotText)); }},
    {"%pilot", [](const Chain& c) { return Lead(c.R().PilotText); }},
    {"%phase_",
     [](const Chain& c) {
       return c.R().PhaseText.empty() ? Phase("") : StrJenCislo(Lead(c.R().PhaseText));
     }},
    {"%phase", [](const Chain& c) { return Phase(c.R().PhaseText); }},
    {"%connected", [](const Chain& c) { return std::string(c.R().Connected ? "1" : "0"); }},
    {"%quality", [](const Chain& c) { return Lead(c.R().QualityText); }},
    {"%level_", [](const Chain& c) { return StrJenCislo(c.R().LevelText); }},
    {"%level", [](const Chain& c) { return c.R().LevelText; }},
    {"%abovelimit", [](const Chain& c) { return FormatFixed(c.R().AbovePercent, 1); }},
    {"%maxat", [](const Chain& c) { return std::to_string(c.R().MaxAtKHz); }},
    {"%totalsamples", [](const Chain& c) { return std::to_string(c.R().TotalSamples); }},
    {"%min_", [](const Chain& c) { return StrJenCislo(c.R().MinText); }},
    {"%maxhold_", [](const Chain& c) { return StrJenCislo(c.R().DeviationMaxText); }},
    {"%tsmaxhold_", [](const Chain& c) { return StrJenCislo(c.R().DeviationMaxHoldText); }},
    {"%min", [](const Chain& c) { return c.R().MinText; }},
    {"%maxhold", [](const Chain& c) { return c.R().DeviationMaxText; }},
    {"%tsmaxhold", [](const Chain& c) { return c.R().DeviationMaxHoldText; }},
    {"%balance", [](const Chain& c) { return c.R().BalanceText; }},
    {"%pmlast_", [](const Chain& c) { return StrJenCislo(c.R().PmLastText); }},
    {"%pmmax_", [](const Chain& c) { return StrJenCislo(c.R().PmMaxText); }},
    {"%pmmin_", [](const Chain& c) { return StrJenCislo(c.R().PmMinText); }},
    {"%pmave_", [](const Chain& c) { return StrJenCislo(c.R().PmAveText); }},
    {"%pmlast", [](const Chain& c) { return c.R().PmLastText; }},
    {"%pmmax", [](const Chain& c) { return c.R().PmMaxText; }},
    {"%pmmin", [](const Chain& c) { return c.R().PmMinText; }},
    {"%pmave", [](const Chain& c) { return c.R().PmAveText; }},
    {"%stationcount", [](const Chain& c) { return std::to_string(c.R().StationCount); }},
    {"%station.frequency", [](const Chain& c) { return c.StationDetail(0); }},
    {"%station.level", [](const Chain& c) { return c.StationDetail(1); }},
    {"%station.noise", [](const Chain& c) { return c.StationDetail(2); }},
    {"%station.rdspi", [](const Chain& c) { return c.StationDetail(3); }},
    {"%station.rdsps", [](const Chain& c) { return c.StationDetail(4); }},
    {"%lmaxdb", [](const Chain& c) { return FormatFixed(c.R().LMaxDb, 1); }},
    {"%rmaxdb", [](const Chain& c) { return FormatFixed(c.R().RMaxDb, 1); }},
    {"%rdspi", [](const Chain& c) { return c.R().RdsPI; }},
    {"%rdsps", [](const Chain& c) { return c.R().RdsPS; }},
    {"%rdsrt", [](const Chain& c) { return c.R().RdsRT; }},
    {"%rdsct", [](const Chain& c) { return c.R().RdsCT; }},
    {"%rdsptyn", [](const Chain& c) { return c.R().RdsPTYN; }},
    {"%rdspty", [](const Chain& c) { return c.R().RdsPTY; }},
    {"%rdsecc", [](const Chain& c) { return c.R().RdsECC; }},
    {"%rdsms", [](const Chain& c) { return c.R().RdsMS; }},
    {"%rdstp", [](const Chain& c) { return c.R().RdsTP; }},
    {"%rdsta", [](const Chain& c) { return c.R().RdsTA; }},
    {"%rdsdi", [](const Chain& c) { return c.R().RdsDI; }},
    {"%rdsstat1", [](const Chain& c) { return StatPair(c.R().GroupStatsA, 0); }},
    {"%rdsstat2", [](const Chain& c) { return StatPair(c.R().GroupStatsA, 2); }},
    {"%rdsstat3", [](const Chain& c) { return StatPair(c.R().GroupStatsB, 0); }},
    {"%rdsstat4", [](const Chain& c) { return StatPair(c.R().GroupStatsB, 2); }},
    {"%rdseon", [](const Chain& c) { return c.R().RdsEON; }},
    {"%rdsaf", [](const Chain& c) { return c.R().RdsAF; }},
    {"%rdserr", [](const Chain& c) { return c.R().RdsErrors; }},
    // Our own two, placed before "%rds" so that it cannot take them.
    {"%rdsbler60", [](const Chain& c) { return c.R().RdsBler60; }},
    {"%rdsbler", [](const Chain& c) { return c.R().RdsBler; }},
    {"%rds_", [](const Chain& c) { return StrJenCislo(Lead(c.R().RdsDeviationText)); }},
    {"%rds", [](const Chain& c) { return Lead(c.R().RdsDeviationText); }},
    {"%cr", [](const Chain&) { return std::string(kCrLf); }},
    {"%tab", [](const Chain&) { return std::string("\t"); }},
};

}  // namespace

namespace {

// Replace-all that stops growing the text at `limit` characters; false when
// it had to cut.
bool ReplaceLimited(std::string& text, std::string_view from, std::string_view to,
                    std::size_t limit) {
  std::size_t pos = FindNoCase(text, from, 0);
  if (pos == std::string_view::npos) return true;
  std::string out;
  std::size_t done = 0;
  while (pos != std::string_view::npos) {
    out.append(text, done, pos - done);
    out.append(to);
    done = pos + from.size();
    if (out.size() > limit) {
      out.resize(limit);
      text = std::move(out);
      return false;
    }
    pos = FindNoCase(text, from, done);
  }
  out.append(text, done, std::string::npos);
  const bool complete = out.size() <= limit;
  if (!complete) out.resize(limit);
  text = std::move(out);
  return complete;
}

}  // namespace

std::string ReplaceAllNoCase(std::string text, std::string_view from, std::string_view to) {
  ReplaceLimited(text, from, to, std::string::npos);
  return text;
}

PlaceholderResult ReplacePlaceholdersByChain(std::string argument, const PlaceholderSources& s) {
  PlaceholderResult r{std::move(argument), true};
  std::string& a = r.Text;
  // Every placeholder starts with "%"; text without one passes untouched.
  if (a.find('%') == std::string::npos) return r;
  const Chain chain(s);
  for (const Placeholder& p : kTable) {
    // A value is computed only when its placeholder occurs.
    if (FindNoCase(a, p.Name, 0) == std::string_view::npos) continue;
    if (!ReplaceLimited(a, p.Name, p.Value(chain), s.MaxLength)) return {a, false};
  }
  for (const ScVar& v : s.Variables) {
    if (a.find('%') == std::string::npos) break;
    if (!ReplaceLimited(a, "%" + v.Name, v.Value, s.MaxLength)) return {a, false};
  }
  return r;
}

namespace {

// Every name of the chain (without its "%", in upper case), with the step
// at which the chain replaces it: the built-ins first, then the variables.
class NameTrie {
 public:
  static constexpr int kNone = std::numeric_limits<int>::max();

  void Add(std::string_view name, int step) {
    int node = 0;
    for (char c : name) {
      int next = Child(node, Up(c));
      if (next < 0) {
        next = static_cast<int>(nodes_.size());
        nodes_[static_cast<std::size_t>(node)].Next.emplace_back(Up(c), next);
        if (node == 0) root_[static_cast<unsigned char>(Up(c))] = next;
        nodes_.emplace_back();
      }
      node = next;
    }
    int& own = nodes_[static_cast<std::size_t>(node)].Step;
    own = std::min(own, step);
  }

  // The placeholder at text[at] (a "%"): the earliest step whose name
  // matches there and its length. `reachesPercent` tells that a longer name
  // could still run on into the next "%".
  struct Match {
    int Step = kNone;
    std::size_t Length = 0;
    bool ReachesPercent = false;
  };
  Match At(std::string_view text, std::size_t at) const {
    Match m;
    int node = 0;
    for (std::size_t k = at + 1; k < text.size(); ++k) {
      if (text[k] == '%') {
        m.ReachesPercent = !nodes_[static_cast<std::size_t>(node)].Next.empty();
        break;
      }
      node = Child(node, Up(text[k]));
      if (node < 0) break;
      const int step = nodes_[static_cast<std::size_t>(node)].Step;
      if (step < m.Step) {
        m.Step = step;
        m.Length = k - at + 1;
      }
    }
    return m;
  }

 private:
  struct Node {
    std::vector<std::pair<char, int>> Next;
    int Step = kNone;
  };
  int Child(int node, char c) const {
    if (node == 0) return root_[static_cast<unsigned char>(c)];
    for (const auto& [ch, next] : nodes_[static_cast<std::size_t>(node)].Next)
      if (ch == c) return next;
    return -1;
  }
  std::vector<Node> nodes_{1};
  // The first character after "%" picks among many names: a table.
  std::array<int, 256> root_ = MakeRoot();
  static std::array<int, 256> MakeRoot() {
    std::array<int, 256> r{};
    r.fill(-1);
    return r;
  }
};

constexpr int kBuiltIns = static_cast<int>(std::size(kTable));

// The built-in names never change: their trie is built once.
const NameTrie& BuiltInNames() {
  static const NameTrie names = [] {
    NameTrie t;
    for (int i = 0; i < kBuiltIns; ++i) t.Add(kTable[i].Name.substr(1), i);
    return t;
  }();
  return names;
}

// The earliest step matching at text[at] among the built-ins and the
// variables: every built-in step comes before every variable's, and a name
// may run on where it may in either set.
NameTrie::Match MatchAt(const std::optional<NameTrie>& variables, std::string_view text,
                        std::size_t at) {
  const NameTrie::Match b = BuiltInNames().At(text, at);
  if (!variables) return b;
  const NameTrie::Match v = variables->At(text, at);
  NameTrie::Match m = b.Step != NameTrie::kNone ? b : v;
  m.ReachesPercent = b.ReachesPercent || v.ReachesPercent;
  return m;
}

// One pass over the argument: each "%" takes the value of the earliest step
// of the chain whose name matches there. That is what the chain gives as
// long as no value brings in a "%" of its own, no name holds a second "%",
// and no placeholder could run on into the next one once that one is
// replaced; otherwise nullopt, and the chain itself runs.
std::optional<PlaceholderResult> ReplaceInOnePass(const std::string& a,
                                                  const PlaceholderSources& s) {
  std::optional<NameTrie> variables;
  if (!s.Variables.empty()) variables.emplace();
  for (std::size_t j = 0; j < s.Variables.size(); ++j) {
    const std::string& name = s.Variables[j].Name;
    if (name.find('%') != std::string::npos) return std::nullopt;
    variables->Add(name, kBuiltIns + static_cast<int>(j));
  }
  const Chain chain(s);
  std::array<std::optional<std::string>, kBuiltIns> builtIn;
  auto value = [&](int step) -> const std::string& {
    if (step >= kBuiltIns) return s.Variables[static_cast<std::size_t>(step - kBuiltIns)].Value;
    auto& v = builtIn[static_cast<std::size_t>(step)];
    if (!v) v = kTable[step].Value(chain);
    return *v;
  };
  struct Claim {
    std::size_t At, Length;
    int Step;
  };
  std::vector<Claim> claims;
  // The step of a "%" before this one whose name might run on into it.
  std::optional<int> runsOn;
  for (std::size_t at = a.find('%'); at != std::string::npos;) {
    const NameTrie::Match m = MatchAt(variables, a, at);
    if (runsOn && m.Step != NameTrie::kNone && m.Step < *runsOn) return std::nullopt;
    runsOn.reset();
    if (m.ReachesPercent) runsOn = m.Step;
    if (m.Step == NameTrie::kNone) {
      at = a.find('%', at + 1);
      continue;
    }
    if (value(m.Step).find('%') != std::string::npos) return std::nullopt;
    claims.push_back({at, m.Length, m.Step});
    at = a.find('%', at + m.Length);
  }
  // The chain stops after the first step that makes the text longer than
  // the limit, cut there: only the steps up to that one count. Most texts
  // stay below it whatever the order.
  int lastStep = NameTrie::kNone;
  std::size_t longest = a.size();
  for (const Claim& c : claims) longest += value(c.Step).size();
  if (longest > s.MaxLength) {
    std::vector<long long> growth(static_cast<std::size_t>(kBuiltIns) + s.Variables.size());
    for (const Claim& c : claims)
      growth[static_cast<std::size_t>(c.Step)] +=
          static_cast<long long>(value(c.Step).size()) - static_cast<long long>(c.Length);
    long long size = static_cast<long long>(a.size());
    for (std::size_t step = 0; step < growth.size(); ++step) {
      size += growth[step];
      if (size > static_cast<long long>(s.MaxLength)) {
        lastStep = static_cast<int>(step);
        break;
      }
    }
  }
  const bool complete = lastStep == NameTrie::kNone;
  std::string out;
  out.reserve(std::min(a.size(), s.MaxLength));
  std::size_t done = 0;
  for (const Claim& c : claims) {
    if (c.Step > lastStep) continue;
    out.append(a, done, c.At - done);
    out += value(c.Step);
    done = c.At + c.Length;
    if (out.size() > s.MaxLength) break;
  }
  if (out.size() <= s.MaxLength) out.append(a, done, std::string::npos);
  if (!complete) out.resize(s.MaxLength);
  return PlaceholderResult{std::move(out), complete};
}

}  // namespace

PlaceholderResult ReplacePlaceholders(std::string argument, const PlaceholderSources& s) {
  if (argument.find('%') == std::string::npos) return {std::move(argument), true};
  if (auto fast = ReplaceInOnePass(argument, s)) return std::move(*fast);
  return ReplacePlaceholdersByChain(std::move(argument), s);
}

std::vector<std::string_view> PlaceholderNames() {
  std::vector<std::string_view> names;
  for (const Placeholder& p : kTable) names.push_back(p.Name);
  return names;
}

std::string SanitizeFileName(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || std::string_view("\"*?/\\#%:|<>^").find(c) != std::string_view::npos) c = '_';
  }
  return out;
}

}  // namespace sondaro
