#pragma once
// An App in virtual time with fake link ports.
#include <gtest/gtest.h>

#include "app/app.h"
#include "support/fakes.h"

namespace sondaro::test {

class AppFixture : public ::testing::Test {
 protected:
  VirtualClock clock;
  FakeSerialPort serial;
  FakeTcpClient tcp;
  SilentDialogs dialogs;
  App app{AppPorts{clock, serial, tcp, dialogs}};

  void Advance(Millis ms) { AdvanceVirtual(clock, app.timers, ms); }
  // Opens a serial link and forgets what it wrote on the way up.
  void ConnectSerial() {
    app.link.connection.Settings.RGCON = 0;
    app.link.connection.BitBtn2Click();
    Advance(4000);  // "?F" written and its wait over
    serial.Written.clear();
  }
  // Delivers bytes from the analyzer and lets the parser work them off.
  void Receive(const std::string& bytes, Millis settle = 1000) {
    serial.Arrive(bytes);
    Advance(settle);
  }
};

}  // namespace sondaro::test
