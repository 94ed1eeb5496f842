// The packet receiver and decoder wired to the fake port, clock and event loop; bytes
// fed for a virtual time are notified when the loop reaches it.
//
// Header-only; a test that includes it links the link library.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_list.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"

#include <QObject>
#include <string_view>
#include <vector>

struct ReceiverRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock, events};
    LinkState state;
    RecordingStatusList statusList;
    PacketDecoder decoder{statusList, clock};
    PacketReceiver receiver{port, clock, events, state, statusList, decoder};

    // packetDecoded signals; with keepPosted, a copy of the readings at each, and with
    // keepFactorTexts the diagnostic texts (Text3 to Text6) of each decoded packet.
    int posts = 0;
    bool keepPosted = true;
    bool keepFactorTexts = true;
    std::vector<LiveReadings> posted;
    std::vector<PowerFactorTexts> factorTexts;

    explicit ReceiverRig(DateTime start = DateTime{2026, 12, 8, 10, 15, 30}) : clock(start)
    {
        QObject::connect(&receiver, &PacketReceiver::packetDecoded, [this] {
            ++posts;
            if (keepPosted)
                posted.push_back(decoder.readings());
            if (keepFactorTexts)
                factorTexts.push_back(decoder.powerFactorTexts());
        });
        port.open(SerialPortConfig{});
        port.setReceiveHandler([this] { receiver.onBytesArrived(); });
    }

    ReceiverRig(const ReceiverRig&) = delete;
    ReceiverRig& operator=(const ReceiverRig&) = delete;

    const LiveReadings& readings() const { return decoder.readings(); }

    // Bytes arrive and the port raises its receive notification at once.
    void deliver(std::string_view bytes)
    {
        port.feed(bytes);
        port.notify();
    }
};
