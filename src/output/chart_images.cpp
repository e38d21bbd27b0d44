#include "output/chart_images.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"
#include "output/save_files.h"

namespace sondaro {

namespace {

constexpr const char* kTagNames[] = {"DEV", "PM", "MPX", "RF", "BAND", "EBND"};
// Drawing areas of the pages' charts.
constexpr std::pair<int, int> kDefaultSizes[] = {{521, 233}, {609, 201}, {529, 260},
                                                 {521, 233}, {521, 233}, {800, 288}};
constexpr const char* kImageFilter = "Windows Bitmap File (*.bmp);;JPEG Image (*.jpg)";

void Put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, unsigned long v) {
  Put16(out, static_cast<unsigned>(v & 0xFFFF));
  Put16(out, static_cast<unsigned>((v >> 16) & 0xFFFF));
}

struct JpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

[[noreturn]] void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->Jump, 1);
}

// Kept apart from C++ objects with destructors, as longjmp skips them.
bool CompressJpeg(const RgbImage& image, int quality, unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = JpegFail;
  if (setjmp(error.Jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(image.Width);
  info.image_height = static_cast<JDIMENSION>(image.Height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);  // baseline: tables limited to 8 bits
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(image.Width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixels.data() + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

std::string ChartTagName(ChartTag tag) { return kTagNames[static_cast<int>(tag)]; }

std::optional<ChartTag> ChartTagFromName(const std::string& name) {
  for (int i = 0; i < 6; ++i)
    if (EqualsNoCase(name, kTagNames[i])) return static_cast<ChartTag>(i);
  return std::nullopt;
}

std::optional<ChartTag> ChartTagOfPage(int page) {
  switch (page) {
    case 0:
      return ChartTag::DEV;
    case 1:
      return ChartTag::PM;
    case 2:
      return ChartTag::MPX;
    case 3:
      return ChartTag::RF;
    case 5:
      return ChartTag::BAND;
    default:
      return std::nullopt;  // "RDS/RBDS", "Setup"
  }
}

bool IsJpegName(const std::string& path) {
  const std::string upper = ToUpper(path);
  auto endsWith = [&](std::string_view end) {
    return upper.size() >= end.size() &&
           upper.compare(upper.size() - end.size(), end.size(), end) == 0;
  };
  return endsWith(".JPG") || endsWith(".JPEG");
}

std::string EncodeBmp(const RgbImage& image) {
  const unsigned long rowBytes = (static_cast<unsigned long>(image.Width) * 3 + 3) & ~3UL;
  const unsigned long dataBytes = rowBytes * image.Height;
  constexpr unsigned long kHeaders = 14 + 40;
  std::string out;
  out.reserve(kHeaders + dataBytes);
  out += "BM";
  Put32(out, kHeaders + dataBytes);
  Put32(out, 0);
  Put32(out, kHeaders);
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<unsigned long>(image.Width));
  Put32(out, static_cast<unsigned long>(image.Height));  // positive: bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // no compression
  Put32(out, dataBytes);
  Put32(out, 3780);  // 96 dpi in pixels per metre
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.Height - 1; y >= 0; --y) {
    const std::uint8_t* row = image.Pixels.data() + static_cast<std::size_t>(y) * image.Width * 3;
    for (int x = 0; x < image.Width; ++x) {
      out += static_cast<char>(row[3 * x + 2]);  // stored as B, G, R
      out += static_cast<char>(row[3 * x + 1]);
      out += static_cast<char>(row[3 * x]);
    }
    out.append(rowBytes - static_cast<unsigned long>(image.Width) * 3, '\0');
  }
  return out;
}

std::optional<std::string> EncodeJpeg(const RgbImage& image, int quality) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Pixels.size() < static_cast<std::size_t>(image.Width) * image.Height * 3)
    return std::nullopt;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = CompressJpeg(image, quality, &buffer, &size);
  std::optional<std::string> out;
  if (ok && buffer) out.emplace(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

ChartImages::ChartImages(BitmapCanvas* bitmap, Clipboard* clipboard, Dialogs& dialogs,
                         std::string appFolder)
    : SD1Dir(appFolder),
      bitmap_(bitmap),
      clipboard_(clipboard),
      dialogs_(dialogs),
      appFolder_(std::move(appFolder)) {
  for (std::size_t i = 0; i < charts_.size(); ++i)
    std::tie(charts_[i].Width, charts_[i].Height) = kDefaultSizes[i];
}

void ChartImages::SetSize(ChartTag tag, int width, int height) {
  charts_[Index(tag)].Width = width;
  charts_[Index(tag)].Height = height;
}

std::pair<int, int> ChartImages::SizeOf(ChartTag tag) const {
  if (tag == ChartTag::EBND) return {BitmapWidth, BitmapHeight};
  return {charts_[Index(tag)].Width, charts_[Index(tag)].Height};
}

bool ChartImages::Render(ChartTag tag) {
  if (!bitmap_) return false;
  bitmap_->Resize(1, 1);
  const auto [w, h] = SizeOf(tag);
  bitmap_->Resize(std::max(1, w), std::max(1, h));
  if (const DrawFn& draw = charts_[Index(tag)].Draw) draw(2, *bitmap_);
  return true;
}

bool ChartImages::UlozObrazek(ChartTag tag, const std::string& path) {
  bool ok = Render(tag);
  if (ok) {
    const RgbImage image = bitmap_->Pixels();
    std::optional<std::string> bytes =
        IsJpegName(path) ? EncodeJpeg(image, kJpegQuality) : std::optional(EncodeBmp(image));
    ok = bytes && WriteWholeFile(ResolvePath(appFolder_, path), *bytes);
  }
  if (!ok && DebugError) DebugError("Can'n write to file " + path);
  return ok;
}

bool ChartImages::KopirujObrazek(ChartTag tag) {
  if (!Render(tag) || !clipboard_) return false;
  return clipboard_->SetImage(bitmap_->Pixels());
}

void ChartImages::SaveBitmap(ChartTag tag) {
  const std::string path = AskSaveNameIn(dialogs_, SD1Dir, "", kImageFilter, "jpg");
  if (path.empty()) return;
  // The script error keeps its spelling; what the user reads is spelt right.
  if (!UlozObrazek(tag, path) && ReportFailure) ReportFailure("Can't write to file " + path);
  SD1Dir = FolderOf(path);
}

void ChartImages::SaveBitmap1Click(int page) {
  if (auto tag = ChartTagOfPage(page)) SaveBitmap(*tag);
}

void ChartImages::CopyBitmaptoClipboard1Click(int page) {
  if (auto tag = ChartTagOfPage(page)) KopirujObrazek(*tag);
}

}  // namespace sondaro
