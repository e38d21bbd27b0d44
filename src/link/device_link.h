#pragma once
// The device link as one piece: connection, command queue, reply parser and
// the measurement state they fill.
#include "link/command_queue.h"
#include "link/connection.h"
#include "link/measurement_state.h"
#include "link/reply_parser.h"

namespace sondaro {

class DeviceLink {
 public:
  DeviceLink(TimerSet& timers, View& view, StatusBar& status, SerialPort& serial, TcpClient& tcp)
      : connection(timers, view, status, state, serial, tcp),
        queue(timers, state, [this](const std::string& c) { connection.WriteCommand(c); }),
        parser(timers, view, state, readouts, connection.ReceiveBuffer(), queue) {
    state.LastActivity = timers.GetClock().Now();
  }
  void Send(const std::string& command) { queue.Send(command); }

  MeasurementState state;
  Readouts readouts;
  Connection connection;
  CommandQueue queue;
  ReplyParser parser;
};

}  // namespace sondaro
