#include "measure/chart/chart.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/text.h"

namespace sondaro::chart {

namespace {

constexpr int kTickLength = 4;
constexpr int kLabelGap = 5;     // axis line to tick label
constexpr int kZoomMinDrag = 3;  // pixels; less is a click
constexpr double kMaxPixel = 1e6;
constexpr int kTextGap = 6;     // between texts that share a line
constexpr int kFrameClear = 3;  // between a text and the chart's frame

[[nodiscard]] double Span(Range r) {
  const double s = r.Max - r.Min;
  return s == 0 || !std::isfinite(s) ? 1 : s;
}

[[nodiscard]] int Pixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::lround(std::clamp(v, -kMaxPixel, kMaxPixel)));
}

[[nodiscard]] int MapX(const PixelRect& p, Range r, double x) {
  return Pixel(p.Left + (x - r.Min) / Span(r) * (p.Right - p.Left));
}
[[nodiscard]] int MapY(const PixelRect& p, Range r, double y) {
  return Pixel(p.Bottom - (y - r.Min) / Span(r) * (p.Bottom - p.Top));
}
[[nodiscard]] double DataX(const PixelRect& p, Range r, int px) {
  const int w = std::max(1, p.Right - p.Left);
  return r.Min + static_cast<double>(px - p.Left) / w * (r.Max - r.Min);
}
[[nodiscard]] double DataY(const PixelRect& p, Range r, int py) {
  const int h = std::max(1, p.Bottom - p.Top);
  return r.Min + static_cast<double>(p.Bottom - py) / h * (r.Max - r.Min);
}

[[nodiscard]] Range Ordered(double a, double b) { return a <= b ? Range{a, b} : Range{b, a}; }

}  // namespace

Ticks ChooseTicks(Range range, int maxTicks) {
  Ticks t;
  maxTicks = std::max(1, maxTicks);
  const double span = range.Max - range.Min;
  if (!(span > 0) || !std::isfinite(span)) {
    if (std::isfinite(range.Min)) t.Values.push_back(range.Min);
    return t;
  }
  const double raw = span / maxTicks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    t.Step = m * power;
    if (span / t.Step <= maxTicks + 1e-9) break;
  }
  t.Decimals = std::max(0, static_cast<int>(-std::floor(std::log10(t.Step) + 1e-9)));
  const double first = std::ceil(range.Min / t.Step - 1e-9);
  const double last = std::floor(range.Max / t.Step + 1e-9);
  for (double k = first; k <= last && t.Values.size() < 1000; k += 1) {
    const double v = k * t.Step;
    t.Values.push_back(v == 0 ? 0 : v);  // no "-0"
  }
  return t;
}

std::string PointReadout(const CursorPoint& p) {
  return "N=" + std::to_string(p.Index) + " X=" + FloatToStr(p.X, 6) + " Y=" + FloatToStr(p.Y, 6);
}

std::string PositionReadout(double x, double y) {
  return "X=" + FloatToStr(x, 6) + " Y=" + FloatToStr(y, 6);
}

// ---- ChartMemory --------------------------------------------------------

namespace {
// The chart a press last started a cursor or zoom in; all on the GUI thread.
ChartMemory* activeChart = nullptr;
}  // namespace

ChartMemory::~ChartMemory() {
  if (activeChart == this) activeChart = nullptr;
}

void ChartMemory::Deactivate() {
  if (state_ != State::Cursor && state_ != State::Zooming) return;
  state_ = State::Idle;
  active_ = -1;
}

void NoActiveChart() {
  if (activeChart) activeChart->Deactivate();
  activeChart = nullptr;
}

const ChartMemory::PlotRecord* ChartMemory::Active() const {
  if (active_ < 0 || active_ >= static_cast<int>(plots_.size())) return nullptr;
  return &plots_[active_];
}

PixelPoint ChartMemory::Clamp(int x, int y) const {
  const PlotRecord* r = Active();
  if (!r) return {x, y};
  return {std::clamp(x, r->Plot.Left, r->Plot.Right), std::clamp(y, r->Plot.Top, r->Plot.Bottom)};
}

