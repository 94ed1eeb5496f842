// The receive side of the real-time link: hunts for the packet header, collects
// and checks each packet, and hands it to the decoder. It takes the bytes that are
// waiting whenever the port says some arrived, and never waits inside a handler.
#pragma once

#include "common/second_deadline.h"
#include "link/packet_layout.h"
#include "platform/event_loop.h"

#include <QObject>
#include <cstdint>

class Clock;
class PacketDecoder;
class SerialPort;
class StatusList;
struct LinkState;

class PacketReceiver : public QObject {
    Q_OBJECT

public:
    PacketReceiver(SerialPort& port, const Clock& clock, EventLoop& loop, LinkState& state, StatusList& statusList,
                   PacketDecoder& decoder);
    ~PacketReceiver() override;

    // The port's receive notification: every waiting byte, in arrival order, unless an
    // exchange holds the input.
    void onBytesArrived();

    // While held, the bytes stay in the port for an exchange; on release the receiver
    // takes what is waiting.
    void hold(bool held);
    bool held() const { return held_; }

    bool Started() const { return stage_ == Stage::Collecting; }
    int ByteCount() const { return ByteCount_; }

signals:
    // A packet passed its checks and the decoder turned it into new readings.
    void packetDecoded();

private:
    // Hunting for 254, then for 255 and 1 right behind it, then collecting.
    enum class Stage { Hunting, AfterFirstHeaderByte, AfterSecondHeaderByte, Collecting };

    void take(std::uint8_t byte);
    void PolarSubroutine();
    void checkAndDecode();
    // Inside the header the next byte must come within the two-second deadline.
    void watchHeaderDeadline();
    void checkHeaderDeadline();

    SerialPort& port_;
    const Clock& clock_;
    EventLoop& loop_;
    LinkState& state_;
    StatusList& statusList_;
    PacketDecoder& decoder_;

    Stage stage_ = Stage::Hunting;
    bool held_ = false;
    std::int16_t ByteCount_ = 0;
    PacketBytes PacketBytes_{};
    std::int16_t PacketChecksum = 0;
    std::uint8_t InByte = 0;
    // The deadline for the header's next byte, and its check.
    SecondDeadline headerDeadline_{0, 0};
    EventLoop::TimerId headerCheck_ = 0;
};
