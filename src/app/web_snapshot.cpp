#include "app/web_snapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "core/text.h"

namespace sondaro {

namespace {

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (const std::string& i : items) out += (out.size() > 1 ? "," : "") + JsonText(i);
  return out + "]";
}

const char* Bool(bool b) { return b ? "true" : "false"; }

// FNV-1a: enough to tell one capture from the next.
struct Fingerprint {
  std::uint64_t Hash = 1469598103934665603ULL;
  void Add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) Hash = (Hash ^ p[i]) * 1099511628211ULL;
  }
  void Add(const std::string& s) { Add(s.data(), s.size()); }
};

}  // namespace

std::string JsonText(std::string_view latin1) {
  const std::string utf8 = Latin1ToUtf8(std::string(latin1));
  std::string out = "\"";
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (ch == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", c);
      out += code;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string WebLiveJson(const App& app) {
  const Readouts& r = app.link.readouts;
  const Connection& c = app.link.connection;
  const auto current = app.tuning.CurrentReadouts(c.LinkUp());
  const std::string link = c.LinkUp()              ? "Connected (" + c.ConnectionType() + ")"
                           : c.DisconnectEnabled() ? "Connecting..."
                                                   : "Disconnected";
  return "{\"frequency\":" + JsonText(Trim(r.Label1)) + ",\"pilot\":" + JsonText(Trim(r.Label15)) +
         ",\"rds\":" + JsonText(Trim(r.Label14)) + ",\"third\":" + JsonText(Trim(r.Label22)) +
         ",\"thirdCaption\":" + JsonText(r.Beveles5Caption) + ",\"signal\":" +
         std::to_string(std::clamp(r.ProgressBar1, 0, 5)) + ",\"current\":" + Bool(current.Live) +
         ",\"mode\":" + JsonText(app.tuning.ModeCaption()) + ",\"link\":" + JsonText(link) + "}";
}

std::string WebRdsJson(const App& app) {
  const RdsData& d = app.rds.data.Data();
  const Millis now = app.ports_.clock.Now();
  auto percent = [&](Millis window) {
    const std::string t = app.rds.bler.Text(now, window);
    return t == "-" ? t : t + " %";
  };
  return "{\"pi\":" + JsonText(d.PI) + ",\"ps\":" + JsonText(d.PS) + ",\"bler10\":" +
         JsonText(percent(BlockErrorRate::kShortWindow)) + ",\"bler60\":" +
         JsonText(percent(BlockErrorRate::kLongWindow)) + ",\"groups\":" +
         std::to_string(app.BuildMonitorSnapshot().RdsGroups) + ",\"lines\":" +
         JsonList(RdsPageLines(d)) + "}";
}

std::string WebBandJson(const App& app) {
  std::string rows = "[";
  for (const TStationList& s : app.bandscan.StationList) {
    rows += (rows.size() > 1 ? "," : "");
    rows += JsonList({ChannelFrequencyText(s.Channel), std::to_string(s.Signal), std::to_string(s.Noise),
                      s.PI, s.PS});
  }
  return "{\"stations\":" + rows + "]}";
}

std::string WebChartsJson(const App& app) {
  auto acquired = [](const std::string& t) { return t.empty() ? t : "Acquired: " + t; };
  const std::string power = Trim(app.power.LastValueText);
  const bool stream = app.mpx.StreamRunning();
  const std::pair<std::string, const char*> charts[] = {
      {acquired(app.deviation.AcquiredText), "null"},
      {power == Trim(ModulationPower::kClearedLastValue) ? std::string() : power, "null"},
      {acquired(app.mpx.MpxCaptureTime), Bool(stream)},
      {acquired(app.mpx.rf.RfCaptureTime), Bool(stream && !app.mpx.DoubleTimeBase())},
      {acquired(app.bandscan.BandscanAcquiredText), Bool(app.bandscan.Running())},
  };
  std::string out = "[";
  for (const auto& [caption, running] : charts)
    out += std::string(out.size() > 1 ? "," : "") + "{\"caption\":" + JsonText(caption) +
           ",\"running\":" + running + "}";
  return out + "]";
}

std::uint64_t WebChartStamp(const App& app, ChartTag tag) {
  Fingerprint f;
  const MpxCapture& x = app.mpx.capture;
  switch (tag) {
    case ChartTag::MPX:
      f.Add(x.SpectrumHistory[0].data(), sizeof x.SpectrumHistory[0]);
      f.Add(x.TimebaseHistory[0].data(), sizeof x.TimebaseHistory[0]);
      f.Add(app.mpx.MpxCaptureTime);
      break;
    case ChartTag::RF:
      f.Add(app.mpx.rf.CarrierSpectrum.data(), sizeof app.mpx.rf.CarrierSpectrum);
      f.Add(app.mpx.rf.RfCaptureTime);
      break;
    default:
      break;  // the others ask for a repaint whenever they change
  }
  return f.Hash;
}

void WebLog::Add(const std::string& time, const std::string& text) {
  if (text.empty() || text == last_) return;
  last_ = text;
  lines_.push_back(time + "  " + text);
  if (lines_.size() > kLines) lines_.pop_front();
}

std::string WebLog::Json() const {
  return "{\"lines\":" + JsonList({lines_.begin(), lines_.end()}) + "}";
}

}  // namespace sondaro
