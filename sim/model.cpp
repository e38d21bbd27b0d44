#include "sim/model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/random.h"

namespace sondaro::sim {

namespace {

std::string Format(const char* fmt, auto... args) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// Selectivity of the IF filter: attenuation in dB at a distance in kHz.
double AttenuationDb(double deltaKHz) {
  static constexpr std::pair<double, double> kCurve[] = {
      {0, 0}, {40, 0}, {100, 28}, {200, 55}, {300, 70}, {400, 80}};
  const double d = std::fabs(deltaKHz);
  for (std::size_t i = 1; i < std::size(kCurve); ++i) {
    if (d <= kCurve[i].first) {
      const auto [x0, y0] = kCurve[i - 1];
      const auto [x1, y1] = kCurve[i];
      return y0 + (y1 - y0) * (d - x0) / (x1 - x0);
    }
  }
  return 80;
}

double PowerSum(double a, double bDb) { return a + std::pow(10.0, bDb / 10.0); }

// How long the synthesiser needs to settle: longer for bigger jumps, so a
// tune across the band is still reporting the old frequency for a while.
Millis SettleMs(int fromKHz, int toKHz) { return 20 + std::abs(toKHz - fromKHz) / 100; }

// Query reply delays: the time the analyzer takes to measure before it
// starts sending. Sending itself runs at the line rate.
Millis ReplyDelay(char letter) {
  switch (letter) {
    case 'F': return 3;
    case 'G': return 5;
    case 'I': return 12;
    case 'Q':
    case 'U': return 20;
    case 'L':
    case 'R':
    case 'E': return 40;
    case 'H': return 60;
    case 'T': return 80;
    case 'D': return 150;
    case 'W': return 8;
    case 'B': return 400;
    default: return 10;
  }
}

// The test signals stored in the analyzer's internal files.
Station InternalFile(int n) {
  Station s;
  s.FrequencyKHz = 0;
  s.Audio = AudioKind::Tones;
  s.PilotKHz = 6.75;
  s.RdsKHz = 0;
  s.PeakKHz = 75;
  s.PowerDbr = 0;
  switch (n % 3) {
    case 1: s.ToneLeftHz = 1000, s.ToneRightHz = 0; break;   // left only
    case 2: s.ToneLeftHz = 0, s.ToneRightHz = 1000; break;   // right only
    default: s.ToneLeftHz = 1000, s.ToneRightHz = 3000; break;
  }
  return s;
}

}  // namespace

Model::Model(World world, SimOptions options, std::optional<RdsLog> log, Millis wallAtZero,
             Millis startAt)
    : world_(std::move(world)),
      options_(std::move(options)),
      rdsLog_(std::move(log)),
      wallAtZero_(wallAtZero),
      histogramFrom_(startAt) {
  // Power-on alarm configuration (limits in kHz, Hz / 100, times in 10 s).
  alarm_ = {25, 88, 78, 78, 58, 77, 0, 85, 3, 6, 6, 6, 1, 0};
  if (rdsLog_ && !world_.Stations.empty()) {
    logStation_ = 0;
    for (std::size_t i = 0; i < world_.Stations.size(); ++i)
      if (world_.Stations[i].FrequencyKHz == options_.RdsLogKHz) logStation_ = static_cast<int>(i);
  }
  tunedKHz_ = world_.Stations.empty() ? 87500 : world_.Stations.front().FrequencyKHz;
}

Millis Model::GroupTime(std::int64_t k) const {
  return static_cast<Millis>(std::llround(static_cast<double>(k) * 1000.0 / kGroupsPerSecond));
}

namespace {
std::int64_t FirstGroupFrom(Millis t) {
  return static_cast<std::int64_t>(std::ceil(static_cast<double>(t) * kGroupsPerSecond / 1000.0));
}
}  // namespace

Reception Model::ReceptionAt(int tunedKHz) const {
  Reception r;
  double total = std::pow(10.0, kNoiseFloorDbuv / 10.0);
  double best = -1e9;
  for (std::size_t i = 0; i < world_.Stations.size(); ++i) {
    const Station& s = world_.Stations[i];
    const double delta = s.FrequencyKHz + s.CarrierOffsetKHz - tunedKHz;
    if (std::fabs(delta) > 400) continue;
    const double eff = s.LevelDbuv - AttenuationDb(delta);
    total = PowerSum(total, eff);
    if (eff > best) {
      best = eff;
      r.Carrier = &s;
      r.StationIndex = static_cast<int>(i);
      r.DeltaKHz = delta;
    }
  }
  r.LevelDbuv = 10.0 * std::log10(total);
  if (r.Carrier) {
    const double others = total - std::pow(10.0, best / 10.0);
    r.SnrDb = best - 10.0 * std::log10(std::max(others, 1e-12));
    // A carrier buried in the noise is no carrier.
    if (r.SnrDb < 3) {
      r.Carrier = nullptr;
      r.StationIndex = -1;
      r.DeltaKHz = 0;
    }
  }
  if (!r.Carrier) r.SnrDb = -10;
  return r;
}

double Model::Jitter(Millis now, std::uint64_t what) const {
  return UnitOf(Key(options_.Seed, static_cast<std::uint64_t>(now), what)) - 0.5;
}

int Model::RawLevel(double dbuv) const {
  // The M40's level figure against the antenna level; it runs into its
  // ceiling around 3 mV.
  static constexpr std::pair<double, double> kCurve[] = {
      {-10, -600}, {0, -560}, {10, -290}, {20, -22}, {30, -2},
      {40, 7},     {50, 60},  {60, 66},   {70, 69},  {80, 72}};
  if (dbuv <= kCurve[0].first) return -600;
  for (std::size_t i = 1; i < std::size(kCurve); ++i) {
    if (dbuv <= kCurve[i].first) {
      const auto [x0, y0] = kCurve[i - 1];
      const auto [x1, y1] = kCurve[i];
      return static_cast<int>(std::lround(y0 + (y1 - y0) * (dbuv - x0) / (x1 - x0)));
    }
  }
  return 72;
}

const Station* Model::Programme(Reception& r, Station& scratch) const {
  if (mode_ == Mode::Stereo && loadedFile_ > 0) {
    scratch = InternalFile(loadedFile_);
    r.SnrDb = 60;
    r.DeltaKHz = 0;
    return &scratch;
  }
  return r.OnCarrier() ? r.Carrier : nullptr;
}

// ---------------------------------------------------------------- input

void Model::Receive(Millis now, std::string_view bytes) {
  Advance(now);
  for (const Command& c : stream_.Feed(bytes)) {
    commands_.emplace_back(now, c);
    Execute(now, c);
  }
}

void Model::Execute(Millis now, const Command& c) {
  if (c.Kind == '?') {
    const bool ok = c.Argument.empty() ? std::string_view("FQLREIUGHDTWBS").find(c.Letter) !=
                                             std::string_view::npos
                    : c.Letter == 'W'  ? (c.Argument == "1" || c.Argument == "2")
                                       : c.Letter == 'h';
    if (!ok) return;
    // M40 has no alarm memory to show.
    if (c.Letter == 'h' && options_.Device == DeviceModel::M40) return;
    // Commands are worked off one after the other: a query that follows a
    // tune order is answered once the receiver has settled, and replies keep
    // their order.
    Millis due = now + ReplyDelay(c.Letter);
    if (tuning_) due = std::max(due, tuning_->first + ReplyDelay(c.Letter));
    if (!pending_.empty()) due = std::max(due, pending_.back().Due);
    pending_.push_back({due, c});
    return;
  }
  switch (c.Letter) {
    case 'E': mode_ = Mode::Measuring; break;
    case 'D': mode_ = Mode::Rds; break;
    case 'B': mode_ = Mode::Stereo; nextBalance_ = now + 1000; break;
    case 'M': if (!nextMax_) nextMax_ = now + 500; break;
    case 'm': nextMax_.reset(); break;
    case 'P': if (!nextPm_) nextPm_ = now + 1000; break;
    case 'p': nextPm_.reset(); break;
    case 'R':
      if (!nextRawGroup_) nextRawGroup_ = FirstGroupFrom(now + 1);
      break;
    case 'r': nextRawGroup_.reset(); break;
    case 'C':
      histogram_.fill(0);
      histogramFrom_ = now;
      histogramSamples_ = 0;
      maxHoldKHz_ = 0;
      break;
    case 'S':
      savedSettings_ = FrequencyBody();
      break;
    case 'L':
      if (c.Argument.size() == 2) {
        const int n = std::stoi(c.Argument);
        if (n >= 1 && n <= 30) loadedFile_ = n;
      }
      break;
    case 'F': {
      if (c.Argument.size() != 6) break;
      const int khz = (std::stoi(c.Argument) + 5) / 10 * 10;
      if (khz < 87500 || khz > 108000) break;
      const int from = tuning_ ? tuning_->second : tunedKHz_;
      tuning_ = std::make_pair(now + SettleMs(from, khz), khz);
      break;
    }
    case 'X':
      if (c.Argument.rfind("DIP", 0) == 0) {
        const int n = c.Argument[3] - '0', v = c.Argument[5] - '0';
        if (n >= 0 && n <= 4 && (v == 0 || v == 1)) dip_[static_cast<std::size_t>(n)] = v;
      } else if (c.Argument.rfind("AR", 0) == 0 && options_.Device == DeviceModel::M140) {
        const int field = c.Argument[2] - 'A';
        if (field >= 0 && field <= 12)
          alarm_[static_cast<std::size_t>(field)] =
              static_cast<std::uint8_t>(std::stoi(c.Argument.substr(4, 2)));
      }
      break;
    default:
      break;  // unknown orders are ignored
  }
}

// ----------------------------------------------------------------- time

std::optional<Millis> Model::NextEvent() const {
  std::optional<Millis> t;
  auto consider = [&](std::optional<Millis> x) {
    if (x && (!t || *x < *t)) t = x;
  };
  if (tuning_) consider(tuning_->first);
  if (!pending_.empty()) consider(pending_.front().Due);
  consider(nextMax_);
  consider(nextPm_);
  if (mode_ == Mode::Stereo) consider(nextBalance_);
  if (nextRawGroup_) consider(GroupTime(*nextRawGroup_));
  return t;
}

void Model::Advance(Millis now) {
  for (int guard = 0; guard < 1'000'000; ++guard) {
    const auto t = NextEvent();
    if (!t || *t > now) break;
    const Millis at = *t;
    if (tuning_ && tuning_->first == at) {
      SettleTuning(at);
    } else if (!pending_.empty() && pending_.front().Due == at) {
      const Command c = pending_.front().Cmd;
      pending_.pop_front();
      Reply(at, c);
    } else {
      RunStreams(at);
    }
  }
  now_ = std::max(now_, now);
}

void Model::SettleTuning(Millis now) {
  AccumulateHistogram(now);  // what was heard so far belongs to the old station
  tunedKHz_ = tuning_->second;
  tuning_.reset();
  tunedAt_ = now;
  decoder_.Reset();
  nextDecodeGroup_ = FirstGroupFrom(now);
}

void Model::RunStreams(Millis now) {
  if (nextMax_ && *nextMax_ == now) {
    nextMax_ = now + 500;
    const std::string max = MaxBody(now);
    // The peak readout belongs to the measuring screen.
    if (mode_ == Mode::Measuring) {
      Section(now, "MAX", max);
      Section(now, "MAX Hold", Format("%5.1f kHz", maxHoldKHz_));
    }
  }
  if (nextPm_ && *nextPm_ == now) {
    nextPm_ = now + 1000;
    Reception r = CurrentReception();
    Station scratch;
    const Station* s = Programme(r, scratch);
    double ms = 0;
    if (s) ms = kPowerRefKHz2 * std::pow(10.0, ModulationPowerDbr(*s, options_.Seed, (now - 1000) / 1000.0) / 10.0);
    const double noise = std::min(50.0, 40.0 * std::pow(10.0, -r.SnrDb / 20.0));
    const double dbr = std::clamp(10.0 * std::log10((ms + noise * noise) / kPowerRefKHz2), -99.9, 99.9);
    Section(now, "Pm", Format("%5.1f dBr", dbr));
  }
  if (mode_ == Mode::Stereo && nextBalance_ && *nextBalance_ == now) {
    nextBalance_ = now + 1000;
    Section(now, "R/L", BalanceBody(now));
  }
  if (nextRawGroup_ && GroupTime(*nextRawGroup_) == now) {
    const std::int64_t k = (*nextRawGroup_)++;
    if (!tuning_)
      if (const auto g = ReceivedGroup(k)) Section(now, "G", GroupText(*g));
  }
}

// ----------------------------------------------------------------- line

void Model::Section(Millis now, std::string_view header, std::string_view body) {
  std::string bytes;
  bytes.reserve(header.size() + body.size() + 8);
  bytes.append(header).append(":\r\n");
  if (body.empty()) bytes.append("\r\n");
  else bytes.append(body).append("\r\n\r\n");
  std::size_t backlog = 0;
  for (const auto& seg : tx_) backlog += seg.Bytes.size() - seg.Sent;
  // The transmit buffer is finite; a flooded analyzer drops whole replies.
  if (backlog + bytes.size() > kTxBacklogLimit) return;
  const double start = std::max(static_cast<double>(now), txFreeAt_);
  txFreeAt_ = start + static_cast<double>(bytes.size()) / kBytesPerMs;
  tx_.push_back({start, std::move(bytes)});
}

std::string Model::TakeOutput(Millis now) {
  Advance(now);
  std::string out;
  while (!tx_.empty()) {
    TxSegment& seg = tx_.front();
    const double elapsed = static_cast<double>(now) - seg.Start;
    if (elapsed <= 0) break;
    const auto done = std::min(seg.Bytes.size(),
                               static_cast<std::size_t>(elapsed * kBytesPerMs + 1e-9));
    if (done > seg.Sent) out.append(seg.Bytes, seg.Sent, done - seg.Sent);
    seg.Sent = std::max(seg.Sent, done);
    if (seg.Sent < seg.Bytes.size()) break;
    tx_.pop_front();
  }
  return out;
}

// ------------------------------------------------------------- measuring

void Model::AccumulateHistogram(Millis now) {
  const std::int64_t due = (now - histogramFrom_) * 20 / 1000;
  const std::int64_t missing = due - histogramSamples_;
  if (missing <= 0) return;
  Reception r = CurrentReception();
  Station scratch;
  const Station* s = Programme(r, scratch);
  const double noise = std::min(50.0, 40.0 * std::pow(10.0, -r.SnrDb / 20.0));
  // Very long gaps are sampled sparsely and the counts spread out.
  const std::int64_t drawn = std::min<std::int64_t>(missing, 20000);
  Rng rng(Key(Key(options_.Seed, 0x48), static_cast<std::uint64_t>(histogramFrom_),
              static_cast<std::uint64_t>(histogramSamples_)));
  const Millis first = histogramFrom_ + histogramSamples_ * 50;
  for (std::int64_t j = 0; j < drawn; ++j) {
    const Millis t = first + (j * missing / drawn) * 50;
    // A sample is the peak the detector held over its 50 ms, taken as
    // densely as the peak readout takes it, of pilot, RDS and programme.
    Modulation m;
    if (s) m = ModulationOf(*s, LoudnessDb(*s, options_.Seed, t / 1000.0));
    double dev = 0;
    for (int k = 0; k < kDrawsPerSample; ++k)
      dev = std::max(dev, std::fabs((s ? DrawDeviation(m, rng) : 0.0) + noise * rng.Gauss()));
    const auto bin = static_cast<std::size_t>(std::min(121.0, std::floor(dev)));
    histogram_[bin] += (j + 1) * missing / drawn - j * missing / drawn;
  }
  histogramSamples_ = due;
}

std::string Model::MaxBody(Millis now) {
  Reception r = CurrentReception();
  Station scratch;
  const Station* s = Programme(r, scratch);
  const double noise = std::min(50.0, 40.0 * std::pow(10.0, -r.SnrDb / 20.0));
  Rng rng(Key(options_.Seed, 0x4D, static_cast<std::uint64_t>(now)));
  double peak = 0;
  for (int i = 0; i < 400; ++i) {
    double dev = 0;
    if (s) {
      const double t = (now - 500 + 500.0 * i / 400) / 1000.0;
      dev = DrawDeviation(ModulationOf(*s, LoudnessDb(*s, options_.Seed, t)), rng);
    }
    peak = std::max(peak, std::fabs(dev + noise * rng.Gauss()));
  }
  peak = std::min(peak, 199.9);
  maxHoldKHz_ = std::max(maxHoldKHz_, peak);
  return Format("%5.1f kHz", peak);
}

double Model::MeasuredIfKHz(const Reception& r) const {
  double khz = kIfCentreKHz;
  if (r.OnCarrier()) khz += r.DeltaKHz;
  // The M40's local oscillator runs off as it tunes up the band; programs
  // correct its carrier offsets by (f - 87.5 MHz) / 3.7 kHz.
  if (options_.Device == DeviceModel::M40) khz -= (tunedKHz_ - 87500) / 1000.0 / 3.7;
  return khz;
}

std::string Model::FrequencyBody() const {
  return Format("%3d.%02d MHz", tunedKHz_ / 1000, tunedKHz_ % 1000 / 10);
}

std::string Model::LevelBody(const Reception& r) const {
  if (options_.Device == DeviceModel::M140)
    return Format("%4ld dBuV", std::lround(r.LevelDbuv));
  return Format("%5d", RawLevel(r.LevelDbuv));
}

std::string Model::FastSignalInfoBody(Millis now) const {
  const Reception r = CurrentReception();
  const double level = r.LevelDbuv + 1.6 * Jitter(now, 1);
  int levelField = 0;
  if (options_.Device == DeviceModel::M140) {
    levelField = static_cast<int>(std::lround(level));
  } else {
    // The M40 sends its level as an unsigned 16-bit figure.
    const int raw = RawLevel(level);
    levelField = raw < 0 ? raw + 65536 : raw;
  }
  int offset = 0, noise = 0;
  if (r.Carrier) {
    // The IF counter follows the strongest signal in the passband and runs
    // out of range a little beyond the neighbouring channels.
    const double d = r.DeltaKHz;
    const double shown = std::fabs(d) <= 100 ? d : std::copysign(100 + (std::fabs(d) - 100) * 0.3, d);
    offset = static_cast<int>(std::lround(325 + shown + 4 * Jitter(now, 2)));
    noise = static_cast<int>(std::lround(30 + 3 * std::max(0.0, 50 - r.SnrDb) +
                                         1.5 * std::min(std::fabs(d), 300.0) + 8 * (Jitter(now, 3) + 0.5)));
  } else {
    const double u = Jitter(now, 2) + 0.5;
    offset = u < 0.05 ? 0 : static_cast<int>(150 + 350 * u);
    noise = static_cast<int>(420 + 80 * (Jitter(now, 3) + 0.5));
  }
  return Format("%5d  %5d  %5d", levelField, offset, std::min(noise, 999));
}

std::string Model::HistogramBody() const {
  std::string body;
  body.reserve(122 * 14);
  for (std::size_t i = 0; i < histogram_.size(); ++i) {
    if (i) body += "\r\n";
    body += Format("%3d kHz%5lld", static_cast<int>(i),
                   static_cast<long long>(std::min<std::int64_t>(histogram_[i], 99999)));
  }
  return body;
}

Group Model::SentGroup(int stationIndex, std::int64_t k) const {
  if (stationIndex == logStation_ && rdsLog_) {
    const auto n = static_cast<std::int64_t>(rdsLog_->Groups.size());
    return rdsLog_->Groups[static_cast<std::size_t>(((k % n) + n) % n)];
  }
  return StationGroup(world_.Stations[static_cast<std::size_t>(stationIndex)], k,
                      wallAtZero_ + GroupTime(k));
}

std::optional<Group> Model::ReceivedGroup(std::int64_t k) const {
  const Reception r = CurrentReception();
  if (!r.OnCarrier()) return std::nullopt;
  const Station& s = *r.Carrier;
  if (!s.HasRds() && r.StationIndex != logStation_) return std::nullopt;
  Group g = SentGroup(r.StationIndex, k);
  // Blocks are lost more often as the carrier or the RDS level drops.
  const double margin = r.SnrDb + 20.0 * std::log10(std::max(s.RdsKHz, 0.5) / 3.5);
  const double loss = 1.0 / (1.0 + std::exp((margin - 20.0) / 3.0));
  for (int i = 0; i < 4; ++i)
    if (UnitOf(Key(options_.Seed, static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(i))) < loss)
      g.Missing |= static_cast<std::uint8_t>(1 << i);
  if (g.Missing == 15) return std::nullopt;  // no sync, nothing to report
  return g;
}

void Model::CatchUpRds(Millis now) {
  if (tuning_) return;
  // Days without a query: the decoder has long seen everything; skip ahead.
  const std::int64_t last = FirstGroupFrom(now + 1);
  nextDecodeGroup_ = std::max(nextDecodeGroup_, last - 2'000'000);
  for (; GroupTime(nextDecodeGroup_) <= now; ++nextDecodeGroup_)
    if (const auto g = ReceivedGroup(nextDecodeGroup_)) decoder_.Feed(*g);
}

std::string Model::CaptureBody(Millis now, bool dbl) {
  Reception r = CurrentReception();
  Station scratch;
  const Station* s = Programme(r, scratch);
  CaptureInput in;
  Modulation m;
  if (s) {
    m = ModulationOf(*s, LoudnessDb(*s, options_.Seed, now / 1000.0));
    in.Mpx = &m;
  }
  in.IfKHz = MeasuredIfKHz(r);
  in.SnrDb = r.SnrDb;
  in.Double = dbl;
  in.Seed = Key(options_.Seed, 0x57, captures_++);
  // RDS symbols of the station's group stream at this moment, differentially
  // coded from the first one on.
  const double bitPos = static_cast<double>(now) / 1000.0 * kRdsBitRate;
  const auto firstBit = static_cast<std::int64_t>(bitPos);
  in.RdsFirstSymbolS = (bitPos - static_cast<double>(firstBit)) / kRdsBitRate;
  if (s && r.StationIndex >= 0 && s == r.Carrier) {
    int level = 0;
    static constexpr Offset kOffsets[] = {Offset::A, Offset::B, Offset::C, Offset::D};
    for (std::size_t j = 0; j < in.RdsSymbols.size(); ++j) {
      const std::int64_t bit = firstBit + static_cast<std::int64_t>(j);
      const Group g = SentGroup(r.StationIndex, bit / 104);
      const int inGroup = static_cast<int>(bit % 104);
      const std::uint32_t block = EncodeBlock(g.Blocks[static_cast<std::size_t>(inGroup / 26)],
                                              kOffsets[inGroup / 26]);
      level ^= static_cast<int>((block >> (25 - inGroup % 26)) & 1);
      in.RdsSymbols[j] = level ? 1 : -1;
    }
  } else {
    for (std::size_t j = 0; j < in.RdsSymbols.size(); ++j)
      in.RdsSymbols[j] = UnitOf(Key(options_.Seed, static_cast<std::uint64_t>(firstBit) + j)) < 0.5 ? -1 : 1;
  }
  const auto counts = SynthesiseCapture(in);
  return std::string(counts.begin(), counts.end());
}

std::string Model::BalanceBody(Millis now) const {
  Reception r = CurrentReception();
  Station scratch;
  const Station* s = Programme(r, scratch);
  double db = 0;
  if (s && s->Audio == AudioKind::Tones) {
    if (s->ToneLeftHz > 0 && s->ToneRightHz <= 0) db = 40;
    else if (s->ToneRightHz > 0 && s->ToneLeftHz <= 0) db = -40;
  } else if (s) {
    db = 0.6 * Jitter(now, 7);
  }
  return Format("%+5.1f dB", db);
}

void Model::Reply(Millis now, const Command& c) {
  const Reception r = CurrentReception();
  switch (c.Letter) {
    case 'F':
      Section(now, "Frequency", FrequencyBody());
      break;
    case 'I':
      Section(now, "IF", Format("%6.2f kHz", MeasuredIfKHz(r) + 0.04 * Jitter(now, 4)));
      break;
    case 'U':
      Section(now, "Level", LevelBody(r));
      break;
    case 'Q': {
      int q = 0;
      if (r.OnCarrier()) {
        const double level = r.Carrier->LevelDbuv;
        q = level >= 60 ? 5 : level >= 48 ? 4 : level >= 36 ? 3 : level >= 24 ? 2 : level >= 12 ? 1 : 0;
        if (r.SnrDb < 10) q = std::min(q, 1);
        else if (r.SnrDb < 20) q = std::min(q, 2);
      }
      Section(now, "Signal Quality", Format("%5d", q));
      break;
    }
    case 'L':
    case 'R': {
      double khz = 0;
      if (r.OnCarrier()) {
        khz = c.Letter == 'L' ? r.Carrier->PilotKHz : (r.Carrier->HasRds() ? r.Carrier->RdsKHz : 0);
        if (khz > 0) khz += 0.1 * Jitter(now, c.Letter);
      }
      Section(now, c.Letter == 'L' ? "Pilot" : "RDS", Format("%6.1f kHz", std::max(0.0, khz)));
      break;
    }
    case 'E':
      if (r.OnCarrier() && r.Carrier->PilotKHz > 0 && r.Carrier->HasRds()) {
        const double deg = r.Carrier->RdsPhaseDeg + 4 * Jitter(now, 5);
        const long n = (std::lround(deg) % 360 + 360) % 360;
        Section(now, "RDS Phase Difference", Format("%5ld deg", n));
      } else {
        Section(now, "RDS Phase Difference", "  --- deg");
      }
      break;
    case 'G':
      Section(now, "Fast Signal Info", FastSignalInfoBody(now));
      break;
    case 'H':
      AccumulateHistogram(now);
      Section(now, "Histogram Data", HistogramBody());
      break;
    case 'D':
      CatchUpRds(now);
      for (const auto& [header, body] : decoder_.DataSections()) Section(now, header, body);
      break;
    case 'T':
      CatchUpRds(now);
      Section(now, "RDS Group Statistics", decoder_.StatisticsBody());
      break;
    case 'W':
      Section(now, "W", CaptureBody(now, c.Argument == "2"));
      break;
    case 'h': {
      // Only the alarm configuration lives at 4CE; other addresses read as
      // erased memory.
      const unsigned long addr = std::stoul(c.Argument.substr(0, 3), nullptr, 16);
      const unsigned long count = std::stoul(c.Argument.substr(4, 3), nullptr, 16);
      std::string hex;
      for (unsigned long i = 0; i < std::min(count, 64ul); ++i) {
        const unsigned long a = addr + i;
        const int byte = (a >= 0x4CE && a < 0x4CE + alarm_.size()) ? alarm_[a - 0x4CE] : 0xFF;
        hex += Format("%02X", byte);
      }
      Section(now, "HEX", c.Argument + ": " + hex);
      break;
    }
    case 'B': {
      std::string body;
      for (int ch = 0; ch < 206; ++ch) {
        const int khz = 87500 + 100 * ch;
        const double level = ReceptionAt(khz).LevelDbuv;
        const int figure = options_.Device == DeviceModel::M140 ? static_cast<int>(std::lround(level))
                                                                : RawLevel(level);
        if (ch) body += "\r\n";
        body += Format("%3d.%d %5d", khz / 1000, khz % 1000 / 100, figure);
      }
      Section(now, "Bandscan Data", body);
      break;
    }
    case 'S': {
      static constexpr const char* kModes[] = {"Measuring", "RDS", "Stereo"};
      std::string dip;
      for (int v : dip_) dip += static_cast<char>('0' + v);
      Section(now, "Status",
              std::string(options_.Device == DeviceModel::M140 ? "M140" : "M40") +
                  "\r\nTuned " + FrequencyBody() + "\r\nMode " + kModes[static_cast<int>(mode_)] +
                  "\r\nDIP " + dip);
      break;
    }
    default:
      break;
  }
}

}  // namespace sondaro::sim