bool ChartMemory::MouseDown(int x, int y, Modifiers m) {
  // Any press removes a cursor kept on screen with Shift.
  const bool redraw = state_ != State::Idle;
  state_ = State::Idle;
  active_ = -1;
  for (std::size_t i = 0; i < plots_.size(); ++i) {
    if (!plots_[i].Plot.Contains(x, y)) continue;
    active_ = static_cast<int>(i);
    pointer_ = dragStart_ = {x, y};
    state_ = m.Ctrl ? State::Zooming : State::Cursor;
    activeChart = this;
    return true;
  }
  return redraw;
}

bool ChartMemory::MouseMove(int x, int y) {
  if (state_ != State::Cursor && state_ != State::Zooming) return false;
  pointer_ = Clamp(x, y);
  return true;
}

bool ChartMemory::MouseUp(int x, int y, Modifiers m) {
  if (state_ == State::Cursor) {
    pointer_ = Clamp(x, y);
    state_ = m.Shift ? State::Kept : State::Idle;
    return true;
  }
  if (state_ != State::Zooming) return false;
  state_ = State::Idle;
  const PlotRecord* r = Active();
  if (!m.Ctrl || !r) return true;  // released without Ctrl: no zoom
  pointer_ = Clamp(x, y);
  if (std::abs(pointer_.X - dragStart_.X) < kZoomMinDrag &&
      std::abs(pointer_.Y - dragStart_.Y) < kZoomMinDrag) {
    zooms_.erase(active_);
    return true;
  }
  // Too thin a rectangle in one direction keeps that direction's range.
  Zoom z{r->X, r->Y, r->YRight};
  if (std::abs(pointer_.X - dragStart_.X) >= kZoomMinDrag)
    z.X = Ordered(DataX(r->Plot, r->X, dragStart_.X), DataX(r->Plot, r->X, pointer_.X));
  if (std::abs(pointer_.Y - dragStart_.Y) >= kZoomMinDrag) {
    z.Y = Ordered(DataY(r->Plot, r->Y, dragStart_.Y), DataY(r->Plot, r->Y, pointer_.Y));
    if (r->YRight)
      z.YRight =
          Ordered(DataY(r->Plot, *r->YRight, dragStart_.Y), DataY(r->Plot, *r->YRight, pointer_.Y));
  }
  zooms_[active_] = z;
  return true;
}

std::optional<PixelRect> ChartMemory::Confinement() const {
  const PlotRecord* r = Active();
  if (!r || (state_ != State::Cursor && state_ != State::Zooming)) return std::nullopt;
  return r->Plot;
}

int ChartMemory::CursorMode() const {
  const PlotRecord* r = Active();
  return r ? r->CursorMode : 0;
}

