// The outside world as every program of the package reaches it: the wall clock, the event
// loop's call backs, the monitor's serial port and the per-user settings store.
#pragma once

#include "platform/com_port_path.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_settings_store.h"

struct SystemPlatform {
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port{userConfigDir()};
    QtSettingsStore store;
};
