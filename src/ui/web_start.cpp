#include "ui/web_start.h"

#include <QBuffer>
#include <QDateTime>
#include <cstdio>

#include "app/app.h"
#include "core/formats.h"
#include "core/text.h"
#include "platform/plugin_loader.h"
#include "platform/qpainter_canvas.h"
#include "ui/program.h"

namespace sondaro {

namespace {

std::string Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Charts are few flat colours: a palette makes the picture a fraction of
  // its true-colour size, which is what keeps a viewer's traffic low.
  image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
      .save(&buffer, "PNG");
  return bytes.toStdString();
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  std::string name;
  for (const char c : text + ",") {
    if (c == ',' || c == ' ') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  return names;
}

}  // namespace

WebPublisher::WebPublisher(App& app, QImageCanvas& bitmap, std::unique_ptr<WebView> server)
    : app_(app), bitmap_(bitmap), server_(std::move(server)) {
  app_.view.Add(this);
  Log(app_.status.Text());
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start(kTickMs);
}

WebPublisher::~WebPublisher() { app_.view.Remove(this); }

void WebPublisher::Changed(Area area) {
  switch (area) {
    case Area::StatusBar: Log(app_.status.Text()); break;
    case Area::Deviation: charts_[static_cast<int>(ChartTag::DEV)].Dirty = true; break;
    case Area::ModulationPower: charts_[static_cast<int>(ChartTag::PM)].Dirty = true; break;
    case Area::Mpx: charts_[static_cast<int>(ChartTag::MPX)].Dirty = true; break;
    case Area::RfCarrier: charts_[static_cast<int>(ChartTag::RF)].Dirty = true; break;
    case Area::Bandscan: charts_[static_cast<int>(ChartTag::BAND)].Dirty = true; break;
    case Area::Shell:  // the theme colours the charts
      for (Chart& c : charts_) c.Dirty = true;
      break;
    default: break;
  }
}

void WebPublisher::Repaint(ChartTag tag) {
  if (static_cast<int>(tag) < kWebCharts) charts_[static_cast<std::size_t>(tag)].Dirty = true;
}

void WebPublisher::Log(const std::string& text) {
  log_.Add(TimeToStr(app_.GetClock().WallNow()), text);
}

void WebPublisher::Part(const std::string& name, std::string json) {
  std::string& last = sent_[name];
  if (json == last) return;
  last = std::move(json);
  server_->PublishState(name, last);
}

void WebPublisher::Tick() {
  // Nothing is built for nobody.
  if (server_->Viewers() == 0) return;
  Part("live", WebLiveJson(app_));
  Part("rds", WebRdsJson(app_));
  Part("band", WebBandJson(app_));
  Part("charts", WebChartsJson(app_));
  Part("log", log_.Json());
  Charts(QDateTime::currentMSecsSinceEpoch());
}

void WebPublisher::Charts(long long nowMs) {
  const unsigned wanted = server_->WantedCharts();
  for (int i = 0; i < kWebCharts; ++i) {
    if (!(wanted & (1U << i))) continue;
    Chart& c = charts_[static_cast<std::size_t>(i)];
    const auto tag = static_cast<ChartTag>(i);
    const std::uint64_t stamp = WebChartStamp(app_, tag);
    if (!c.Dirty && stamp == c.Stamp) continue;
    if (nowMs - c.MadeAt < 1000 / kChartsPerSecond) continue;
    c.Dirty = false;
    c.Stamp = stamp;
    c.MadeAt = nowMs;
    if (!app_.images.Render(tag)) continue;
    std::string png = Png(bitmap_.Image());
    ++picturesMade_;
    if (png == c.Png) continue;  // drawn alike: nothing to send
    c.Png = std::move(png);
    server_->PublishChart(i, c.Png);
  }
}

std::unique_ptr<WebPublisher> StartWeb(App& app, const ProgramOptions& options, QImageCanvas& bitmap) {
  const Settings& s = app.settings;
  const std::string portText = options.WebPort.empty() ? s.GetString("Web", "Port") : options.WebPort;
  if (portText.empty()) return nullptr;
  std::string address = options.WebAddress.empty() ? s.GetString("Web", "Address") : options.WebAddress;
  if (address.empty()) address = "127.0.0.1";
  auto report = [&app](const std::string& m) {
    std::fprintf(stderr, "sondaro: %s\n", m.c_str());
    app.status.SetText(m);
  };
  const auto port = ReadInt(portText);
  if (!port || *port < 1 || *port > 65535) {
    app.GetDialogs().ShowMessage("The web view cannot listen on " + address + ":" + portText +
                                 " (not a port number)");
    return nullptr;
  }
  std::string error;
  auto make = reinterpret_cast<MakeWebViewFn>(LoadModuleEntry(kWebViewModule, kWebViewEntry, error));
  if (!make) {
    report("web view: " + error);
    return nullptr;
  }
  std::unique_ptr<WebView> server(make());
  WebConfig config;
  config.Address = address;
  config.Port = static_cast<int>(*port);
  config.Token = s.GetString("Web", "Token");
  config.HostNames = SplitNames(s.GetString("Web", "Hosts"));
  if (!server->Start(config, error)) {
    app.GetDialogs().ShowMessage("The web view cannot listen on " + address + ":" + portText + " (" +
                                 error + ")");
    return nullptr;
  }
  const bool v6 = address.find(':') != std::string::npos;
  std::fprintf(stderr, "sondaro: web view on http://%s%s%s:%d/%s\n", v6 ? "[" : "", address.c_str(),
               v6 ? "]" : "", server->Port(), config.Token.empty() ? "" : " (token required)");
  return std::make_unique<WebPublisher>(app, bitmap, std::move(server));
}

}  // namespace sondaro
