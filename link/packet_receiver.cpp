// The packet receiver's state machine: header hunt, per-byte store and checksum,
// trailer checks.
#include "link/packet_receiver.h"

#include "common/second_deadline.h"
#include "link/packet_decoder.h"
#include "link/link_state.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

namespace {

constexpr int kByteTimeoutSeconds = 2;

} // namespace

PacketReceiver::PacketReceiver(SerialPort& port, const Clock& clock, EventLoop& events, LinkState& state,
                               StatusList& statusList, PacketDecoder& decoder)
    : port_(port), clock_(clock), events_(events), state_(state), statusList_(statusList), decoder_(decoder)
{
}

void PacketReceiver::onBytesArrived()
{
    if (handling_)
        return;
    handling_ = true;
    while (!state_.CmdInProgress && port_.isOpen() && port_.bytesWaiting() > 0)
        Com1_OnComm();
    handling_ = false;
}

bool PacketReceiver::waitForByte(Wait how)
{
    // A byte already waiting needs no deadline (the usual case: spares a clock read per byte).
    if (port_.bytesWaiting() > 0)
        return true;
    SecondDeadline deadline(clock_.secondOfMinute(), kByteTimeoutSeconds);
    while (port_.bytesWaiting() == 0) {
        // A port closed meanwhile has nothing more to give; a program asked to end
        // must not sit in a wait that runs no events.
        if (!port_.isOpen() || (how == Wait::Blocking && events_.endPending())
            || deadline.reachedAt(clock_.secondOfMinute()))
            return false;
        if (how == Wait::Yielding)
            events_.waitForEvents(kPollSliceMs);
        else
            port_.waitForBytes(kPollSliceMs);
    }
    return true;
}

void PacketReceiver::Com1_OnComm()
{
    if (state_.CmdInProgress)
        return;
    if (!waitForByte(Wait::Yielding))
        return;
    if (const auto byte = port_.readByte())
        InByte = *byte;

    if (Started_) {
        events_.yield();
        ++ByteCount_;
        PolarSubroutine();
        return;
    }

    if (InByte != packet::kHeader0)
        return;
    if (!waitForByte(Wait::Blocking)) {
        statusList_.addLine("Time out error");
        return;
    }
    if (port_.readByte() != packet::kHeader1)
        return;
    if (!waitForByte(Wait::Blocking)) {
        statusList_.addLine("Time out error");
        return;
    }
    events_.yield();
    if (port_.readByte() == packet::kHeader2) {
        ByteCount_ = 0;
        Started_ = true;
        PacketChecksum = packet::kHeaderSum;
    }
}

void PacketReceiver::PolarSubroutine()
{
    state_.NoDataSeconds = 0;
    if (ByteCount_ < packet::kChecksumPosition) {
        PacketBytes_[ByteCount_] = InByte;
        PacketChecksum += InByte;
        if (PacketChecksum > 255)
            PacketChecksum -= 256;
        return;
    }
    if (ByteCount_ == packet::kChecksumPosition) {
        checkAndDecode();
        return;
    }
    // The byte after a packet that the decoder left unfinished.
    Started_ = false;
}

void PacketReceiver::checkAndDecode()
{
    if (InByte != PacketChecksum) {
        Started_ = false;
        ByteCount_ = 0;
        return;
    }
    if (PacketBytes_[packet::kTrailer0Position] != packet::kTrailer0) {
        statusList_.addLine("FF error");
        Started_ = false;
        return;
    }
    if (PacketBytes_[packet::kTrailer1Position] != packet::kTrailer1) {
        statusList_.addLine("FE error");
        Started_ = false;
        return;
    }
    switch (decoder_.decode(PacketBytes_)) {
    case PacketDecoder::Outcome::Finished:
        Started_ = false;
        emit packetDecoded();
        break;
    case PacketDecoder::Outcome::CounterError:
        // Stay collecting from here on, without a header: the next frame is
        // normally dropped by its checksum or trailer.
        ByteCount_ = 0;
        break;
    case PacketDecoder::Outcome::CounterUnchanged:
    case PacketDecoder::Outcome::Failed:
        break;
    }
}
