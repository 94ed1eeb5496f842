// The three-letter command exchange with the monitor: attention handshake,
// command send and acknowledgement wait.
#pragma once

#include <cstdint>
#include <string_view>

class Clock;
class EventLoop;
class PortManager;
class SerialPort;
class StatusList;

namespace monitor_command {
constexpr char kAck = static_cast<char>(252);  // acknowledgement, and the attention byte
constexpr std::uint8_t kAckByte = static_cast<std::uint8_t>(kAck);
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
    CommandExchange(SerialPort& port, const Clock& clock, EventLoop& events, StatusList& List1,
                    PortManager& ports);

    // Attention handshake: true when the monitor answers 252 within the time-out.
    bool Send_Receive_Ack();

    // Writes the three characters one by one; with WaitForAck, waits for the
    // acknowledgement and reports whether it came.
    bool SendASCII(std::string_view AsciiChr, bool WaitForAck);

    // Waits up to about two seconds, without running other events, for one byte;
    // true when that byte is 252.
    bool GetAckByte();

private:
    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    StatusList& List1_;
    PortManager& ports_;
};
