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
    FakeSerialPort port(clock);
    LinkState state;
    RecordingStatusList statusList;
    PacketDecoder decoder(statusList, clock);
    PacketReceiver receiver(port, clock, events, state, statusList, decoder);
    port.open(SerialPortConfig{});

    port.feed(std::string_view(reinterpret_cast<const char*>(data), size));
    receiver.onBytesArrived();
    return 0;
}
