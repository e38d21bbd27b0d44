// Chart images: format by name, sizes by tag, files that real readers open,
// JPEG quality, the save dialog, the menus and the clipboard.
#include "output/chart_images.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

#include "core/clipboard.h"
#include "measure/deviation_histogram.h"
#include "measure/modulation_power.h"
#include "support/link_fixture.h"
#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

using test::FileExists;
using test::ReadFile;

// ImageMagick's view of a file: "BMP3 521 233", "JPEG 609 201 95".
std::string Identify(const std::string& path, const char* format = "%m %w %h") {
  const std::string command = std::string("identify -format '") + format + "' '" + path + "' 2>&1";
  std::FILE* p = ::popen(command.c_str(), "r");
  if (!p) return {};
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  ::pclose(p);
  return out;
}

bool HaveIdentify() { return std::system("identify -version >/dev/null 2>&1") == 0; }

// Tables of ITU-T T.81 Annex K, natural order.
constexpr int kLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
constexpr int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Quality 95 scales the tables to 10 %, rounded: (t * 10 + 50) / 100, at least 1.
int Scaled95(int t) { return std::max(1, (t * 10 + 50) / 100); }

struct JpegInfo {
  bool Read = false;
  int Width = 0, Height = 0, Components = 0;
  bool Progressive = true;
  int Luminance[64] = {}, Chrominance[64] = {};
  RgbImage Pixels;
};

struct DecodeError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

