#pragma once
// Chart images: any chart drawn afresh into the one off-screen bitmap and
// written as BMP, or as JPEG when the name ends in .jpg or .jpeg, or put on
// the clipboard.
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/canvas.h"
#include "core/clipboard.h"
#include "core/ports.h"
#include "core/view.h"

namespace sondaro {

[[nodiscard]] std::string ChartTagName(ChartTag tag);
// "DEV", "PM", "MPX", "RF", "BAND", "EBND", in any case.
[[nodiscard]] std::optional<ChartTag> ChartTagFromName(const std::string& name);
// The chart of a main window page: pages 0, 1, 2, 3 and 5 have one.
[[nodiscard]] std::optional<ChartTag> ChartTagOfPage(int page);

// True when the name ends in ".jpg" or ".jpeg", in any case.
[[nodiscard]] bool IsJpegName(const std::string& path);
// Windows bitmap, 24 bits per pixel, rows bottom-up.
[[nodiscard]] std::string EncodeBmp(const RgbImage& image);
// Baseline JPEG, 24-bit colour, the standard tables scaled to `quality`.
[[nodiscard]] std::optional<std::string> EncodeJpeg(const RgbImage& image, int quality);

class ChartImages {
 public:
  static constexpr int kJpegQuality = 95;
  using DrawFn = std::function<void(int target, Canvas&)>;

  ChartImages(BitmapCanvas* bitmap, Clipboard* clipboard, Dialogs& dialogs, std::string appFolder);

  // The drawing routine of a chart, called with target 2.
  void Register(ChartTag tag, DrawFn draw) { charts_[Index(tag)].Draw = std::move(draw); }
  // Size of a chart's drawing area; "EBND" uses BitmapWidth x BitmapHeight.
  void SetSize(ChartTag tag, int width, int height);
  [[nodiscard]] std::pair<int, int> SizeOf(ChartTag tag) const;

  // Draws the chart afresh into the off-screen bitmap; false without one.
  bool Render(ChartTag tag);
  // Draws the chart and writes it; a relative path is relative to the
  // program's folder. False, after a DebugError, when writing failed.
  bool UlozObrazek(ChartTag tag, const std::string& path);
  // Draws the chart and puts it on the clipboard; failures are swallowed.
  bool KopirujObrazek(ChartTag tag);
  // A "Save Bitmap" button: asks for a name, saves, remembers the folder.
  void SaveBitmap(ChartTag tag);
  void SaveBitmap1Click(int page);             // File > "Save Bitmap"
  void CopyBitmaptoClipboard1Click(int page);  // Edit > "Copy Bitmap"

  // Start folder of the image save dialog.
  std::string SD1Dir;
  // The extended bandscan window's drawing area, kept current by it.
  int BitmapWidth = 800, BitmapHeight = 288;
  std::function<void(const std::string&)> DebugError;
  // Tells the user of a failed interactive save.
  std::function<void(const std::string&)> ReportFailure;

 private:
  struct Entry {
    DrawFn Draw;
    int Width = 0, Height = 0;
  };
  static std::size_t Index(ChartTag tag) { return static_cast<std::size_t>(tag); }

  BitmapCanvas* bitmap_;
  Clipboard* clipboard_;
  Dialogs& dialogs_;
  std::string appFolder_;
  std::array<Entry, 6> charts_;
};

}  // namespace sondaro
