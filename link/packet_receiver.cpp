// The packet receiver's state machine: header hunt, per-byte store and checksum,
// trailer checks.
#include "link/packet_receiver.h"

#include "link/link_state.h"
#include "link/packet_decoder.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

namespace {

constexpr int kByteTimeoutSeconds = 2;
// How often a header waiting for its next byte looks at the clock.
constexpr int kHeaderCheckMs = 250;

} // namespace

PacketReceiver::PacketReceiver(SerialPort& port, const Clock& clock, EventLoop& loop, LinkState& state,
                               StatusList& statusList, PacketDecoder& decoder)
    : port_(port), clock_(clock), loop_(loop), state_(state), statusList_(statusList), decoder_(decoder)
{
}

PacketReceiver::~PacketReceiver()
{
    if (headerCheck_ != 0)
        loop_.cancel(headerCheck_);
}

void PacketReceiver::hold(bool held)
{
    held_ = held;
    if (!held_)
        onBytesArrived();
}

void PacketReceiver::onBytesArrived()
{
    while (!held_ && port_.isOpen() && port_.bytesWaiting() > 0) {
        if (const auto byte = port_.readByte())
            take(*byte);
    }
    if (stage_ == Stage::AfterFirstHeaderByte || stage_ == Stage::AfterSecondHeaderByte)
        watchHeaderDeadline();
}

void PacketReceiver::take(std::uint8_t byte)
{
    InByte = byte;
    switch (stage_) {
    case Stage::Collecting:
        ++ByteCount_;
        PolarSubroutine();
        return;
    case Stage::Hunting:
        if (InByte == packet::kHeader0) {
            stage_ = Stage::AfterFirstHeaderByte;
            headerDeadline_ = SecondDeadline(clock_.secondOfMinute(), kByteTimeoutSeconds);
        }
        return;
    case Stage::AfterFirstHeaderByte:
        // Anything but 255 drops both bytes: hunting goes on with the next byte.
        stage_ = InByte == packet::kHeader1 ? Stage::AfterSecondHeaderByte : Stage::Hunting;
        headerDeadline_ = SecondDeadline(clock_.secondOfMinute(), kByteTimeoutSeconds);
        return;
    case Stage::AfterSecondHeaderByte:
        stage_ = Stage::Hunting;
        if (InByte == packet::kHeader2) {
            ByteCount_ = 0;
            stage_ = Stage::Collecting;
            PacketChecksum = packet::kHeaderSum;
        }
        return;
    }
}

void PacketReceiver::watchHeaderDeadline()
{
    if (headerCheck_ == 0)
        headerCheck_ = loop_.callAfter(kHeaderCheckMs, [this] { checkHeaderDeadline(); });
}

void PacketReceiver::checkHeaderDeadline()
{
    headerCheck_ = 0;
    if (stage_ != Stage::AfterFirstHeaderByte && stage_ != Stage::AfterSecondHeaderByte)
        return;
    if (!headerDeadline_.reachedAt(clock_.secondOfMinute()) || (!held_ && port_.bytesWaiting() > 0)) {
        watchHeaderDeadline();
        return;
    }
    statusList_.addLine("Time out error");
    stage_ = Stage::Hunting;
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
    stage_ = Stage::Hunting;
}

void PacketReceiver::checkAndDecode()
{
    if (InByte != PacketChecksum) {
        stage_ = Stage::Hunting;
        ByteCount_ = 0;
        return;
    }
    if (PacketBytes_[packet::kTrailer0Position] != packet::kTrailer0) {
        statusList_.addLine("FF error");
        stage_ = Stage::Hunting;
        return;
    }
    if (PacketBytes_[packet::kTrailer1Position] != packet::kTrailer1) {
        statusList_.addLine("FE error");
        stage_ = Stage::Hunting;
        return;
    }
    switch (decoder_.decode(PacketBytes_)) {
    case PacketDecoder::Outcome::Finished:
        stage_ = Stage::Hunting;
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