// Decodes with libjpeg, keeping the quantisation tables the file carries.
void DecodeJpeg(const std::string& bytes, JpegInfo& out) {
  jpeg_decompress_struct info{};
  DecodeError error{};
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<DecodeError*>(c->err)->Jump, 1);
  };
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    return;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&info, TRUE);
  out.Width = static_cast<int>(info.image_width);
  out.Height = static_cast<int>(info.image_height);
  out.Components = info.num_components;
  out.Progressive = info.progressive_mode;
  for (int i = 0; i < 64; ++i) {
    out.Luminance[i] = info.quant_tbl_ptrs[0] ? info.quant_tbl_ptrs[0]->quantval[i] : 0;
    out.Chrominance[i] = info.quant_tbl_ptrs[1] ? info.quant_tbl_ptrs[1]->quantval[i] : 0;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out.Pixels.Width = out.Width;
  out.Pixels.Height = out.Height;
  out.Pixels.Pixels.resize(static_cast<std::size_t>(out.Width) * out.Height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.Pixels.Pixels.data() + info.output_scanline * out.Width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out.Read = true;
}

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
         static_cast<unsigned char>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

class FakeClipboard : public Clipboard {
 public:
  bool SetImage(const RgbImage& image) override {
    Images.push_back(image);
    return Works;
  }
  std::vector<RgbImage> Images;
  bool Works = true;
};

TEST(ChartImageNames, JpegOnlyForJpgAndJpegInAnyCase) {
  struct Case {
    const char* name;
    bool jpeg;
  } cases[] = {{"a.jpg", true},  {"A.JPEG", true},    {"dir.x/b.Jpg", true}, {".jpg", true},
               {"a.jpe", false}, {"a", false},        {"a.bmp", false},      {"a.png", false},
               {"jpg", false},   {"a.jpg.bmp", false}};
  for (const Case& c : cases) EXPECT_EQ(IsJpegName(c.name), c.jpeg) << c.name;
}

TEST(ChartImageNames, TagsAndPages) {
  for (const char* name : {"DEV", "PM", "MPX", "RF", "BAND", "EBND"})
    EXPECT_EQ(ChartTagName(*ChartTagFromName(name)), name);
  EXPECT_EQ(ChartTagFromName("dev"), ChartTag::DEV);
  EXPECT_FALSE(ChartTagFromName("RDS"));
  const std::optional<ChartTag> pages[] = {ChartTag::DEV, ChartTag::PM, ChartTag::MPX,
                                           ChartTag::RF,  std::nullopt, ChartTag::BAND,
                                           std::nullopt};
  for (int page = 0; page < 7; ++page) EXPECT_EQ(ChartTagOfPage(page), pages[page]) << page;
}

class ChartImagesTest : public test::LinkFixture {
 protected:
  ChartImagesTest() {
    images.Register(ChartTag::DEV, [this](int t, Canvas& c) {
      targets.push_back(t);
      dev.VymalujDEV(t, c);
    });
    images.Register(ChartTag::PM, [this](int t, Canvas& c) { pm.VymalujPM(t, c); });
    images.DebugError = [this](const std::string& m) { debugErrors.push_back(m); };
    images.ReportFailure = [this](const std::string& m) { failures.push_back(m); };
    HistogramCounts bins{};
    for (int i = 0; i < 122; ++i) bins[i] = 100 - std::abs(i - 60);
    dev.StoreHistogram(bins);
  }
  test::TempDir dir;
  test::SaveDialogs dialogs;
  test::RecordingCanvas bitmap;
  FakeClipboard clipboard;
  DeviationHistogram dev{clock, view, link};
  ModulationPower pm{clock, view, link};
  ChartImages images{&bitmap, &clipboard, dialogs, dir.Path()};
  std::vector<int> targets;
  std::vector<std::string> debugErrors, failures;
};

TEST_F(ChartImagesTest, BmpFileOpensAtTheChartSize) {
  ASSERT_TRUE(images.UlozObrazek(ChartTag::DEV, "dev.bmp"));  // relative: the program folder
  EXPECT_EQ(targets, std::vector<int>{chart::kTargetBitmap});
  const std::string bmp = ReadFile(dir / "dev.bmp");
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(Le32(bmp, 18), 521u);
  EXPECT_EQ(Le32(bmp, 22), 233u);
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(bmp.size(), 54u + 233u * ((521u * 3 + 3) & ~3u));  // rows padded to 4 bytes
  // Bottom-up rows: the last row of the file is the top of the chart, and
  // its first pixel is the frame's (drawn by lines, so white here); a navy
  // bar pixel of bin 60 stands near the bottom of the plot.
  const std::size_t row = (521 * 3 + 3) & ~3u;
  const std::size_t plotBottom = 233 - 1 - 165;  // file row of chart row 165
  const std::size_t bar60 = 54 + plotBottom * row + (40 + 234) * 3;
  EXPECT_EQ(static_cast<unsigned char>(bmp[bar60]), 128);    // blue
  EXPECT_EQ(static_cast<unsigned char>(bmp[bar60 + 2]), 0);  // red
  if (!HaveIdentify()) GTEST_SKIP() << "ImageMagick identify not installed";
  EXPECT_EQ(Identify(dir / "dev.bmp", "%m %w %h"), "BMP3 521 233");  // BMP3: the 40-byte header
}

TEST_F(ChartImagesTest, JpegNamesGiveBaselineQuality95) {
  for (int i = 0; i < 100; ++i) pm.StorePmValue(static_cast<float>(i % 13) - 6);
  ASSERT_TRUE(images.UlozObrazek(ChartTag::PM, dir / "pm.JPEG"));
  const std::string bytes = ReadFile(dir / "pm.JPEG");
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
  EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos);  // baseline frame
  EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos);  // not progressive
  JpegInfo info;
  DecodeJpeg(bytes, info);
  ASSERT_TRUE(info.Read);
  EXPECT_EQ(info.Width, 609);
  EXPECT_EQ(info.Height, 201);
  EXPECT_EQ(info.Components, 3);
  EXPECT_FALSE(info.Progressive);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(info.Luminance[i], Scaled95(kLuminance[i])) << i;
    EXPECT_EQ(info.Chrominance[i], Scaled95(kChrominance[i])) << i;
  }
  // White background survives compression.
  const Color corner = info.Pixels.At(300, 5);
  EXPECT_GE(RedOf(corner), 250);
  EXPECT_GE(BlueOf(corner), 250);
  if (!HaveIdentify()) GTEST_SKIP() << "ImageMagick identify not installed";
  EXPECT_EQ(Identify(dir / "pm.JPEG", "%m %w %h %Q"), "JPEG 609 201 95");
}

TEST_F(ChartImagesTest, OtherNamesAreWrittenAsBmp) {
  for (const char* name : {"a.png", "noext", "a.jpe"}) {
    ASSERT_TRUE(images.UlozObrazek(ChartTag::DEV, name)) << name;
    EXPECT_EQ(ReadFile(dir / name).substr(0, 2), "BM") << name;
  }
}

TEST_F(ChartImagesTest, SizesFollowTheTagAndTheExtendedWindow) {
  images.BitmapWidth = 1000;
  images.BitmapHeight = 400;
  const std::pair<ChartTag, std::pair<int, int>> cases[] = {
      {ChartTag::DEV, {521, 233}}, {ChartTag::PM, {609, 201}},   {ChartTag::MPX, {529, 260}},
      {ChartTag::RF, {521, 233}},  {ChartTag::BAND, {521, 233}}, {ChartTag::EBND, {1000, 400}}};
  for (const auto& [tag, size] : cases) {
    ASSERT_TRUE(images.KopirujObrazek(tag));
    EXPECT_EQ(clipboard.Images.back().Width, size.first) << ChartTagName(tag);
    EXPECT_EQ(clipboard.Images.back().Height, size.second) << ChartTagName(tag);
  }
}

