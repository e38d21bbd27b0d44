#include "sim/rds.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/text.h"

namespace sondaro::sim {

std::string GroupText(const Group& g) {
  std::string out;
  char buf[8];
  for (int i = 0; i < 4; ++i) {
    if (g.Missing & (1 << i)) {
      out += "----";
    } else {
      std::snprintf(buf, sizeof buf, "%04X", g.Blocks[i]);
      out += buf;
    }
  }
  return out;
}

std::uint32_t EncodeBlock(std::uint16_t info, Offset offset) {
  // Checkword: info * x^10 mod x^10+x^8+x^7+x^5+x^4+x^3+1, plus the offset word.
  constexpr std::uint32_t kPoly = 0x5B9;
  std::uint32_t reg = static_cast<std::uint32_t>(info) << 10;
  for (int bit = 25; bit >= 10; --bit)
    if (reg & (1u << bit)) reg ^= kPoly << (bit - 10);
  static constexpr std::uint32_t kOffsets[] = {0x0FC, 0x198, 0x168, 0x350, 0x1B4};
  const std::uint32_t check = (reg & 0x3FF) ^ kOffsets[static_cast<int>(offset)];
  return (static_cast<std::uint32_t>(info) << 10) | check;
}

namespace {

std::uint16_t Chars(const std::string& text, std::size_t i) {
  auto at = [&](std::size_t j) -> std::uint8_t {
    return j < text.size() ? static_cast<std::uint8_t>(text[j]) : ' ';
  };
  return static_cast<std::uint16_t>(at(i) << 8 | at(i + 1));
}

std::uint16_t BlockB(const Station& s, int type, int low5) {
  return static_cast<std::uint16_t>(type << 12 | (s.Tp ? 1 : 0) << 10 | (s.Pty & 31) << 5 |
                                    (low5 & 31));
}

// RadioText with its end marker, as a whole number of 4-character segments.
std::string RtSegments(const Station& s) {
  std::string rt = s.Rt.substr(0, 64);
  if (rt.size() < 64) rt += '\r';
  rt.resize((rt.size() + 3) / 4 * 4, ' ');
  return rt;
}

Group Group0A(const Station& s, std::int64_t ordinal) {
  const int seg = static_cast<int>(ordinal % 4);
  const int diBit = (s.Di >> (3 - seg)) & 1;
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 0, (s.Ta ? 1 : 0) << 4 | (s.Music ? 1 : 0) << 3 | diBit << 2 | seg);
  // AF method A: the count code and the first frequency, then pairs.
  std::vector<int> codes;
  if (!s.AfKHz.empty()) {
    codes.push_back(224 + static_cast<int>(s.AfKHz.size()));
    for (int khz : s.AfKHz) codes.push_back((khz - 87500) / 100);
    if (codes.size() % 2) codes.push_back(205);  // filler
    const std::int64_t pairs = static_cast<std::int64_t>(codes.size() / 2);
    const auto p = static_cast<std::size_t>(ordinal % pairs);
    g.Blocks[2] = static_cast<std::uint16_t>(codes[2 * p] << 8 | codes[2 * p + 1]);
  } else {
    g.Blocks[2] = 0xE0CD;  // no AF, filler
  }
  g.Blocks[3] = Chars(s.Ps, static_cast<std::size_t>(2 * seg));
  return g;
}

Group Group2A(const Station& s, std::int64_t ordinal) {
  const std::string rt = RtSegments(s);
  const auto seg = static_cast<int>(ordinal % static_cast<std::int64_t>(rt.size() / 4));
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 2, seg);
  g.Blocks[2] = Chars(rt, static_cast<std::size_t>(4 * seg));
  g.Blocks[3] = Chars(rt, static_cast<std::size_t>(4 * seg + 2));
  return g;
}

Group Group4A(const Station& s, std::int64_t wallMs) {
  // CT carries UTC and the local offset; the analyzer's wall clock is local.
  const std::int64_t utcMin = (wallMs / 60000) - s.CtOffsetHalfHours * 30;
  const std::int64_t day = utcMin >= 0 ? utcMin / 1440 : (utcMin - 1439) / 1440;
  const auto mjd = static_cast<std::uint32_t>(40587 + day);
  const int minuteOfDay = static_cast<int>(utcMin - day * 1440);
  const int hour = minuteOfDay / 60, minute = minuteOfDay % 60;
  const int off = std::abs(s.CtOffsetHalfHours) & 31;
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 4, static_cast<int>(mjd >> 15) & 3);
  g.Blocks[2] = static_cast<std::uint16_t>((mjd & 0x7FFF) << 1 | (hour >> 4));
  g.Blocks[3] = static_cast<std::uint16_t>((hour & 15) << 12 | minute << 6 |
                                           (s.CtOffsetHalfHours < 0 ? 1 : 0) << 5 | off);
  return g;
}

Group Group1A(const Station& s) {
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 1, 0);
  g.Blocks[2] = static_cast<std::uint16_t>(s.Ecc & 0xFF);  // variant 0: ECC
  g.Blocks[3] = 0;
  return g;
}

