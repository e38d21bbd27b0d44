#pragma once
// The RDS subsystem as one piece: the decoded values and page text, the raw
// group capture and the relay to the external decoder, with the text-file
// save dialog they share with the report.
#include <string>

#include "core/ports.h"
#include "core/shell.h"
#include "core/view.h"
#include "link/device_link.h"
#include "rds/block_error_rate.h"
#include "rds/group_log.h"
#include "rds/quillet_relay.h"
#include "rds/raw_capture.h"
#include "rds/rds_data.h"
#include "rds/text_file_dialog.h"

namespace sondaro {

class RdsSubsystem {
 public:
  RdsSubsystem(View& view, DeviceLink& link, Dialogs& dialogs, NetworkFactory* network,
               Shell* shell, const std::string& appFolder, int relayPort = kQuilletPort)
      : textDialog(dialogs, appFolder),
        data(view, link.queue, link.state, textDialog),
        raw(view, link.queue, link.state, textDialog, data, appFolder),
        relay(network, shell, dialogs, link.queue, raw, appFolder, relayPort),
        groupLog(appFolder) {}

  TextFileDialog textDialog;  // SD3Dir
  RdsStore data;
  RawCapture raw;
  QuilletRelay relay;
  BlockErrorRate bler;   // lost blocks of the stream, last 10 s and minute
  RdsGroupLog groupLog;  // every group to a daily file
};

}  // namespace sondaro