TEST_F(ChartImagesTest, WriteFailureGoesToDebugErrorWithItsText) {
  EXPECT_FALSE(images.UlozObrazek(ChartTag::DEV, "missing/dev.jpg"));
  EXPECT_EQ(debugErrors, std::vector<std::string>{"Can'n write to file missing/dev.jpg"});
  ChartImages noBitmap{nullptr, nullptr, dialogs, dir.Path()};
  EXPECT_FALSE(noBitmap.UlozObrazek(ChartTag::DEV, "x.bmp"));
  EXPECT_FALSE(noBitmap.KopirujObrazek(ChartTag::DEV));
  EXPECT_FALSE(FileExists(dir / "x.bmp"));
}

TEST_F(ChartImagesTest, SaveBitmapAsksThenSavesAndMovesTheFolder) {
  std::filesystem::create_directory(dir / "pics");
  dialogs.Answer = dir / "pics/chart";  // typed without extension: JPEG
  images.SaveBitmap1Click(1);
  ASSERT_EQ(dialogs.SaveShown.size(), 1u);
  EXPECT_EQ(dialogs.SaveShown[0].Proposal, dir.Path());
  EXPECT_EQ(dialogs.SaveShown[0].Filter, "Windows Bitmap File (*.bmp);;JPEG Image (*.jpg)");
  const std::string bytes = ReadFile(dir / "pics/chart.jpg");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xD8);
  EXPECT_EQ(images.SD1Dir, dir / "pics/");

  // A failed write is still a choice of folder, and the user is told.
  dialogs.Answer = dir / "gone/c.bmp";
  images.SaveBitmap(ChartTag::DEV);
  EXPECT_EQ(images.SD1Dir, dir / "gone/");
  // The typo belongs to the script error only.
  EXPECT_EQ(failures, std::vector<std::string>{"Can't write to file " + (dir / "gone/c.bmp")});

  // A name with a reading's dot has no extension: JPEG.
  dialogs.Answer = dir / "pics/DEV 98.50 MHz";
  images.SaveBitmap(ChartTag::DEV);
  EXPECT_TRUE(std::filesystem::exists(dir / "pics/DEV 98.50 MHz.jpg"));
}

TEST_F(ChartImagesTest, PagesWithoutChartAndCancelDoNothing) {
  dialogs.Answer = dir / "x.bmp";
  images.SaveBitmap1Click(4);  // "RDS/RBDS"
  images.SaveBitmap1Click(6);  // "Setup"
  images.CopyBitmaptoClipboard1Click(4);
  images.CopyBitmaptoClipboard1Click(6);
  EXPECT_TRUE(dialogs.SaveShown.empty());
  EXPECT_TRUE(clipboard.Images.empty());

  dialogs.Answer.clear();
  images.SaveBitmap1Click(0);
  EXPECT_EQ(dialogs.SaveShown.size(), 1u);
  EXPECT_EQ(images.SD1Dir, dir.Path());
  EXPECT_TRUE(targets.empty());  // nothing drawn
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  images.CopyBitmaptoClipboard1Click(0);
  ASSERT_EQ(clipboard.Images.size(), 1u);
  clipboard.Works = false;  // a busy clipboard is not an error the user sees
  EXPECT_FALSE(images.KopirujObrazek(ChartTag::DEV));
  EXPECT_TRUE(debugErrors.empty());
}

TEST(ImageEncoders, BmpOfOddWidthAndJpegOfNothing) {
  RgbImage img{3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9}};
  const std::string bmp = EncodeBmp(img);
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);
  // First stored row is the bottom one, as B, G, R, then 3 padding bytes.
  EXPECT_EQ(bmp.substr(54, 12), std::string("\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0", 12));
  EXPECT_EQ(bmp.substr(66, 3), std::string("\x00\x00\xFF", 3));
  EXPECT_FALSE(EncodeJpeg(RgbImage{}, 95));
  EXPECT_FALSE(EncodeJpeg(RgbImage{2, 2, {1, 2, 3}}, 95));  // too few pixels
}

}  // namespace
}  // namespace sondaro
