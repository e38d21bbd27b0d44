#include "sim/world.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "core/text.h"

namespace sondaro::sim {

namespace {

std::string PadPs(std::string ps) {
  ps.resize(8, ' ');
  return ps;
}

Station Make(int khz, double level, std::uint16_t pi, const char* ps, int pty, const char* rt) {
  Station s;
  s.FrequencyKHz = khz;
  s.LevelDbuv = level;
  s.Pi = pi;
  s.Ps = PadPs(ps);
  s.Pty = pty;
  s.Rt = rt;
  return s;
}

}  // namespace

World DefaultWorld() {
  World w;
  auto& v = w.Stations;

  Station s = Make(87600, 68, 0xD301, "RADIO 1", 10, "Radio 1 - the best hits of today and yesterday");
  s.Tp = true;
  s.Ecc = 0xE0;
  s.AfKHz = {87600, 96300, 102100};
  s.Eon = {{0xD302, PadPs("REGIO 2")}, {0xD3C1, PadPs("TRAFFIC")}};
  s.PowerDbr = 2.0;
  s.CarrierOffsetKHz = 0.4;
  v.push_back(s);

  s = Make(89300, 22, 0xD302, "REGIO 2", 1, "Regional news every hour on the hour");
  s.Music = false;
  s.Ecc = 0xE0;
  s.PowerDbr = -1.5;
  s.RdsKHz = 2.8;
  v.push_back(s);

  s = Make(91800, 55, 0xD3B0, "KLASSIK", 14, "Now playing: J. S. Bach - Brandenburg Concerto No. 3");
  s.PowerDbr = -3.0;
  s.PeakKHz = 68;
  s.Correlation = 0.7;
  s.RdsPhaseDeg = 0;
  s.CarrierOffsetKHz = -0.6;
  v.push_back(s);

  // A mono talk station without RDS.
  s = Make(94100, 45, 0, "", 0, "");
  s.PilotKHz = 0;
  s.RdsKHz = 0;
  s.PowerDbr = -1.0;
  s.Correlation = 1.0;
  v.push_back(s);

  s = Make(96300, 48, 0xD301, "RADIO 1", 10, "Radio 1 - the best hits of today and yesterday");
  s.Tp = true;
  s.Ecc = 0xE0;
  s.AfKHz = {87600, 96300, 102100};
  s.PowerDbr = 2.0;
  v.push_back(s);

  // Test tones: 1 kHz left, 3 kHz right.
  s = Make(98500, 72, 0xD3A5, "TESTTON", 0, "Test signal L 1 kHz R 3 kHz");
  s.Audio = AudioKind::Tones;
  s.ToneLeftHz = 1000;
  s.ToneRightHz = 3000;
  s.Ptyn = "TESTSIG ";
  s.Ecc = 0xE0;
  s.PowerDbr = 0.0;
  s.PilotKHz = 6.75;
  s.RdsKHz = 4.0;
  v.push_back(s);

  // A weaker neighbour 200 kHz above.
  s = Make(98700, 38, 0xD3A6, "NACHBAR", 9, "Your neighbour on the dial");
  s.PowerDbr = 1.0;
  v.push_back(s);

  s = Make(100000, 60, 0xD3C4, "JAZZ FM", 24, "Smooth jazz all night long");
  s.Ptyn = "SMOOTH  ";
  s.Ecc = 0xE0;
  s.PowerDbr = -2.0;
  s.RdsPhaseDeg = 270;
  v.push_back(s);

  s = Make(102100, 52, 0xD301, "RADIO 1", 10, "Radio 1 - the best hits of today and yesterday");
  s.Tp = true;
  s.Ecc = 0xE0;
  s.AfKHz = {87600, 96300, 102100};
  s.PowerDbr = 2.0;
  v.push_back(s);

  // Loud and slightly overmodulating.
  s = Make(103900, 84, 0xD3D1, "CITY FM", 10, "CITY FM - hit music only");
  s.PowerDbr = 4.0;
  s.PeakKHz = 79;
  s.PilotKHz = 7.2;
  s.CarrierOffsetKHz = 1.2;
  v.push_back(s);

  // An encoder with faults a broadcast engineer would want to see.
  s = Make(105500, 40, 0x0012, "LOKAL", 31, "Local radio");
  s.Ta = true;
  s.Ecc = 0x0E;
  s.AfKHz = {105500, 106200};
  s.PowerDbr = 0.5;
  s.RdsPhaseDeg = 45;
  v.push_back(s);

  s = Make(107700, 35, 0xD3C1, "TRAFFIC", 22, "Traffic news: no delays reported");
  s.Tp = true;
  s.Ta = true;
  s.Music = false;
  s.Eon = {{0xD301, PadPs("RADIO 1")}};
  s.PowerDbr = -0.5;
  v.push_back(s);
  return w;
}

namespace {

bool ReadNumber(const std::string& text, double& out) {
  const auto v = ReadDecimal(Trim(text));
  if (!v || !std::isfinite(*v)) return false;
  out = *v;
  return true;
}

bool ReadFlag(const std::string& text, bool& out) {
  const std::string t = ToUpper(Trim(text));
  if (t == "1" || t == "YES" || t == "ON" || t == "TRUE") return out = true, true;
  if (t == "0" || t == "NO" || t == "OFF" || t == "FALSE") return out = false, true;
  return false;
}

bool ReadMHz(const std::string& text, int& khz) {
  double mhz = 0;
  if (!ReadNumber(text, mhz) || mhz < 64 || mhz > 110) return false;
  khz = static_cast<int>(std::lround(mhz * 100)) * 10;
  return true;
}

// Applies one "key = value" line; empty result on success.
std::string Apply(Station& s, const std::string& key, const std::string& value) {
  double d = 0;
  const std::string v = Trim(value);
  if (key == "freq") return ReadMHz(v, s.FrequencyKHz) ? "" : "frequency out of 64..110 MHz";
  if (key == "level") return ReadNumber(v, s.LevelDbuv) ? "" : "level is not a number";
  if (key == "offset") return ReadNumber(v, s.CarrierOffsetKHz) ? "" : "offset is not a number";
  if (key == "pi") {
    const auto h = ReadHex(v);
    if (!h || v.size() != 4) return "pi must be four hex digits";
    s.Pi = static_cast<std::uint16_t>(*h);
    return "";
  }
  if (key == "ps") {
    if (v.size() > 8) return "ps longer than 8 characters";
    s.Ps = PadPs(v);
    return "";
  }
  if (key == "rt") {
    if (v.size() > 64) return "rt longer than 64 characters";
    s.Rt = v;
    return "";
  }
  if (key == "ptyn") {
    if (v.size() > 8) return "ptyn longer than 8 characters";
    s.Ptyn = v.empty() ? "" : PadPs(v);
    return "";
  }
  if (key == "pty" || key == "di" || key == "ct_offset") {
    const auto n = ReadInt32(v);
    if (!n) return key + " is not a whole number";
    if (key == "pty") {
      if (*n < 0 || *n > 31) return "pty out of 0..31";
      s.Pty = *n;
    } else if (key == "di") {
      if (*n < 0 || *n > 15) return "di out of 0..15";
      s.Di = *n;
    } else {
      if (*n < -31 || *n > 31) return "ct_offset out of -31..31";
      s.CtOffsetHalfHours = *n;
    }
    return "";
  }
  if (key == "tp") return ReadFlag(v, s.Tp) ? "" : "tp must be 0 or 1";
  if (key == "ta") return ReadFlag(v, s.Ta) ? "" : "ta must be 0 or 1";
  if (key == "ct") return ReadFlag(v, s.SendsCt) ? "" : "ct must be yes or no";
  if (key == "ms") {
    const std::string t = ToUpper(v);
    if (t == "MUSIC" || t == "1") s.Music = true;
    else if (t == "SPEECH" || t == "0") s.Music = false;
    else return "ms must be music or speech";
    return "";
  }
  if (key == "ecc") {
    const auto h = ReadHex(v);
    if (!h || *h > 0xFF) return "ecc must be two hex digits";
    s.Ecc = static_cast<int>(*h);
    return "";
  }
  if (key == "af") {
    s.AfKHz.clear();
    std::stringstream in(v);
    std::string item;
    while (std::getline(in, item, ',')) {
      int khz = 0;
      if (!ReadMHz(item, khz) || khz < 87600 || khz > 107900) return "af frequency out of 87.6..107.9 MHz";
      s.AfKHz.push_back(khz);
    }
    if (s.AfKHz.size() > 25) return "more than 25 af frequencies";
    return "";
  }
  if (key == "eon") {
    const auto h = ReadHex(v.substr(0, 4));
    if (v.size() < 4 || !h || (v.size() > 4 && v[4] != ' ')) return "eon must be 'PI PS'";
    const std::string ps = v.size() > 5 ? v.substr(5) : "";
    if (ps.size() > 8) return "eon ps longer than 8 characters";
    s.Eon.push_back({static_cast<std::uint16_t>(*h), PadPs(ps)});
    return "";
  }
  if (key == "pilot" || key == "rds" || key == "rds_phase" || key == "peak" || key == "power" ||
      key == "correlation") {
    if (!ReadNumber(v, d)) return key + " is not a number";
    if (key == "pilot") s.PilotKHz = d;
    else if (key == "rds") s.RdsKHz = d;
    else if (key == "rds_phase") s.RdsPhaseDeg = std::fmod(std::fmod(d, 360) + 360, 360);
    else if (key == "peak") s.PeakKHz = d;
    else if (key == "power") s.PowerDbr = d;
    else s.Correlation = d;
    if ((key == "pilot" || key == "rds") && (d < 0 || d > 20)) return key + " out of 0..20 kHz";
    if (key == "peak" && (d < 10 || d > 110)) return "peak out of 10..110 kHz";
    if (key == "power" && (d < -30 || d > 15)) return "power out of -30..15 dBr";
    if (key == "correlation" && (d < -1 || d > 1)) return "correlation out of -1..1";
    return "";
  }
  if (key == "audio") {
    std::stringstream in(v);
    std::string kind, left, right;
    in >> kind >> left >> right;
    if (kind == "noise") {
      s.Audio = AudioKind::Noise;
      return "";
    }
    double l = 0, r = 0;
    if (kind == "tones" && ReadNumber(left, l) && ReadNumber(right, r) && l >= 0 && r >= 0 &&
        l <= 15000 && r <= 15000) {
      s.Audio = AudioKind::Tones;
      s.ToneLeftHz = l;
      s.ToneRightHz = r;
      return "";
    }
    return "audio must be 'noise' or 'tones LEFT_HZ RIGHT_HZ' (0..15000)";
  }
  return "unknown key '" + key + "'";
}

}  // namespace

WorldLoad ParseWorld(const std::string& text) {
  World w;
  std::stringstream in(text);
  std::string line;
  int number = 0;
  Station* current = nullptr;
  auto fail = [&](const std::string& why) {
    return WorldLoad{std::nullopt, "line " + std::to_string(number) + ": " + why};
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Everything after "#" is a comment.
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const std::string t = Trim(line);
    if (t.empty()) continue;
    if (t == "[station]") {
      w.Stations.emplace_back();
      current = &w.Stations.back();
      current->Ps = PadPs("");
      continue;
    }
    const auto eq = t.find('=');
    if (eq == std::string::npos) return fail("expected 'key = value' or [station]");
    if (!current) return fail("value before the first [station]");
    const std::string error = Apply(*current, Trim(t.substr(0, eq)), t.substr(eq + 1));
    if (!error.empty()) return fail(error);
  }
  for (std::size_t i = 0; i < w.Stations.size(); ++i)
    if (w.Stations[i].FrequencyKHz == 0)
      return WorldLoad{std::nullopt, "station " + std::to_string(i + 1) + " has no freq"};
  return WorldLoad{std::move(w), ""};
}

WorldLoad LoadWorld(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return WorldLoad{std::nullopt, "cannot read " + path};
  std::stringstream text;
  text << file.rdbuf();
  return ParseWorld(text.str());
}

}  // namespace sondaro::sim