Group Group10A(const Station& s, std::int64_t ordinal) {
  const int seg = static_cast<int>(ordinal % 2);
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 10, seg);
  g.Blocks[2] = Chars(s.Ptyn, static_cast<std::size_t>(4 * seg));
  g.Blocks[3] = Chars(s.Ptyn, static_cast<std::size_t>(4 * seg + 2));
  return g;
}

Group Group14A(const Station& s, std::int64_t ordinal) {
  const auto& on = s.Eon[static_cast<std::size_t>((ordinal / 4) % static_cast<std::int64_t>(s.Eon.size()))];
  const int variant = static_cast<int>(ordinal % 4);
  Group g;
  g.Blocks[0] = s.Pi;
  g.Blocks[1] = BlockB(s, 14, variant);
  g.Blocks[2] = Chars(on.Ps, static_cast<std::size_t>(2 * variant));
  g.Blocks[3] = on.Pi;
  return g;
}

}  // namespace

Group StationGroup(const Station& s, std::int64_t k, std::int64_t wallMs) {
  if (k < 0) k = -k;
  // CT goes out in the first group of every minute.
  const auto period = static_cast<std::int64_t>(1000.0 / kGroupsPerSecond);
  if (s.SendsCt && wallMs / 60000 != (wallMs - period) / 60000) return Group4A(s, wallMs);
  // A cycle of eight groups: 0A 2A 0A 2A 0A x 0A 2A, where x takes turns
  // between ECC, PTYN, EON and more RadioText.
  const std::int64_t cycle = k / 8;
  const int slot = static_cast<int>(k % 8);
  const bool hasRt = !s.Rt.empty();
  if (slot % 2 == 0) return Group0A(s, cycle * 4 + slot / 2);
  auto rt = [&](int index) {
    return hasRt ? Group2A(s, cycle * 3 + index) : Group0A(s, cycle * 4 + index);
  };
  if (slot == 1) return rt(0);
  if (slot == 3) return rt(1);
  if (slot == 7) return rt(2);
  switch (cycle % 4) {
    case 0:
      if (s.Ecc) return Group1A(s);
      break;
    case 1:
      if (!s.Ptyn.empty()) return Group10A(s, cycle / 4);
      break;
    case 2:
      if (!s.Eon.empty()) return Group14A(s, cycle / 4);
      break;
    default:
      break;
  }
  return rt(static_cast<int>(cycle % 3));
}

RdsLogLoad ParseRdsLog(const std::string& text) {
  RdsLog log;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '<') continue;
    std::stringstream fields(t);
    Group g;
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
      std::string block;
      fields >> block;
      if (block == "----") {
        g.Missing |= static_cast<std::uint8_t>(1 << i);
        continue;
      }
      const auto v = block.size() == 4 ? ReadHex(block) : std::nullopt;
      if (!v) ok = false;
      else g.Blocks[i] = static_cast<std::uint16_t>(*v);
    }
    if (ok) log.Groups.push_back(g);  // other lines are notes; skip them
  }
  if (log.Groups.empty()) return {std::nullopt, "no RDS groups found"};
  return {std::move(log), ""};
}

RdsLogLoad LoadRdsLog(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, "cannot read " + path};
  std::stringstream text;
  text << file.rdbuf();
  return ParseRdsLog(text.str());
}

