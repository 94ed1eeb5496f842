// The command exchange, port manager and real-time control wired to the fake port,
// clock, event loop, message boxes and status displays, with every hook recorded.
//
// Header-only; a test that includes it links the link library.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_box.h"
#include "recording_status_list.h"
#include "scripted_dialogs.h"
#include "word_peer.h"

#include "link/command_exchange.h"
#include "link/link_displays.h"
#include "link/port_manager.h"
#include "link/program_state.h"
#include "link/real_time_control.h"

#include <string>
#include <vector>

struct LinkRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    ProgramState state;
    ScriptedDialogs dialogs;

    RecordingStatusList List1;
    RecordingStatusBox mainPortBox;
    RecordingStatusBox mainRealTimeBox;
    RecordingStatusBox webRealTimeBox;
    RecordingStatusBox comPanelPortBox;
    LinkDisplays displays{List1, mainPortBox, mainRealTimeBox, webRealTimeBox, comPanelPortBox};

    // What the hooks were asked to do.
    int comPanelShown = 0;
    int comPanelListings = 0;
    int tcpServerStarts = 0;
    bool tcpServerIsClosed = true;
    std::vector<int> zigbeeSearches;
    LinkHooks hooks{
        [this] { ++comPanelShown; },
        [this] { ++comPanelListings; },
        [this] { ++tcpServerStarts; },
        [this] { return tcpServerIsClosed; },
        [this](int version) { zigbeeSearches.push_back(version); },
    };

    PortManager ports{port, events, state, dialogs, displays, hooks};
    CommandExchange exchange{port, clock, events, List1, ports};
    RealTimeControl control{port, clock, events, state, dialogs, displays, hooks, ports, exchange};

    WordPeer monitor;

    LinkRig()
    {
        state.CommMethod = comm_method::UsbCable;
        port.peer = [this](std::string_view bytes) { return monitor(bytes); };
    }

    // The monitor answers by this script from now on.
    void monitorAnswers(WordPeer::Script script) { monitor = WordPeer(std::move(script)); }

    void openPort() { port.open(SerialPortConfig{}); }
};
