// The three-letter command exchange with the monitor: the attention handshake, the
// command send and the acknowledgement wait, each a step of an exchange job.
#pragma once

#include "common/task.h"

#include <cstdint>
#include <string_view>

class ExchangeWaits;
class PortManager;
class SerialPort;
class StatusList;
class WireTrace;

namespace monitor_command {
constexpr char kAck = static_cast<char>(252);  // acknowledgement, and the attention byte
constexpr std::uint8_t kAckByte = static_cast<std::uint8_t>(kAck);
constexpr std::string_view Attention(&kAck, 1);
constexpr std::string_view Toggle = "TOG";
constexpr std::string_view RealTimeOn = "PLR";
constexpr std::string_view RealTimeOff = "OFF";
constexpr std::string_view Set = "SET";
constexpr std::string_view NegateChannel1 = "NG1";
constexpr std::string_view NegateChannel2 = "NG2";
constexpr std::string_view ResetRequest = "RQS";
constexpr std::string_view Reset = "RST";
constexpr std::string_view CtChannel1 = "CT1";
constexpr std::string_view CtChannel2 = "CT2";
constexpr std::string_view CtType = "TYP";
constexpr std::string_view CtRange = "RNG";
constexpr std::string_view PtType = "PTT";
constexpr std::string_view PtRange = "PTR";
constexpr std::string_view StorageInterval = "IVL";
constexpr std::string_view DeviceId = "UID";
constexpr std::string_view ReadSettings = "RCV";
} // namespace monitor_command

class CommandExchange {
public:
    CommandExchange(SerialPort& port, ExchangeWaits& waits, StatusList& statusList, PortManager& ports);

    // The attention handshake: opens a closed port (a line when it cannot), drops what is
    // left of the packet stream, writes 252; true when the monitor answers 252 within 3 s.
    Task<bool> attention();

    // Writes the command's three characters one by one; with waitForAck, waits for the
    // acknowledgement and, when it came, gives the monitor 140 ms. True when the
    // characters were written and, if waited for, acknowledged.
    Task<bool> send(std::string_view command, bool waitForAck);

    // Writes the bytes in one write; true when the monitor acknowledges them.
    Task<bool> writeAcknowledged(std::string_view bytes);

    // Waits up to about two seconds for one byte; true when that byte is 252.
    Task<bool> acknowledgement();

    // Reads and drops every byte waiting (what is left of the packet stream).
    void discardInput();

private:
    SerialPort& port_;
    ExchangeWaits& waits_;
    StatusList& statusList_;
    PortManager& ports_;
};
