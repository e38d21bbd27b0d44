#pragma once
// A device link in virtual time with a view that counts chart repaints: the
// ground the measurement stores stand on.
#include <gtest/gtest.h>

#include <map>

#include "core/formats.h"
#include "link/device_link.h"
#include "support/fakes.h"
#include "support/recording_canvas.h"

namespace sondaro::test {

class CountingView : public View {
 public:
  void Changed(Area area) override { ++changed[area]; }
  void Repaint(ChartTag tag) override { ++repaints[tag]; }
  std::map<Area, int> changed;
  std::map<ChartTag, int> repaints;
};

class LinkFixture : public ::testing::Test {
 protected:
  LinkFixture() { Formats() = FormatSettings{}; }
  ~LinkFixture() override { Formats() = FormatSettings{}; }
  // Commands queued so far, oldest first.
  std::vector<std::string> Queued() const {
    return {link.queue.Commands().begin(), link.queue.Commands().end()};
  }

  VirtualClock clock;  // wall time 2024-01-15 12:00:00
  TimerSet timers{clock};
  CountingView view;
  StatusBar status{view};
  FakeSerialPort serial;
  FakeTcpClient tcp;
  DeviceLink link{timers, view, status, serial, tcp};
};

}  // namespace sondaro::test
