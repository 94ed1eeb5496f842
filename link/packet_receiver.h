// The receive side of the real-time link: hunts for the packet header, collects
// and checks each packet, and hands it to the decoder.
#pragma once

#include "link/packet_layout.h"

#include <QObject>
#include <cstdint>

class Clock;
class EventLoop;
class PacketDecoder;
class SerialPort;
class StatusList;
struct LinkState;

class PacketReceiver : public QObject {
    Q_OBJECT

public:
    PacketReceiver(SerialPort& port, const Clock& clock, EventLoop& events, LinkState& state,
                   StatusList& statusList, PacketDecoder& decoder);

    // The port's receive notification: one receive event per waiting byte, in arrival
    // order, while no command exchange owns the port. A notification that arrives while
    // an earlier one is still at work (it yields) returns at once; the earlier one takes
    // the new bytes in turn.
    void onBytesArrived();

    // One receive event.
    void Com1_OnComm();

    bool Started() const { return Started_; }
    int ByteCount() const { return ByteCount_; }

signals:
    // A packet passed its checks and the decoder turned it into new readings.
    void packetDecoded();

private:
    // Waits up to the two-second deadline for a byte; the yielding wait lets other
    // events run, the other one blocks on the port alone.
    enum class Wait { Yielding, Blocking };
    bool waitForByte(Wait how);
    void PolarSubroutine();
    void checkAndDecode();

    SerialPort& port_;
    const Clock& clock_;
    EventLoop& events_;
    LinkState& state_;
    StatusList& statusList_;
    PacketDecoder& decoder_;

    bool Started_ = false;
    std::int16_t ByteCount_ = 0;
    PacketBytes PacketBytes_{};
    std::int16_t PacketChecksum = 0;
    std::uint8_t InByte = 0;
    bool handling_ = false;
};