void RdsDecoder::Feed(const Group& g) {
  const bool a = !(g.Missing & 1), b = !(g.Missing & 2), c = !(g.Missing & 4),
             d = !(g.Missing & 8);
  if (a) pi_ = g.Blocks[0];
  if (!b) return;
  const std::uint16_t B = g.Blocks[1], C = g.Blocks[2], D = g.Blocks[3];
  const int type = g.Type();
  const bool vb = g.VersionB();
  ++counts_[type * 2 + (vb ? 1 : 0)];
  tp_ = (B >> 10) & 1;
  pty_ = (B >> 5) & 31;
  auto put2 = [](auto& dst, std::size_t pos, std::uint16_t w) {
    dst[pos] = static_cast<char>(w >> 8);
    dst[pos + 1] = static_cast<char>(w & 0xFF);
  };
  switch (type) {
    case 0: {
      const int seg = B & 3;
      ta_ = (B >> 4) & 1;
      ms_ = (B >> 3) & 1;
      di_ = (di_ & ~(1 << (3 - seg))) | (((B >> 2) & 1) << (3 - seg));
      diSeen_ |= 1 << seg;
      if (d) {
        put2(ps_, static_cast<std::size_t>(2 * seg), D);
        psSeen_ |= 1 << seg;
      }
      if (!vb && c) {
        for (int code : {C >> 8, C & 0xFF}) {
          if (code < 1 || code > 204) continue;
          const int khz = 87500 + 100 * code;
          if (std::find(af_.begin(), af_.end(), khz) == af_.end() && af_.size() < 25)
            af_.push_back(khz);
        }
      }
      break;
    }
    case 1:
      if (!vb && c && ((C >> 12) & 7) == 0) ecc_ = C & 0xFF;
      break;
    case 2: {
      const int seg = B & 15;
      const int ab = (B >> 4) & 1;
      if (ab != rtAb_) {
        rt_.fill(0);
        rtSeen_ = 0;
        rtAb_ = ab;
      }
      if (!vb) {
        if (c && d) {
          put2(rt_, static_cast<std::size_t>(4 * seg), C);
          put2(rt_, static_cast<std::size_t>(4 * seg + 2), D);
          rtSeen_ |= 1u << seg;
        }
      } else if (d && 2 * seg + 1 < 64) {
        put2(rt_, static_cast<std::size_t>(2 * seg), D);
        rtSeen_ |= 1u << seg;
      }
      break;
    }
    case 4:
      if (!vb && c && d) {
        const int hour = ((C & 1) << 4) | (D >> 12);
        const int minute = (D >> 6) & 63;
        const int off = (D & 31) * ((D & 32) ? -1 : 1);
        if (hour < 24 && minute < 60) {
          const int local = ((hour * 60 + minute + off * 30) % 1440 + 1440) % 1440;
          char buf[16];
          std::snprintf(buf, sizeof buf, " %02d:%02d", local / 60, local % 60);
          ct_ = buf;
        }
      }
      break;
    case 10:
      if (!vb && c && d) {
        const int seg = B & 1;
        put2(ptyn_, static_cast<std::size_t>(4 * seg), C);
        put2(ptyn_, static_cast<std::size_t>(4 * seg + 2), D);
        ptynSeen_ |= 1 << seg;
      }
      break;
    case 14:
      if (!vb && d) {
        auto& on = eon_[D];
        const int variant = B & 15;
        if (variant < 4 && c) {
          put2(on.Ps, static_cast<std::size_t>(2 * variant), C);
          on.Seen |= 1 << variant;
        }
      }
      break;
    default:
      break;
  }
}

namespace {

// A body line must never end in a colon (that would read as a section
// header), and control characters have no place in a text reply.
std::string Printable(std::string text) {
  for (char& ch : text)
    if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
  if (!text.empty() && text.back() == ':') text += ' ';
  return text;
}

std::string RightTrim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> RdsDecoder::DataSections() const {
  std::vector<std::pair<std::string, std::string>> out;
  char buf[32];
  if (psSeen_ == 15) out.emplace_back("PS", Printable("\"" + ps_ + "\""));
  if (pi_) {
    std::snprintf(buf, sizeof buf, "%04X", *pi_);
    out.emplace_back("PI", buf);
  }
  if (pty_) out.emplace_back("PTY", " " + std::to_string(*pty_));
  if (tp_) out.emplace_back("TP", *tp_ ? "1" : "0");
  if (ta_) out.emplace_back("TA", *ta_ ? "1" : "0");
  if (ms_) out.emplace_back("MS", *ms_ ? "Music" : "Speech");
  if (diSeen_ == 15) out.emplace_back("DI", " " + std::to_string(di_));
  if (ct_) out.emplace_back("CT", *ct_);
  if (!af_.empty()) {
    // Pairs arrive in rotation; the list is shown in frequency order.
    std::vector<int> af = af_;
    std::sort(af.begin(), af.end());
    std::string body;
    for (std::size_t i = 0; i < af.size(); ++i) {
      std::snprintf(buf, sizeof buf, "%5.1f MHz", af[i] / 1000.0);
      if (i) body += "\r\n";
      body += buf;
    }
    out.emplace_back("AF", body);
  }
  if (ecc_) {
    std::snprintf(buf, sizeof buf, "%02X", *ecc_);
    out.emplace_back("ECC", buf);
  }
  if (ptynSeen_ == 3) out.emplace_back("PTYN", Printable(ptyn_));
  if (rtSeen_ & 1) {
    std::string rt;
    for (char ch : rt_) {
      if (ch == '\r') break;
      rt += ch ? ch : ' ';
    }
    out.emplace_back("RT", Printable(RightTrim(rt)));
  }
  std::string eon;
  for (const auto& [pi, on] : eon_) {
    std::snprintf(buf, sizeof buf, "%04X ", pi);
    if (!eon.empty()) eon += "\r\n";
    eon += Printable(RightTrim(buf + on.Ps));
  }
  out.emplace_back("EON", eon);
  return out;
}

std::string RdsDecoder::StatisticsBody() const {
  std::string out;
  char buf[32];
  for (int version = 0; version < 2; ++version) {
    for (int type = 0; type < 16; ++type) {
      const std::uint32_t n = std::min<std::uint32_t>(counts_[type * 2 + version], 9999999);
      std::snprintf(buf, sizeof buf, "%2d%c: %7u", type, version ? 'B' : 'A', n);
      if (!out.empty()) out += "\r\n";
      out += buf;
    }
  }
  return out;
}

}  // namespace sondaro::sim
