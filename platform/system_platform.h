// The outside world as every program of the package reaches it: the wall clock, the event
// loop's call backs, the monitor's serial port and the per-user settings store, each of one
// instance (the default one unless named).
#pragma once

#include "platform/com_port_path.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_settings_store.h"

#include <string>

struct SystemPlatform {
    explicit SystemPlatform(const std::string& instance = {}) : port(userConfigDir(), instance), store(instance) {}

    QtClock clock;
    QtEventLoop events;
    QtSerialPort port;
    QtSettingsStore store;
};
