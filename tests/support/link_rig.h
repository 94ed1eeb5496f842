// The command exchange, port manager and real-time control wired to the fake port,
// clock, event loop, message boxes and status displays, with every signal recorded.
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
#include "link/link_settings.h"
#include "link/link_state.h"
#include "link/port_manager.h"
#include "link/real_time_control.h"

#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

struct LinkRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    LinkSettings settings{.CommMethod = comm_method::UsbCable};
    LinkState state;
    // Right behind the port list: a search that writes past the list's end lands here.
    std::int16_t afterPortList = 0x7730;
    ScriptedDialogs dialogs;

    RecordingStatusList List1;
    RecordingStatusBox mainPortBox;
    RecordingStatusBox mainRealTimeBox;
    RecordingStatusBox webRealTimeBox;
    RecordingStatusBox comPanelPortBox;
    LinkDisplays displays{.List1 = List1,
                          .mainPortBox = mainPortBox,
                          .mainRealTimeBox = mainRealTimeBox,
                          .webRealTimeBox = webRealTimeBox,
                          .comPanelPortBox = comPanelPortBox};

    PortManager ports{port, events, settings, state, dialogs, displays};
    CommandExchange exchange{port, clock, events, List1, ports};
    RealTimeControl control{port, clock, events, settings, state, dialogs, displays, ports, exchange};

    // What the link announced.
    int comPanelShown = 0;     // comPanelWanted
    int comPanelListings = 0;  // portSearchWanted
    int tcpServerStarts = 0;   // tcpServerStartWanted
    int tcpServerStartsIfClosed = 0;
    std::vector<int> zigbeeSearches;
    std::vector<bool> realTimeChanges;
    int portsOpened = 0;
    int portsClosed = 0;
    int portsLost = 0;

    WordPeer monitor;

    LinkRig()
    {
        QObject::connect(&control, &RealTimeControl::comPanelWanted, [this] { ++comPanelShown; });
        QObject::connect(&control, &RealTimeControl::zigbeeNodeSearchWanted,
                         [this](int version) { zigbeeSearches.push_back(version); });
        QObject::connect(&control, &RealTimeControl::tcpServerStartWanted, [this] { ++tcpServerStarts; });
        QObject::connect(&control, &RealTimeControl::tcpServerStartIfClosedWanted,
                         [this] { ++tcpServerStartsIfClosed; });
        QObject::connect(&control, &RealTimeControl::realTimeChanged,
                         [this](bool on) { realTimeChanges.push_back(on); });
        QObject::connect(&ports, &PortManager::portSearchWanted, [this] { ++comPanelListings; });
        QObject::connect(&ports, &PortManager::portOpened, [this] { ++portsOpened; });
        QObject::connect(&ports, &PortManager::portClosed, [this] { ++portsClosed; });
        QObject::connect(&ports, &PortManager::portLost, [this] { ++portsLost; });
        port.peer = [this](std::string_view bytes) { return monitor(bytes); };
    }

    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    // The monitor answers by this script from now on.
    void monitorAnswers(WordPeer::Script script) { monitor = WordPeer(std::move(script)); }

    void openPort() { port.open(SerialPortConfig{}); }
};
