#pragma once
// The web view on the program's side: loads the server module when the view
// is switched on, and feeds it the page's data and the chart pictures.
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "app/web_snapshot.h"
#include "core/view.h"
#include "platform/web_view.h"

namespace sondaro {

class App;
class QImageCanvas;
struct ProgramOptions;

// Listens to the engine's view like a window does; while viewers are
// connected it sends each part of the page when it changed, and draws a
// chart that some viewer shows (the same drawing as "Save Bitmap", as PNG)
// only when that chart changed, at most kChartsPerSecond times a second.
class WebPublisher final : public View {
 public:
  static constexpr int kTickMs = 250;
  static constexpr int kChartsPerSecond = 2;

  WebPublisher(App& app, QImageCanvas& bitmap, std::unique_ptr<WebView> server);
  ~WebPublisher() override;
  WebPublisher(const WebPublisher&) = delete;
  WebPublisher& operator=(const WebPublisher&) = delete;

  void Changed(Area area) override;
  void Repaint(ChartTag tag) override;
  // One round: the parts that changed, then the charts due.
  void Tick();
  [[nodiscard]] WebView& Server() { return *server_; }
  // Pictures made so far (for tests and figures).
  [[nodiscard]] int PicturesMade() const { return picturesMade_; }

 private:
  void Part(const std::string& name, std::string json);
  void Charts(long long nowMs);
  void Log(const std::string& text);

  App& app_;
  QImageCanvas& bitmap_;
  std::unique_ptr<WebView> server_;
  QTimer timer_;
  std::map<std::string, std::string> sent_;
  WebLog log_;
  struct Chart {
    bool Dirty = true;
    std::uint64_t Stamp = 0;
    long long MadeAt = -1'000'000;
    std::string Png;
  };
  std::array<Chart, kWebCharts> charts_{};
  int picturesMade_ = 0;
};

// After the settings are read: --web-port / --web-address (this run only)
// or the [Web] keys. Without a port the view stays off; a missing module or
// a port that cannot be opened is reported and the program goes on.
[[nodiscard]] std::unique_ptr<WebPublisher> StartWeb(App& app, const ProgramOptions& options,
                                                     QImageCanvas& bitmap);

}  // namespace sondaro
