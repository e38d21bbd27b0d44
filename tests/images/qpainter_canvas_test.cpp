// The QPainter canvas draws the charts as the chart layer places them:
// colours, texts, rotation, clipping; and its pictures go to files that real
// readers open and to the clipboard.
#include "platform/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFontInfo>
#include <QImageReader>

#include "gui_app.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "output/chart_images.h"
#include "platform/qt_clipboard.h"
#include "support/link_fixture.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::CountColor;
using test::InkIn;
using test::PixelOf;

constexpr Color kNavy = MakeColor(0, 0, 128);
constexpr Color kPurple = MakeColor(74, 0, 62);
constexpr Color kMaroon = MakeColor(128, 0, 0);

class QtChartTest : public test::LinkFixture {
 protected:
  QtChartTest() {
    test::Gui();
    HistogramCounts bins{};
    for (int i = 0; i < 122; ++i) bins[i] = 100 - std::abs(i - 60);
    dev.StoreHistogram(bins);
    for (int i = 0; i < 200; ++i) pm.StorePmValue(static_cast<float>(i % 20) / 4 - 3);
    images.Register(ChartTag::DEV, [this](int t, Canvas& c) { dev.VymalujDEV(t, c); });
    images.Register(ChartTag::PM, [this](int t, Canvas& c) { pm.VymalujPM(t, c); });
  }
  // Centre pixel column of bin i's bar: 40 + i * 3.9.
  static int BarX(int i) { return 40 + static_cast<int>(i * 3.9); }

  DeviationHistogram dev{clock, view, link};
  ModulationPower pm{clock, view, link};
  QImageCanvas bitmap;
  QtClipboard clipboard;
  test::TempDir dir;
  SilentDialogs dialogs;
  ChartImages images{&bitmap, &clipboard, dialogs, dir.Path()};
};

TEST_F(QtChartTest, DeviationChartPixels) {
  QImageCanvas canvas(DeviationHistogram::kChartWidth, DeviationHistogram::kChartHeight);
  dev.VymalujDEV(chart::kTargetBitmap, canvas);
  const QImage& img = canvas.Image();
  ASSERT_EQ(img.size(), QSize(521, 233));
  EXPECT_EQ(PixelOf(img, 0, 0), chart::kFrameColor);
  EXPECT_EQ(PixelOf(img, 520, 232), chart::kFrameColor);
  EXPECT_EQ(PixelOf(img, 1, 1), kWhite);
  // Default limit 75: navy to 75, purple 76, maroon beyond; just above the axis.
  EXPECT_EQ(PixelOf(img, BarX(60), 160), kNavy);
  EXPECT_EQ(PixelOf(img, BarX(76), 160), kPurple);
  EXPECT_EQ(PixelOf(img, BarX(90), 160), kMaroon);
  // The bars reach their counts: bin 60 (100 of 100) up to the top of the plot.
  EXPECT_EQ(PixelOf(img, BarX(60), 12), kNavy);
  EXPECT_EQ(PixelOf(img, BarX(10), 12), kWhite);
  // The plot frame is black and not covered by bars.
  EXPECT_EQ(PixelOf(img, BarX(60), 166), kBlack);
  EXPECT_EQ(PixelOf(img, 40, 100), kBlack);
  // Statistics texts have ink where they stand.
  EXPECT_GT(InkIn(img, 5, 201, 90, 213), 30);     // "Max at: 60 kHz"
  EXPECT_GT(InkIn(img, 420, 201, 514, 213), 30);  // "Total samples: ..." ends at 515
  EXPECT_EQ(InkIn(img, 516, 201, 519, 228), 0);
}

TEST_F(QtChartTest, TextAnchorsRotationAndClip) {
  // Room around every text, and sizes taken from the font itself, so the
  // test holds whatever the face's metrics.
  QImageCanvas c(240, 240);
  const int w = c.TextWidth("Upwards"), h = c.TextHeight();
  ASSERT_GT(w, h);
  c.Text(100, 10, "Right", {HAlign::Right, VAlign::Top});
  c.Text(50, 140, "Upwards", {HAlign::Left, VAlign::Top, true, kBlack, MakeColor(0, 255, 0)});
  c.SetClip(150, 50, 20, 20);
  c.FillRect(100, 0, 140, 240, kMaroon);
  c.ResetClip();
  const QImage& img = c.Image();
  EXPECT_GT(InkIn(img, 100 - c.TextWidth("Right"), 10, 99, 10 + h), 10);
  EXPECT_EQ(InkIn(img, 101, 0, 149, 49), 0);  // nothing right of the anchor, nor outside the clip
  // Rotated: the box is the text's height wide and its width tall, centred
  // on (50, 140), in its green background.
  int top = 240, bottom = 0, left = 240, right = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 100; ++x)
      if (PixelOf(img, x, y) == MakeColor(0, 255, 0)) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  EXPECT_NEAR(bottom - top + 1, w, 1);
  EXPECT_NEAR(right - left + 1, h, 1);
  EXPECT_NEAR((top + bottom) / 2.0, 140, 1);
  EXPECT_NEAR((left + right) / 2.0, 50, 1);
  EXPECT_EQ(CountColor(img, kMaroon), 400);
}

TEST_F(QtChartTest, ChartsUseTheInstalledFixedFace) {
  // Installed by tools/install-deps.sh; without it every machine would pick
  // its own face for the chart texts.
  EXPECT_EQ(QFontInfo(QImageCanvas::ChartFont()).family(), kChartFontFamily);
  EXPECT_EQ(QFontInfo(QImageCanvas::ChartFont()).pixelSize(), 11);
}

TEST_F(QtChartTest, SavedFilesOpenInRealReaders) {
  ASSERT_TRUE(images.UlozObrazek(ChartTag::DEV, "dev.bmp"));
  ASSERT_TRUE(images.UlozObrazek(ChartTag::PM, dir / "pm.jpg"));
  QImageReader bmp(QString::fromStdString(dir / "dev.bmp"));
  EXPECT_EQ(bmp.format(), "bmp");
  const QImage dev = bmp.read();
  ASSERT_EQ(dev.size(), QSize(521, 233));
  EXPECT_EQ(PixelOf(dev, BarX(90), 160), kMaroon);  // lossless

  QImageReader jpg(QString::fromStdString(dir / "pm.jpg"));
  EXPECT_EQ(jpg.format(), "jpeg");
  const QImage pmImage = jpg.read();
  ASSERT_EQ(pmImage.size(), QSize(609, 201));
  // The navy line somewhere in the plot survives compression as dark blue.
  int blue = 0;
  for (int y = 10; y < 146; ++y)
    for (int x = 43; x < 598; ++x) {
      const Color c = PixelOf(pmImage, x, y);
      blue += BlueOf(c) > 90 && RedOf(c) < 60 && GreenOf(c) < 60;
    }
  EXPECT_GT(blue, 100);
}

TEST_F(QtChartTest, CopyPutsTheChartOnTheClipboard) {
  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(images.KopirujObrazek(ChartTag::PM));
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(609, 201));
  EXPECT_EQ(PixelOf(copied, 0, 0), chart::kFrameColor);
}

}  // namespace
}  // namespace sondaro
