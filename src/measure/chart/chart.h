#pragma once
// The chart layer shared by every chart: frame, plot areas, axes with ticks
// chosen here, series, shapes, texts, and the data cursor with Ctrl-zoom.
//
// A drawing routine builds a Chart on a canvas for one drawing and calls, in
// order: Start, pixel texts, then per plot area PlotArea, the axes, series,
// shapes and data texts, and Finish. What the mouse needs between drawings
// (where each plot area was, its ranges, the points under the cursor, the
// zoomed ranges) lives in the chart's ChartMemory, which its owner keeps for
// the whole run.
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/canvas.h"

namespace sondaro::chart {

// Drawing targets: the paint event, a direct refresh of the screen picture,
// and an off-screen bitmap for saved or copied images.
inline constexpr int kTargetPaint = 0;
inline constexpr int kTargetRefresh = 1;
inline constexpr int kTargetBitmap = 2;

// Frame colour of every chart: the system's button shadow.
inline constexpr Color kFrameColor = MakeColor(160, 160, 160);
// Data cursor and zoom rectangle; no chart draws in this colour.
inline constexpr Color kCursorColor = MakeColor(255, 0, 255);

struct PointD {
  double X = 0, Y = 0;
  friend bool operator==(const PointD&, const PointD&) = default;
};

struct Range {
  double Min = 0, Max = 1;
  friend bool operator==(const Range&, const Range&) = default;
};

struct PixelRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;  // inclusive edges
  [[nodiscard]] bool Contains(int x, int y) const {
    return x >= Left && x <= Right && y >= Top && y <= Bottom;
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct Insets {
  int Left = 0, Right = 0, Top = 0, Bottom = 0;
};

struct YAxisOptions {
  bool Right = false;
  Color AxisColor = kBlack;
  bool Grid = false;
};

// Nearest data point under the cursor; Index counts from 1.
struct CursorPoint {
  int Index = 0;
  double X = 0, Y = 0;
};

struct Modifiers {
  bool Shift = false;
  bool Ctrl = false;
};

// One of the texts that share a line (Chart::TextRow).
struct RowText {
  int X = 0;
  std::string Text;
  HAlign H = HAlign::Left;
};

// Tick positions for an axis: a step of 1, 2 or 5 times a power of ten, the
// fewest ticks of at most maxTicks.
struct Ticks {
  double Step = 1;
  int Decimals = 0;  // digits after the separator that the step needs
  std::vector<double> Values;
};
[[nodiscard]] Ticks ChooseTicks(Range range, int maxTicks);

// "N=51 X=50 Y=1234": the readout of a data point, six significant digits.
[[nodiscard]] std::string PointReadout(const CursorPoint& p);
// "X=12.5 Y=-3.25": the readout of a pointer position.
[[nodiscard]] std::string PositionReadout(double x, double y);

class ChartMemory {
 public:
  // What one drawing on screen left behind for a plot area.
  struct PlotRecord {
    PixelRect Plot;
    Range X, Y;  // ranges in effect, zoom included
    std::optional<Range> YRight;
    std::vector<PointD> CursorData;  // points of the last series, if it carries them
    bool HasCursorData = false;
    bool CursorOnRight = false;  // that series was drawn on the right axis
    PixelPoint ReadoutAt{8, 8};
    int CursorMode = 0;
  };
  struct Zoom {
    Range X, Y;
    std::optional<Range> YRight;
  };

  ChartMemory() = default;
  ChartMemory(const ChartMemory&) = default;  // a copy is never the active chart
  ChartMemory& operator=(const ChartMemory&) = default;
  ~ChartMemory();

  // Mouse events in chart pixels. Each answers whether the chart must be
  // redrawn. A press that starts a cursor or a zoom makes this the active
  // chart.
  bool MouseDown(int x, int y, Modifiers m);
  bool MouseMove(int x, int y);
  bool MouseUp(int x, int y, Modifiers m);

  // The plot rectangle the pointer is held in while the button is down.
  [[nodiscard]] std::optional<PixelRect> Confinement() const;
  [[nodiscard]] bool CursorShown() const {
    return state_ == State::Cursor || state_ == State::Kept;
  }
  [[nodiscard]] bool Zooming() const { return state_ == State::Zooming; }
  // Cursor mode (0 or 3) of the plot area the cursor is in.
  [[nodiscard]] int CursorMode() const;
  // The point the cursor marks, when its plot area has cursor data.
  [[nodiscard]] std::optional<CursorPoint> Nearest() const;
  // The readout text while the cursor is shown, else empty.
  [[nodiscard]] std::string Readout() const;
  [[nodiscard]] const std::vector<PlotRecord>& Plots() const { return plots_; }
  [[nodiscard]] const std::map<int, Zoom>& Zooms() const { return zooms_; }
  void UndoZoom(int plot) { zooms_.erase(plot); }
  // Forgets cursor and zoom, as after the chart's data were replaced.
  void Reset();
  // Ends a cursor or zoom gesture in progress; zooms already made and a
  // cursor kept with Shift stay.
  void Deactivate();

 private:
  friend class Chart;
  enum class State { Idle, Cursor, Kept, Zooming };
  [[nodiscard]] const PlotRecord* Active() const;
  [[nodiscard]] PixelPoint Clamp(int x, int y) const;

  std::vector<PlotRecord> plots_;
  std::map<int, Zoom> zooms_;
  State state_ = State::Idle;
  int active_ = -1;
  PixelPoint pointer_, dragStart_;
};

// Tells the chart layer that no chart is active any more (another page was
// chosen): the gesture of the active chart ends, and a release that arrives
// later acts on nothing.
void NoActiveChart();

class Chart {
 public:
  Chart(Canvas& canvas, ChartMemory& memory, int target);
  Chart(const Chart&) = delete;
  Chart& operator=(const Chart&) = delete;

  // White background (unless clear is false) and the frame.
  void Start(bool clear = true);
  // Text at a pixel position from the chart's top-left corner.
  void Text(int x, int y, const std::string& text, const TextOptions& options = {});
  // Texts that share a line, given left to right. Each stands at its anchor
  // where it fits; one that would run into its neighbour or the frame moves
  // along the line just as far as it must, and a line too short for all of
  // them gets its widest text shortened.
  void TextRow(int y, std::vector<RowText> texts, VAlign v = VAlign::Top);

  // A plot area: the panel as fractions of the chart, the plot rectangle
  // inset from it by pixel margins.
  void PlotArea(double left, double top, double right, double bottom, Insets insets);
  void PlotArea(Insets insets) { PlotArea(0, 0, 1, 1, insets); }
  void XAxis(const std::string& title, double min, double max);
  // Text labels at x = 1, 2, 3, ...
  void XAxisLabels(const std::string& title, const std::vector<std::string>& labels);
  // A left or right Y axis; what is drawn after it uses its range.
  void YAxis(const std::string& title, double min, double max, YAxisOptions options = {});

  void SetPen(Color color, int width = 1);
  // Series, in the current pen colour. Only the last series of a plot area
  // gives the data cursor its points, if it carries them.
  void Line(std::span<const PointD> points, bool cursorData = true);
  // Squares of `size` pixels; size 0 draws nothing but still feeds the cursor.
  void Markers(std::span<const PointD> points, int size, bool cursorData = true);
  // Bars from 0 to y, `width` (1, 0.7, 0.4) times the spacing of adjacent
  // points; colours per point when given, else the pen colour.
  void Bars(std::span<const PointD> points, double width, std::span<const Color> colors = {},
            bool cursorData = true);

  // Shapes in data coordinates.
  void Bar(double centre, double width, double end, Color fill);
  void FillRect(double x1, double y1, double x2, double y2, Color fill);
  void FillPolygon(std::span<const PointD> points, Color fill);
  void DataLine(double x1, double y1, double x2, double y2);
  // Text anchored at a point in data coordinates.
  void DataText(double x, double y, const std::string& text, const TextOptions& options = {});

  // Where the readout of this plot area's cursor stands, and its mode.
  void CursorReadout(int x, int y, int mode);
  // On screen: remembers the plot areas for the mouse and draws the cursor or
  // the zoom rectangle.
  void Finish();

  [[nodiscard]] int Width() const { return canvas_.Width(); }
  [[nodiscard]] int Height() const { return canvas_.Height(); }
  [[nodiscard]] const PixelRect& Plot() const { return current_.Plot; }
  [[nodiscard]] int ToPixelX(double x) const;
  [[nodiscard]] int ToPixelY(double y) const;

 private:
  void DrawXTicks(const std::vector<std::pair<double, std::string>>& ticks,
                  const std::string& title);
  void DrawPlotFrame();
  void BeginData();
  void EndData();
  void TakeSeries(std::span<const PointD> points, bool cursorData);
  void CloseArea();
  void DrawCursor(const ChartMemory::PlotRecord& plot);
  [[nodiscard]] const ChartMemory::Zoom* ZoomOfArea() const;
  // Left edge for a text of width w on the rows y..y+h nearest to `wanted`
  // that runs into no text placed so far and stays within lo..hi.
  [[nodiscard]] int FreeLeft(int wanted, int w, int y, int h, int lo, int hi) const;

  Canvas& canvas_;
  ChartMemory& memory_;
  std::vector<TextBox> placed_;  // texts at pixel positions, for the axis titles
  int target_;
  bool onScreen_;
  std::vector<ChartMemory::PlotRecord> plots_;
  ChartMemory::PlotRecord current_;
  PixelRect panel_;
  int area_ = -1;
  bool framed_ = false;
  bool yRightActive_ = false;
  Range y_;  // range of the axis in use
  Color pen_ = kBlack;
  int penWidth_ = 1;
};

}  // namespace sondaro::chart
