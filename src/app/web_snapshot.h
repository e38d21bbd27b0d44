#pragma once
// What the web view shows, as JSON texts (UTF-8) built from the program's
// state: the top bar's readouts, the RDS data with its error rate and group
// statistics, the bandscan stations, each chart's acquisition time, and the
// last lines of the log. Also a cheap fingerprint of each chart's data, so a
// chart picture is only made again when the chart can have changed.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "core/view.h"

namespace sondaro {

class App;

// A JSON string literal of 8-bit program text (quotes included).
[[nodiscard]] std::string JsonText(std::string_view latin1);

[[nodiscard]] std::string WebLiveJson(const App& app);
[[nodiscard]] std::string WebRdsJson(const App& app);
[[nodiscard]] std::string WebBandJson(const App& app);
// One entry per chart of the page (DEV, PM, MPX, RF, BAND): its caption
// ("Acquired: ...") and whether it is running (null where unknown).
[[nodiscard]] std::string WebChartsJson(const App& app);
// Changes whenever new data reaches the chart without a repaint being
// asked for (MPX and RF captures arrive that way).
[[nodiscard]] std::uint64_t WebChartStamp(const App& app, ChartTag tag);

// The last lines of the status bar and the log, with the time they came.
class WebLog {
 public:
  static constexpr std::size_t kLines = 100;
  // Empty texts and a text equal to the last one are not added.
  void Add(const std::string& time, const std::string& text);
  [[nodiscard]] std::string Json() const;
  [[nodiscard]] std::size_t Size() const { return lines_.size(); }

 private:
  std::deque<std::string> lines_;
  std::string last_;
};

}  // namespace sondaro
