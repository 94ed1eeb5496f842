// A monitor reached by the cable on the fake port, clock and virtual-time event loop, with
// scripted message boxes. Jobs run as the test lets time pass.
//
// Header-only; a test that includes it links the monitor library.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "scripted_dialogs.h"

#include "link/link_settings.h"
#include "monitor/monitor.h"

struct MonitorOnFakes {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock, events};
    ScriptedDialogs dialogs;
    LinkSettings settings{.CommMethod = comm_method::UsbCable};
    Monitor monitor{{.port = port, .clock = clock, .events = events, .dialogs = dialogs}, settings};
};