std::optional<CursorPoint> ChartMemory::Nearest() const {
  const PlotRecord* r = Active();
  if (!CursorShown() || !r || !r->HasCursorData || r->CursorData.empty()) return std::nullopt;
  const double x = DataX(r->Plot, r->X, pointer_.X);
  std::size_t best = 0;
  double bestDistance = std::abs(r->CursorData[0].X - x);
  for (std::size_t i = 1; i < r->CursorData.size(); ++i) {
    const double d = std::abs(r->CursorData[i].X - x);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return CursorPoint{static_cast<int>(best) + 1, r->CursorData[best].X, r->CursorData[best].Y};
}

std::string ChartMemory::Readout() const {
  const PlotRecord* r = Active();
  if (!CursorShown() || !r) return {};
  if (auto p = Nearest()) return PointReadout(*p);
  return PositionReadout(DataX(r->Plot, r->X, pointer_.X), DataY(r->Plot, r->Y, pointer_.Y));
}

void ChartMemory::Reset() {
  state_ = State::Idle;
  active_ = -1;
  zooms_.clear();
}

// ---- Chart ---------------------------------------------------------------

Chart::Chart(Canvas& canvas, ChartMemory& memory, int target)
    : canvas_(canvas), memory_(memory), target_(target), onScreen_(target != kTargetBitmap) {}

void Chart::Start(bool clear) {
  const int w = canvas_.Width(), h = canvas_.Height();
  if (clear) canvas_.FillRect(0, 0, w, h, kWhite);
  canvas_.SetPen(kFrameColor, 1);
  const PixelPoint frame[] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
  canvas_.Polyline(frame);
  canvas_.SetPen(pen_, penWidth_);
}

void Chart::Text(int x, int y, const std::string& text, const TextOptions& options) {
  placed_.push_back(TextBounds(canvas_, x, y, text, options));
  canvas_.Text(x, y, text, options);
}

void Chart::TextRow(int y, std::vector<RowText> texts, VAlign v) {
  if (texts.empty()) return;
  const int n = static_cast<int>(texts.size());
  const int lo = kFrameClear, hi = canvas_.Width() - kFrameClear;
  std::vector<int> width(n), left(n);
  const int room = hi - lo - (n - 1) * kTextGap;
  for (int i = 0; i < n; ++i) width[i] = canvas_.TextWidth(texts[i].Text);
  // Too long a line: the widest text loses characters until all fit.
  while (std::accumulate(width.begin(), width.end(), 0) > room) {
    const auto i = std::max_element(width.begin(), width.end()) - width.begin();
    std::string& t = texts[i].Text;
    std::string kept = t.ends_with("..") ? t.substr(0, t.size() - 2) : t;
    if (kept.size() <= 1) break;
    kept.pop_back();
    t = kept + "..";
    width[i] = canvas_.TextWidth(t);
  }
  for (int i = 0; i < n; ++i) {
    const RowText& t = texts[i];
    left[i] = t.H == HAlign::Left ? t.X : (t.H == HAlign::Center ? t.X - width[i] / 2 : t.X - width[i]);
  }
  const std::vector<int> wanted = left;
  // Leftwards clear of the frame and each right neighbour, then rightwards
  // past the frame and each left neighbour: a text at the right edge stays,
  // those left of it make room.
  for (int i = n - 1; i >= 0; --i)
    left[i] = std::min(left[i], i == n - 1 ? hi - width[i] : left[i + 1] - kTextGap - width[i]);
  for (int i = 0; i < n; ++i)
    left[i] = std::max(left[i], i == 0 ? lo : left[i - 1] + width[i - 1] + kTextGap);
  for (int i = 0; i < n; ++i) {
    const RowText& t = texts[i];
    if (left[i] == wanted[i])  // as given
      Text(t.X, y, t.Text, {t.H, v});
    else
      Text(left[i], y, t.Text, {HAlign::Left, v});
  }
}

int Chart::FreeLeft(int wanted, int w, int y, int h, int lo, int hi) const {
  auto fits = [&](int left) {
    if (left < lo || left + w > hi) return false;
    const TextBox box{left, y, left + w, y + h};
    return std::none_of(placed_.begin(), placed_.end(),
                        [&box](const TextBox& b) { return b.Overlaps(box); });
  };
  std::vector<int> candidates{wanted};
  for (const TextBox& b : placed_) {
    candidates.push_back(b.Right + kTextGap);
    candidates.push_back(b.Left - kTextGap - w);
  }
  std::stable_sort(candidates.begin(), candidates.end(), [wanted](int a, int b) {
    return std::abs(a - wanted) < std::abs(b - wanted);
  });
  for (int left : candidates)
    if (fits(left)) return left;
  return wanted;
}

void Chart::CloseArea() {
  if (area_ < 0) return;
  plots_.push_back(std::move(current_));
  current_ = {};
}

void Chart::PlotArea(double left, double top, double right, double bottom, Insets insets) {
  const ChartMemory::PlotRecord previous = area_ >= 0 ? current_ : ChartMemory::PlotRecord{};
  CloseArea();
  ++area_;
  const int w = canvas_.Width(), h = canvas_.Height();
  panel_ = {Pixel(left * w), Pixel(top * h), Pixel(right * w) - 1, Pixel(bottom * h) - 1};
  current_.Plot = {panel_.Left + insets.Left, panel_.Top + insets.Top, panel_.Right - insets.Right,
                   panel_.Bottom - insets.Bottom};
  // Areas without a readout of their own show it where the previous one did.
  current_.ReadoutAt = previous.ReadoutAt;
  current_.CursorMode = previous.CursorMode;
  framed_ = false;
  yRightActive_ = false;
  y_ = current_.Y;
}

const ChartMemory::Zoom* Chart::ZoomOfArea() const {
  const auto it = memory_.zooms_.find(area_);
  return it == memory_.zooms_.end() ? nullptr : &it->second;
}

void Chart::DrawPlotFrame() {
  if (framed_) return;
  framed_ = true;
  const PixelRect& p = current_.Plot;
  canvas_.SetPen(kBlack, 1);
  const PixelPoint frame[] = {
      {p.Left, p.Top}, {p.Right, p.Top}, {p.Right, p.Bottom}, {p.Left, p.Bottom}, {p.Left, p.Top}};
  canvas_.Polyline(frame);
}

void Chart::DrawXTicks(const std::vector<std::pair<double, std::string>>& ticks,
                       const std::string& title) {
  DrawPlotFrame();
  const PixelRect& p = current_.Plot;
  const int th = canvas_.TextHeight();
  canvas_.SetPen(kBlack, 1);
  for (const auto& [value, label] : ticks) {
    const int x = ToPixelX(value);
    if (x < p.Left || x > p.Right) continue;
    canvas_.Line(x, p.Bottom, x, p.Bottom + kTickLength);
    canvas_.Text(x, p.Bottom + kTickLength + 1, label, {HAlign::Center, VAlign::Top});
  }
  if (!title.empty()) {
    // Centred under the plot, or as near as the texts already there allow.
    const int w = canvas_.TextWidth(title), y = p.Bottom + kTickLength + 2 + th;
    const int left = FreeLeft((p.Left + p.Right) / 2 - w / 2, w, y, th, panel_.Left + kFrameClear,
                              panel_.Right + 1 - kFrameClear);
    canvas_.Text(left, y, title, {HAlign::Left, VAlign::Top});
  }
  canvas_.SetPen(pen_, penWidth_);
}

void Chart::XAxis(const std::string& title, double min, double max) {
  const ChartMemory::Zoom* z = ZoomOfArea();
  current_.X = z ? z->X : Range{min, max};
  const int length = std::max(1, current_.Plot.Right - current_.Plot.Left);
  // Room for the widest label plus a gap decides how many ticks fit.
  Ticks t = ChooseTicks(current_.X, length / 40);
  int widest = 0;
  for (double v : t.Values)
    widest = std::max(widest, canvas_.TextWidth(FormatFixed(v, t.Decimals)));
  if (static_cast<int>(t.Values.size()) * (widest + 10) > length)
    t = ChooseTicks(current_.X, length / (widest + 10));
  std::vector<std::pair<double, std::string>> ticks;
  for (double v : t.Values) ticks.emplace_back(v, FormatFixed(v, t.Decimals));
  DrawXTicks(ticks, title);
}

void Chart::XAxisLabels(const std::string& title, const std::vector<std::string>& labels) {
  const ChartMemory::Zoom* z = ZoomOfArea();
  current_.X = z ? z->X : Range{0.5, labels.size() + 0.5};
  std::vector<std::pair<double, std::string>> ticks;
  for (std::size_t i = 0; i < labels.size(); ++i) ticks.emplace_back(i + 1.0, labels[i]);
  DrawXTicks(ticks, title);
}

void Chart::YAxis(const std::string& title, double min, double max, YAxisOptions options) {
  const ChartMemory::Zoom* z = ZoomOfArea();
  Range r{min, max};
  if (z) r = options.Right ? z->YRight.value_or(r) : z->Y;
  if (options.Right)
    current_.YRight = r;
  else
    current_.Y = r;
  yRightActive_ = options.Right;
  y_ = r;
  DrawPlotFrame();

  const PixelRect& p = current_.Plot;
  const int th = canvas_.TextHeight();
  const Ticks t = ChooseTicks(r, std::max(1, (p.Bottom - p.Top) / (th + 8)));
  const int edge = options.Right ? p.Right : p.Left;
  const int dir = options.Right ? 1 : -1;
  canvas_.SetPen(options.AxisColor, 1);
  canvas_.Line(edge, p.Top, edge, p.Bottom + 1);
  const TextOptions labelLook{options.Right ? HAlign::Left : HAlign::Right, VAlign::Center, false,
                              options.AxisColor};
  // Labels too wide for the margin count in thousands or millions.
  const int room = options.Right ? panel_.Right - kFrameClear - (edge + kLabelGap)
                                 : edge - kLabelGap - (panel_.Left + kFrameClear);
  double scale = 1;
  std::string suffix;
  auto label = [&](double v) {
    const double step = t.Step / scale;
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return FormatFixed(v / scale, decimals) + suffix;
  };
  for (auto [s, x] : {std::pair{1e3, "k"}, std::pair{1e6, "M"}}) {
    int wide = 0;
    for (double v : t.Values) wide = std::max(wide, canvas_.TextWidth(label(v)));
    if (wide <= room || std::abs(r.Max - r.Min) < s) break;
    scale = s;
    suffix = x;
  }
  int widest = 0;
  for (double v : t.Values) {
    const int y = ToPixelY(v);
    if (y < p.Top || y > p.Bottom) continue;
    if (options.Grid && y > p.Top && y < p.Bottom) {
      canvas_.SetPen(MakeColor(192, 192, 192), 1);
      canvas_.Line(p.Left + 1, y, p.Right, y);
      canvas_.SetPen(options.AxisColor, 1);
    }
    canvas_.Line(edge, y, edge + dir * kTickLength, y);
    const std::string text = label(v);
    widest = std::max(widest, canvas_.TextWidth(text));
    canvas_.Text(edge + dir * kLabelGap, y, text, labelLook);
  }
  if (!title.empty()) {
    int x = edge + dir * (kLabelGap + widest + 3 + th / 2);
    x = options.Right ? std::min(x, panel_.Right - th / 2 - 1)
                      : std::max(x, panel_.Left + th / 2 + 1);
    canvas_.Text(x, (p.Top + p.Bottom) / 2, title,
                 {HAlign::Center, VAlign::Center, true, options.AxisColor});
  }
  canvas_.SetPen(pen_, penWidth_);
}

int Chart::ToPixelX(double x) const { return MapX(current_.Plot, current_.X, x); }
int Chart::ToPixelY(double y) const { return MapY(current_.Plot, y_, y); }

void Chart::SetPen(Color color, int width) {
  pen_ = color;
  penWidth_ = width;
  canvas_.SetPen(color, width);
}

void Chart::BeginData() {
  // Inside the plot frame, so that data never covers the axes.
  const PixelRect& p = current_.Plot;
  canvas_.SetClip(p.Left + 1, p.Top + 1, p.Right - p.Left - 1, p.Bottom - p.Top - 1);
  canvas_.SetPen(pen_, penWidth_);
}

void Chart::EndData() { canvas_.ResetClip(); }

void Chart::TakeSeries(std::span<const PointD> points, bool cursorData) {
  if (!onScreen_) return;
  current_.HasCursorData = cursorData;
  current_.CursorOnRight = yRightActive_;
  if (cursorData)
    current_.CursorData.assign(points.begin(), points.end());
  else
    current_.CursorData.clear();
}

void Chart::Line(std::span<const PointD> points, bool cursorData) {
  BeginData();
  std::vector<PixelPoint> run;
  run.reserve(points.size());
  auto flush = [&] {
    if (run.size() >= 2) canvas_.Polyline(run);
    run.clear();
  };
  for (const PointD& pt : points) {
    if (!std::isfinite(pt.X) || !std::isfinite(pt.Y)) {
      flush();  // a gap in the data breaks the line
      continue;
    }
    run.push_back({ToPixelX(pt.X), ToPixelY(pt.Y)});
  }
  flush();
  EndData();
  TakeSeries(points, cursorData);
}

void Chart::Markers(std::span<const PointD> points, int size, bool cursorData) {
  if (size > 0) {
    BeginData();
    for (const PointD& pt : points)
      canvas_.FillRect(ToPixelX(pt.X) - size / 2, ToPixelY(pt.Y) - size / 2, size, size, pen_);
    EndData();
  }
  TakeSeries(points, cursorData);
}

void Chart::Bars(std::span<const PointD> points, double width, std::span<const Color> colors,
                 bool cursorData) {
  const double spacing =
      points.size() >= 2 ? std::abs(points.back().X - points.front().X) / (points.size() - 1) : 1;
  BeginData();
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Color fill = i < colors.size() ? colors[i] : pen_;
    Bar(points[i].X, width * spacing, points[i].Y, fill);
  }
  EndData();
  TakeSeries(points, cursorData);
}

