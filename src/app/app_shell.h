#pragma once
// The frame of the program that is not a measurement: the application title,
// the second-start hand-off text, the tray and window visibility, the colour
// theme and the About box's hidden tip. The Qt front shows this state; the
// rules live here.
#include <functional>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/view.h"

namespace sondaro {

inline constexpr const char* kAppTitle = "Sondaro";
inline constexpr const char* kAppVersion = "1.3c";
inline constexpr const char* kMultiSetFile = "multi.set";
inline constexpr int kTrayIconId = 57051;

// "Sondaro", or with "multi.set" in the program's folder "Sondaro (n)" where
// n is the byte sum of the folder text ("C:\A\" gives "Sondaro (374)"), so
// copies in different folders run side by side.
[[nodiscard]] std::string ApplicationTitle(const std::string& appFolder, bool multiSet);

// What a second start hands to the first: every parameter followed by one
// blank; whenever the text so far contains ".EXE" (any case) it starts
// again, so "a.fms x.exe b.fms" hands over "b.fms ".
[[nodiscard]] std::string HandOffText(const std::vector<std::string>& parameters);

// Text received from a second start, trailing blanks removed.
[[nodiscard]] std::string ReceivedHandOff(const std::string& text);

// Tray tip: 64 characters or more become the first 60 and "...".
[[nodiscard]] std::string TrayTipText(const std::string& text);

// Theme colour from the Setup page's scroll bars (hue 0..255, saturation
// 0..160) at lightness 0.86.
[[nodiscard]] Color ThemeColor(int hue, int saturation);

// The About box keeps its hidden tip with every character code raised by one.
[[nodiscard]] std::string DecodeShifted(const std::string& text);
[[nodiscard]] std::string EncodeShifted(const std::string& text);

// An About link shows without its "mailto:".
[[nodiscard]] std::string AboutLinkCaption(const std::string& link);

class AppShell {
 public:
  AppShell(View& view, std::string title);

  // Tray double-click and "Show/Hide": invert the flag, show or hide.
  void CiaTray1DblClick();
  // Minimizing hides the window to the tray and leaves the flag as it was.
  void Minimize();
  // "SETTRAYICONHINT".
  void TrayUpdate(const std::string& text);
  // Moving a theme scroll bar; "Apply".
  void SetThemePosition(int hue, int saturation);
  void ApplyTheme();

  [[nodiscard]] const std::string& Title() const { return title_; }
  [[nodiscard]] const std::string& TrayTip() const { return trayTip_; }
  // Whether the main window is on screen now, and the flag saved as Visible.
  [[nodiscard]] bool WindowShown() const { return windowShown_; }
  [[nodiscard]] bool ShowFlag() const { return showFlag_; }
  void SetShowFlag(bool shown);  // at start, from "Visible"
  [[nodiscard]] Color Swatch() const { return ThemeColor(hue_, saturation_); }
  [[nodiscard]] Color Applied() const { return applied_; }
  [[nodiscard]] int Hue() const { return hue_; }
  [[nodiscard]] int Saturation() const { return saturation_; }

  bool UseSystemFont = true;  // "Use System Font (requires restart)"
  // Without a tray to come back from, the window is never hidden.
  bool TrayAvailable = true;

 private:
  View& view_;
  std::string title_;
  std::string trayTip_;
  bool showFlag_ = true;
  bool windowShown_ = true;
  int hue_ = 37;
  int saturation_ = 37;
  Color applied_;
};

}  // namespace sondaro
