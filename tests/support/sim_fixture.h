#pragma once
// An App in virtual time talking to the simulated analyzer.
#include <gtest/gtest.h>

#include "app/app.h"
#include "sim/sim_link.h"

namespace sondaro::test {

class SimFixture : public ::testing::Test {
 protected:
  explicit SimFixture(sim::SimOptions options = {}) : ports(clock, std::move(options)) {
    ports.Attach(app.timers);
  }
  ~SimFixture() override { ports.Detach(); }

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  // Opens the serial link to the analyzer and lets the first "?F" be
  // answered.
  void ConnectSerial() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    Advance(1500);
  }
  void ConnectTcp() {
    app.link.connection.Settings.RGCON = 1;
    app.link.connection.BitBtn2Click();
    Advance(1500);
  }
  sim::Model& Model() { return ports.GetModel(); }

  VirtualClock clock;
  SilentDialogs dialogs;
  sim::SimulatedAnalyzerPorts ports;
// AppPorts grows with the program; the ports not named here keep their
// defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
  App app{AppPorts{.clock = clock, .serial = ports.Serial(), .tcp = ports.Tcp(), .dialogs = dialogs}};
#pragma GCC diagnostic pop
};

}  // namespace sondaro::test