void Chart::Bar(double centre, double width, double end, Color fill) {
  FillRect(centre - width / 2, 0, centre + width / 2, end, fill);
}

void Chart::FillRect(double x1, double y1, double x2, double y2, Color fill) {
  const int l = ToPixelX(std::min(x1, x2)), r = ToPixelX(std::max(x1, x2));
  const int top = ToPixelY(std::max(y1, y2)), bottom = ToPixelY(std::min(y1, y2));
  if (r <= l || bottom <= top) return;
  BeginData();
  canvas_.FillRect(l, top, r - l, bottom - top, fill);
  EndData();
}

void Chart::FillPolygon(std::span<const PointD> points, Color fill) {
  std::vector<PixelPoint> pixels;
  pixels.reserve(points.size());
  for (const PointD& pt : points) pixels.push_back({ToPixelX(pt.X), ToPixelY(pt.Y)});
  BeginData();
  canvas_.Polygon(pixels, fill);
  EndData();
}

void Chart::DataLine(double x1, double y1, double x2, double y2) {
  BeginData();
  canvas_.Line(ToPixelX(x1), ToPixelY(y1), ToPixelX(x2), ToPixelY(y2));
  EndData();
}

void Chart::DataText(double x, double y, const std::string& text, const TextOptions& options) {
  canvas_.Text(ToPixelX(x), ToPixelY(y), text, options);
}

