#include "platform/metrics_exporter.h"

#include <prometheus/metric_family.h>
#include <prometheus/text_serializer.h>

#include <optional>
#include <sstream>

namespace sondaro {

namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

class Families {
 public:
  void Gauge(const char* name, const char* help, std::optional<double> value,
             std::vector<ClientMetric::Label> labels = {}) {
    if (!value) return;
    ClientMetric m;
    m.label = std::move(labels);
    m.gauge.value = *value;
    Family(name, help, MetricType::Gauge).metric.push_back(std::move(m));
  }
  void Counter(const char* name, const char* help, double value) {
    ClientMetric m;
    m.counter.value = value;
    Family(name, help, MetricType::Counter).metric.push_back(std::move(m));
  }
  std::vector<MetricFamily> Take() { return std::move(out_); }

 private:
  // Samples of one name share a family (the windows of the error rate).
  MetricFamily& Family(const char* name, const char* help, MetricType type) {
    if (out_.empty() || out_.back().name != name) out_.push_back({name, help, type, {}});
    return out_.back();
  }
  std::vector<MetricFamily> out_;
};

double Flag(bool b) { return b ? 1 : 0; }

// A label value: UTF-8; the serialiser escapes backslash, quote and line
// feed, and no other control character may stand raw in a line.
std::string Label(const std::string& text) {
  std::string s = Latin1ToUtf8(text);
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 32 && c != '\n' && c != '\t') c = '.';
  return s;
}

}  // namespace

std::vector<MetricFamily> MetricFamilies(const MonitorSnapshot& s) {
  Families f;
  f.Gauge("sondaro_link_connected", "1 while the analyzer link is switched on (as %connected)",
          Flag(s.LinkConnected));
  f.Gauge("sondaro_link_up", "1 while bytes can flow to and from the analyzer", Flag(s.LinkUp));
  f.Counter("sondaro_link_reconnects_total", "Times the link came up again after the first",
            static_cast<double>(s.LinkUps > 0 ? s.LinkUps - 1 : 0));
  f.Gauge("sondaro_tuned_frequency_hertz", "Tuned frequency", s.FrequencyHz);
  if (s.LevelInDbuv)
    f.Gauge("sondaro_signal_level_dbuv", "Signal level", s.Level);
  else
    f.Gauge("sondaro_signal_level_raw", "Signal level in the analyzer's own figure", s.Level);
  f.Gauge("sondaro_signal_quality", "Signal quality, 0 to 5", s.SignalQuality);
  f.Gauge("sondaro_pilot_deviation_hertz", "Pilot injection as deviation", s.PilotHz);
  f.Gauge("sondaro_rds_deviation_hertz", "RDS subcarrier injection as deviation",
          s.RdsInjectionHz);
  f.Gauge("sondaro_peak_deviation_hertz", "Peak frequency deviation (MAX)", s.PeakDeviationHz);
  f.Gauge("sondaro_modulation_power_dbr", "Last modulation power value", s.PmLastDbr);
  f.Gauge("sondaro_modulation_power_average_dbr", "Modulation power averaged over 30 minutes",
          s.PmAverageDbr);
  f.Gauge("sondaro_deviation_above_limit_ratio",
          "Share of histogram samples above the deviation limit", s.AboveLimitRatio);
  f.Gauge("sondaro_deviation_limit_hertz", "Deviation limit", s.DeviationLimitHz);
  f.Gauge("sondaro_deviation_max_at_hertz", "Histogram bin with the most samples", s.MaxAtHz);
  f.Gauge("sondaro_deviation_samples", "Samples in the deviation histogram",
          static_cast<double>(s.TotalSamples));
  f.Counter("sondaro_rds_groups_received_total", "Raw RDS groups received",
            static_cast<double>(s.RdsGroups));
  f.Gauge("sondaro_rds_block_error_ratio", "Share of RDS blocks lost", s.BlockErrorRatio10s,
          {{"window", "10s"}});
  f.Gauge("sondaro_rds_block_error_ratio", "Share of RDS blocks lost", s.BlockErrorRatio60s,
          {{"window", "60s"}});
  f.Gauge("sondaro_rds_info", "Decoded RDS values of the tuned station", 1.0,
          {{"pi", Label(s.Pi)}, {"ps", Label(s.Ps)}, {"pty", Label(s.Pty)}, {"rt", Label(s.Rt)}});
  f.Gauge("sondaro_carrier_offset_hertz",
          "Carrier offset from the normal set on the reference station", s.CarrierOffsetHz);
  f.Gauge("sondaro_mpx_peak_level_decibels", "Peak level of the decoded channel, last MPX capture",
          s.MpxPeakLeftDb, {{"channel", "left"}});
  f.Gauge("sondaro_mpx_peak_level_decibels", "Peak level of the decoded channel, last MPX capture",
          s.MpxPeakRightDb, {{"channel", "right"}});
  f.Gauge("sondaro_mpx_pilot_phase_radians", "Phase of the 19 kHz pilot in the last MPX capture",
          s.PilotPhaseRadians);
  f.Gauge("sondaro_bandscan_stations", "Stations found by the last band scan",
          static_cast<double>(s.BandscanStations));
  f.Gauge("sondaro_bandscan_last_finished_timestamp_seconds", "When the last band scan ended",
          s.BandscanFinishedSeconds);
  f.Gauge("sondaro_build_info", "Version of the program", 1.0, {{"version", s.Version}});
  return f.Take();
}

std::string MetricsText(const MonitorSnapshot& s) {
  std::ostringstream out;
  prometheus::TextSerializer().Serialize(out, MetricFamilies(s));
  return out.str();
}

MetricsExporter::MetricsExporter() = default;

// Stops the server thread before the snapshot goes.
MetricsExporter::~MetricsExporter() { server_.reset(); }

bool MetricsExporter::Start(const std::string& address, int port, std::string& error) {
  auto server = std::make_unique<MetricsHttpServer>([this] {
    const auto latest = Latest();
    return latest ? MetricsText(*latest) : std::string();
  });
  if (!server->Start(address, port, error)) return false;
  server_ = std::move(server);
  return true;
}

void MetricsExporter::Publish(const MonitorSnapshot& snapshot) {
  auto copy = std::make_shared<const MonitorSnapshot>(snapshot);
  const std::lock_guard lock(mutex_);
  latest_.swap(copy);
  // The old copy is released outside the lock as `copy` goes.
}

std::shared_ptr<const MonitorSnapshot> MetricsExporter::Latest() const {
  const std::lock_guard lock(mutex_);
  return latest_;
}

}  // namespace sondaro
