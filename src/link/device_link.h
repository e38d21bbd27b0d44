#pragma once
// The device link as one piece: connection, command queue, reply parser and
// the measurement state they fill.
#include "link/bulk_replies.h"
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
        parser(timers, view, state, readouts, connection.ReceiveBuffer(), queue),
        bulk(timers.GetClock(), state, queue) {
    state.LastActivity = timers.GetClock().Now();
    auto& h = parser.hooks;
    h.Histogram = [this](const std::string& b) { bulk.Histogram(b); };
    h.ModulationPower = [this](const std::string& b) { bulk.ModulationPower(b); };
    h.Capture = [this](const std::string& b) { bulk.Capture(b); };
    h.RawGroup = [this](const std::string& b) { bulk.RawGroup(b); };
    h.MemoryDump = [this](const std::string& b) { bulk.MemoryDump(b); };
  }
  void Send(const std::string& command) { queue.Send(command); }

  MeasurementState state;
  Readouts readouts;
  Connection connection;
  CommandQueue queue;
  ReplyParser parser;
  BulkReplies bulk;
};

}  // namespace sondaro
