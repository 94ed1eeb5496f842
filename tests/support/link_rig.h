// The link's exchange parts (waits, port manager, command exchange, ZigBee discovery,
// real-time control) wired to the fake port, clock, event loop, message boxes and
// status displays, with every signal recorded. Jobs run on virtual time.
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
#include "link/exchange_waits.h"
#include "link/link_displays.h"
#include "link/link_settings.h"
#include "link/link_state.h"
#include "link/polarity_toggle.h"
#include "link/port_manager.h"
#include "link/real_time_control.h"
#include "link/zigbee_discovery.h"

#include <QObject>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct LinkRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock, events};
    LinkSettings settings{.CommMethod = comm_method::UsbCable};
    LinkState state;
    ScriptedDialogs dialogs;

    RecordingStatusList List1;
    RecordingStatusBox mainPortBox;
    RecordingStatusBox mainRealTimeBox;
    LinkDisplays displays{.List1 = List1, .mainPortBox = mainPortBox, .mainRealTimeBox = mainRealTimeBox};

    ExchangeWaits waits{events, clock, port, dialogs};
    PortManager ports{port, waits, settings, dialogs, displays};
    CommandExchange exchange{port, waits, List1, ports};
    ZigbeeDiscovery discovery{port, waits, dialogs, ports};
    RealTimeControl control{{.port = port,
                             .clock = clock,
                             .waits = waits,
                             .dialogs = dialogs,
                             .displays = displays,
                             .ports = ports,
                             .commands = exchange,
                             .discovery = discovery},
                            settings,
                            state};
    PolarityToggle polarity{port, waits, exchange, state};

    // What the link announced.
    int comPanelShown = 0;     // comPanelWanted
    int comPanelListings = 0;  // portSearchWanted
    int tcpServerStarts = 0;   // tcpServerStartWanted
    int tcpServerStartsIfClosed = 0;
    std::vector<bool> realTimeChanges;
    std::vector<bool> realTimeSwitches;
    std::vector<bool> closesChosen; // whether each closed the port
    int portsOpened = 0;
    int portsClosed = 0;
    int portsLost = 0;

    WordPeer monitor;

    explicit LinkRig(DateTime start = DateTime{2026, 12, 8, 10, 15, 30}) : clock(start)
    {
        QObject::connect(&control, &RealTimeControl::comPanelWanted, [this] { ++comPanelShown; });
        QObject::connect(&control, &RealTimeControl::tcpServerStartWanted, [this] { ++tcpServerStarts; });
        QObject::connect(&control, &RealTimeControl::tcpServerStartIfClosedWanted,
                         [this] { ++tcpServerStartsIfClosed; });
        QObject::connect(&control, &RealTimeControl::realTimeChanged,
                         [this](bool on) { realTimeChanges.push_back(on); });
        QObject::connect(&control, &RealTimeControl::realTimeSwitched,
                         [this](bool on) { realTimeSwitches.push_back(on); });
        QObject::connect(&ports, &PortManager::closeChosen, [this](bool wasOpen) { closesChosen.push_back(wasOpen); });
        QObject::connect(&ports, &PortManager::portSearchWanted, [this] { ++comPanelListings; });
        QObject::connect(&ports, &PortManager::portOpened, [this] { ++portsOpened; });
        QObject::connect(&ports, &PortManager::portClosed, [this] { ++portsClosed; });
        QObject::connect(&ports, &PortManager::portLost, [this] { ++portsLost; });
        port.peer = [this](std::string_view bytes) { return monitor(bytes); };
        port.setReceiveHandler([this] { waits.bytesArrived(); });
    }

    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    // The monitor answers by this script from now on.
    void monitorAnswers(WordPeer::Script script) { monitor = WordPeer(std::move(script)); }

    void openPort() { port.open(SerialPortConfig{}); }

    // Runs one step of a job to its end on virtual time; its result.
    template <typename T>
    T run(Task<T> task)
    {
        return runToEnd(events, std::move(task));
    }

    // The node searches that were sent to a dongle ("ATDNE1\r" is 1), in order.
    std::vector<int> zigbeeSearches() const
    {
        std::vector<int> versions;
        for (const std::string& write : port.writes) {
            if (write.rfind("ATDNE", 0) == 0 && write.size() > 5)
                versions.push_back(write[5] - '0');
        }
        return versions;
    }

    // How often `needle` occurs in everything written.
    int writtenCount(std::string_view needle) const
    {
        int found = 0;
        for (auto at = port.written.find(needle); at != std::string::npos; at = port.written.find(needle, at + 1))
            ++found;
        return found;
    }
};
