// Arbitrary bytes on the serial line: the receiver hunts, collects and checks, the
// decoder turns what passes into readings. Nothing may crash, hang or overflow.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_list.h"

#include "link/link_state.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FakeClock clock(DateTime{2026, 12, 8, 10, 15, 30});
    FakeEventLoop events(clock);
    FakeSerialPort port(clock, events);
    LinkState state;
    RecordingStatusList statusList;
    PacketDecoder decoder(statusList, clock);
    PacketReceiver receiver(port, clock, events, state, statusList, decoder);
    port.open(SerialPortConfig{});
    port.setReceiveHandler([&receiver] { receiver.onBytesArrived(); });

    // The first byte says where the bytes split into two notifications, a second apart,
    // so that packets and headers are cut where the input likes and header deadlines run.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]) % (bytes.size() + 1);
    port.feed(bytes.substr(0, split));
    port.notify();
    events.runFor(1000);
    port.feed(bytes.substr(split));
    port.notify();
    if (!events.runUntilIdle())
        __builtin_trap();  // a call back that keeps starting another: a hang
    return 0;
}
