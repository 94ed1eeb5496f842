// The setup window's own exchange primitives: its Send_Receive_Ack and SendASCII, which
// differ from the link's, the two-try acknowledge handshake, and value bytes.
#pragma once

#include "monitor_setup/setup_link.h"

#include <cstdint>
#include <string_view>

class SetupExchange {
public:
    explicit SetupExchange(const SetupLink& link) : link_(link) {}

    // Opens a closed port without looking at the outcome; false when the write of the
    // attention byte fails or the monitor does not answer 252 within the time-out.
    bool Send_Receive_Ack();

    // The three characters in three writes, then always the acknowledgement wait;
    // true only when 252 came. WaitForAck is accepted and not used.
    bool SendASCII(std::string_view AsciiChr, bool WaitForAck = true);

    bool GetAckByte();

    // Send_Receive_Ack, and once more when the first try fails.
    bool acknowledgeHandshake();

    // One value byte in its own write, then the acknowledgement wait.
    bool sendValue(std::uint8_t value);

private:
    SetupLink link_;
};
