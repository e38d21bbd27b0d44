#pragma once
// The web view: a live, read-only page of the instrument for browsers. Its
// server (Qt HTTP Server and Qt WebSockets) lives in the run-time module
// libsondaro_web.so, loaded only when the view is switched on. The program
// and the module share nothing but this header: the program makes the page's
// data (JSON texts) and the chart pictures (PNG), the module only serves
// them, so it needs no symbol of the program.
#include <string>
#include <vector>

namespace sondaro {

struct WebConfig {
  std::string Address = "127.0.0.1";  // numeric IPv4 or IPv6
  int Port = 0;                        // 0 picks a free one
  // Empty: no login. Otherwise asked for once; a cookie keeps the session.
  std::string Token;
  // Host names besides the listening address that the browser may use (the
  // Host header is checked against these, against DNS rebinding).
  std::vector<std::string> HostNames;
  int MaxViewers = 32;
  // A viewer whose unsent data passes this is dropped, never buffered on
  // (it holds at most this and one message).
  long long MaxQueuedBytes = 1 << 20;
};

// The charts of the page, in the order of the bits of WantedCharts().
enum class WebChart { Dev, Pm, Mpx, Rf, Band };
inline constexpr int kWebCharts = 5;

class WebView {
 public:
  virtual ~WebView() = default;
  // Listens; false with the reason in `error`.
  virtual bool Start(const WebConfig& config, std::string& error) = 0;
  [[nodiscard]] virtual int Port() const = 0;
  // Viewers connected (past the login).
  [[nodiscard]] virtual int Viewers() const = 0;
  // Bit n set: some viewer shows chart n.
  [[nodiscard]] virtual unsigned WantedCharts() const = 0;
  // One part of the page's data ("live", "rds", ...) as a JSON object text
  // in UTF-8: sent to every viewer, and to each new one.
  virtual void PublishState(const std::string& part, const std::string& json) = 0;
  // A chart's picture as PNG bytes: sent to the viewers showing it, and to
  // each one that turns to it later.
  virtual void PublishChart(int chart, const std::string& png) = 0;
  // Bytes sent to viewers since start (for the figures).
  [[nodiscard]] virtual long long BytesSent() const = 0;
};

// The module's entry point: a new, not yet listening server.
using MakeWebViewFn = WebView* (*)();
inline constexpr const char* kWebViewModule = "sondaro_web";
inline constexpr const char* kWebViewEntry = "sondaro_make_web_view";

}  // namespace sondaro
