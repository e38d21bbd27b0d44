#include "app/app_shell.h"

#include <algorithm>

#include "core/text.h"
#include "measure/chart/color.h"

namespace sondaro {

std::string ApplicationTitle(const std::string& appFolder, bool multiSet) {
  if (!multiSet) return kAppTitle;
  long long sum = 0;
  for (unsigned char c : appFolder) sum += c;
  return std::string(kAppTitle) + " (" + std::to_string(sum) + ")";
}

std::string HandOffText(const std::vector<std::string>& parameters) {
  std::string text;
  for (const std::string& p : parameters) {
    text += p + " ";
    // A program name among the parameters drops everything before it.
    if (ToUpper(text).find(".EXE") != std::string::npos) text.clear();
  }
  return text;
}

std::string ReceivedHandOff(const std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string{} : text.substr(0, end + 1);
}

std::string TrayTipText(const std::string& text) {
  return text.size() >= 64 ? text.substr(0, 60) + "..." : text;
}

Color ThemeColor(int hue, int saturation) {
  return chart::ToRGB(hue / 256.0, saturation / 256.0, 0.86);
}

std::string DecodeShifted(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) - 1);
  return out;
}

std::string EncodeShifted(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + 1);
  return out;
}

std::string AboutLinkCaption(const std::string& link) {
  return link.rfind("mailto:", 0) == 0 ? link.substr(7) : link;
}

AppShell::AppShell(View& view, std::string title)
    : view_(view), title_(std::move(title)), trayTip_(title_), applied_(Swatch()) {}

void AppShell::SetShowFlag(bool shown) {
  showFlag_ = shown;
  windowShown_ = shown || !TrayAvailable;
  view_.Changed(Area::Shell);
}

void AppShell::CiaTray1DblClick() { SetShowFlag(!showFlag_); }

void AppShell::Minimize() {
  if (!TrayAvailable) return;  // an ordinary minimize then
  windowShown_ = false;
  view_.Changed(Area::Shell);
}

void AppShell::TrayUpdate(const std::string& text) {
  trayTip_ = TrayTipText(text);
  view_.Changed(Area::Shell);
}

void AppShell::SetThemePosition(int hue, int saturation) {
  hue_ = std::clamp(hue, 0, 255);
  saturation_ = std::clamp(saturation, 0, 160);
  view_.Changed(Area::Shell);
}

void AppShell::ApplyTheme() {
  applied_ = Swatch();
  view_.Changed(Area::Shell);
}

}  // namespace sondaro
