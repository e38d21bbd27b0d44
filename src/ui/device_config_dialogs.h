#pragma once
// The "DIP Switches" and "M140 Alarm Outputs Configuration" dialogs: they edit
// the engine's values in place and say how they were closed.
#include <QWidget>

#include "devconfig/alarm_outputs.h"
#include "devconfig/dip_switches.h"

namespace sondaro {

// Modal; the choices made stay in `dip` whatever button closes it.
bool ShowDipSwitchesDialog(QWidget* parent, DipSwitches& dip);
AlarmDialogResult ShowAlarmOutputsDialog(QWidget* parent, AlarmOutputs& alarms);

}  // namespace sondaro
