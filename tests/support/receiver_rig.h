// The packet receiver and decoder wired to the fake port, clock and event loop.
//
// Header-only; a test that includes it links the link library.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_list.h"

#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "link/program_state.h"

#include <string_view>
#include <vector>

struct ReceiverRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    ProgramState state;
    RecordingStatusList statusList;

    // PostReadings calls; with keepPosted, a copy of the readings at each call, and with
    // keepFactorTexts the diagnostic texts (Text3 to Text6) of each decoded packet.
    int posts = 0;
    bool keepPosted = true;
    bool keepFactorTexts = true;
    std::vector<LiveReadings> posted;
    std::vector<PowerFactorTexts> factorTexts;

    PacketDecoder decoder{state.readings, statusList, clock,
                          {[this] {
                               ++posts;
                               if (keepPosted)
                                   posted.push_back(state.readings);
                           },
                           [this](const PowerFactorTexts& texts) {
                               if (keepFactorTexts)
                                   factorTexts.push_back(texts);
                           }}};
    PacketReceiver receiver{port, clock, events, state, statusList, decoder};

    explicit ReceiverRig(DateTime start = DateTime{2026, 12, 8, 10, 15, 30}) : clock(start)
    {
        port.open(SerialPortConfig{});
        port.setReceiveHandler([this] { receiver.onBytesArrived(); });
    }

    // Bytes arrive and the port raises its receive notification.
    void deliver(std::string_view bytes)
    {
        port.feed(bytes);
        port.notify();
    }
};
