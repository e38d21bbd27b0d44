#pragma once
// The engine keeps what the controls show; the front end is told which part
// of that state changed and re-reads it.
#include <functional>
#include <string>
#include <vector>

namespace sondaro {

// Areas of the window whose state lives in the engine. Extend as pages grow.
enum class Area {
  Connection,  // link settings, Connect/Disconnect enabled states
  Lamps,       // TX and RX lamps
  Readouts,    // Frequency, Signal, Pilot, RDS, Deviation MAX/Phase Diff.
  StatusBar,
  Mode,           // mode buttons
  FrequencyList,  // list contents and selection
  Online,         // "Online Deviation and Signal" and the third frame caption
  Deviation,
  ModulationPower,
  Mpx,
  RfCarrier,
  Rds,
  RawRds,
  Bandscan,
  Script,
  SocketControl,
  Scheduler,
  Setup,
  Shell,  // window visibility, tray tip, theme
  Ftp,       // FTP indicator
  Recorder,  // REC indicator
};

// Chart names used by image commands.
enum class ChartTag { DEV, PM, MPX, RF, BAND, EBND };

class View {
 public:
  virtual ~View() = default;
  virtual void Changed(Area area) = 0;
  virtual void Repaint(ChartTag tag) = 0;
};

// Fan-out to any number of listeners; the engine holds one of these.
class ViewHub final : public View {
 public:
  void Changed(Area area) override {
    for (auto& l : listeners_) l->Changed(area);
  }
  void Repaint(ChartTag tag) override {
    for (auto& l : listeners_) l->Repaint(tag);
  }
  void Add(View* listener) { listeners_.push_back(listener); }
  void Remove(View* listener) {
    std::erase(listeners_, listener);
  }

 private:
  std::vector<View*> listeners_;
};

// Text of the status bar at the bottom of the main window; several Parts
// write it.
class StatusBar {
 public:
  explicit StatusBar(View& view) : view_(view) {}
  void SetText(std::string text) {
    text_ = std::move(text);
    view_.Changed(Area::StatusBar);
  }
  [[nodiscard]] const std::string& Text() const { return text_; }

 private:
  View& view_;
  std::string text_;
};

}  // namespace sondaro