void Chart::CursorReadout(int x, int y, int mode) {
  current_.ReadoutAt = {x, y};
  current_.CursorMode = mode;
}

void Chart::DrawCursor(const ChartMemory::PlotRecord& plot) {
  const PixelRect& p = plot.Plot;
  canvas_.SetClip(p.Left, p.Top, p.Right - p.Left + 1, p.Bottom - p.Top + 1);
  canvas_.SetPen(kCursorColor, 1);
  if (memory_.Zooming()) {
    const PixelPoint a = memory_.dragStart_, b = memory_.pointer_;
    const PixelPoint box[] = {{a.X, a.Y}, {b.X, a.Y}, {b.X, b.Y}, {a.X, b.Y}, {a.X, a.Y}};
    canvas_.Polyline(box);
  } else {
    PixelPoint at = memory_.pointer_;
    if (auto n = memory_.Nearest()) {
      const Range y = plot.CursorOnRight && plot.YRight ? *plot.YRight : plot.Y;
      at = {MapX(p, plot.X, n->X), MapY(p, y, n->Y)};
    }
    canvas_.Line(at.X, p.Top, at.X, p.Bottom + 1);
    if (plot.CursorMode == 3) {
      const PixelPoint box[] = {{at.X - 3, at.Y - 3},
                                {at.X + 3, at.Y - 3},
                                {at.X + 3, at.Y + 3},
                                {at.X - 3, at.Y + 3},
                                {at.X - 3, at.Y - 3}};
      canvas_.Polyline(box);
    } else {
      canvas_.Line(p.Left, at.Y, p.Right + 1, at.Y);
    }
  }
  canvas_.ResetClip();
  if (memory_.CursorShown())
    canvas_.Text(plot.ReadoutAt.X, plot.ReadoutAt.Y, memory_.Readout(),
                 {HAlign::Left, VAlign::Top, false, kBlack, kWhite});
  canvas_.SetPen(pen_, penWidth_);
}

void Chart::Finish() {
  CloseArea();
  if (!onScreen_) return;
  memory_.plots_ = std::move(plots_);
  if (memory_.active_ >= static_cast<int>(memory_.plots_.size())) memory_.Reset();
  if (const ChartMemory::PlotRecord* active = memory_.Active();
      active && memory_.state_ != ChartMemory::State::Idle)
    DrawCursor(*active);
}

}  // namespace sondaro::chart
