// A monitor on the fake port, clock and event loop, with the emulated KVO-7730 at the
// far end and the monitor's setup on it; the setup window's list and the main window's
// are recorded. Jobs run on virtual time.
//
// Header-only; a test that includes it links the setup and simulator libraries.
#pragma once

#include "monitor_on_fakes.h"
#include "recording_status_list.h"

#include "link/link_settings.h"
#include "monitor/monitor.h"
#include "monitor_setup/monitor_setup.h"
#include "simulator/monitor_emulator.h"

#include <QObject>
#include <algorithm>
#include <string>
#include <vector>

struct SetupRig : MonitorOnFakes {
    MonitorEmulator emulator;
    MonitorSetup setup{monitor};

    QObject observer; // stands for the window that asked
    RecordingStatusList List1;    // the setup window's
    RecordingStatusList mainList; // the main window's

    explicit SetupRig(const ResponseMode& responses = {}) : emulator(MonitorState{}, responses, StreamFaults{})
    {
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        setup.statusList().mirrorTo(List1, &observer);
        monitor.statusList().mirrorTo(mainList, &observer);
        port.open(SerialPortConfig{});
    }

    // The end of the run ends whatever job is still under way.
    ~SetupRig() { monitor.end(); }

    SetupRig(const SetupRig&) = delete;
    SetupRig& operator=(const SetupRig&) = delete;

    // The watchdog has just seen a packet: real time counts as on.
    void realTimeFlows()
    {
        emulator.state().realTimeOn = true;
        monitor.realTime().watchdogTick();
    }

    // The watchdog has gone long enough without a packet: real time counts as off.
    void realTimeStopsFlowing()
    {
        for (int tick = 0; tick < 10 && monitor.state().RealTimeOn; ++tick)
            monitor.realTime().watchdogTick();
    }

    // Lets virtual time pass until every job has ended; the virtual milliseconds it took.
    std::int64_t runJobs()
    {
        const std::int64_t start = clock.elapsedMs();
        events.runUntil([this] { return !monitor.busy(); });
        return clock.elapsedMs() - start;
    }

    bool wrote(std::string_view word) const
    {
        return std::find(port.writes.begin(), port.writes.end(), word) != port.writes.end();
    }

    // A result handed to the observer, kept for the test.
    template <typename Result>
    MonitorSetup::Reply<Result> keep(std::optional<Result>& into)
    {
        return [&into](const Result& result) { into = result; };
    }
};
