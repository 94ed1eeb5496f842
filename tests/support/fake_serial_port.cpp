// The scriptable serial port's queues and notifications on virtual time.
#include "fake_serial_port.h"

#include <algorithm>
#include <memory>

FakeSerialPort::~FakeSerialPort()
{
    if (loop_ != nullptr) {
        for (const EventLoop::TimerId id : notifications_)
            loop_->cancel(id);
    }
}

void FakeSerialPort::feed(std::string_view bytes)
{
    incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void FakeSerialPort::feedAt(std::int64_t atMs, std::string_view bytes)
{
    scheduled_.emplace(atMs, std::string(bytes));
    if (loop_ != nullptr)
        notifyFromLoop(static_cast<int>(std::max<std::int64_t>(atMs - clock_.elapsedMs(), 0)));
}

void FakeSerialPort::arrive(std::string_view bytes)
{
    feed(bytes);
    if (loop_ != nullptr)
        notifyFromLoop(0);
}

void FakeSerialPort::notifyFromLoop(int afterMs)
{
    auto id = std::make_shared<EventLoop::TimerId>(0);
    *id = loop_->callAfter(afterMs, [this, id] {
        notifications_.erase(*id);
        notify();
    });
    notifications_.insert(*id);
}

bool FakeSerialPort::open(const SerialPortConfig& config)
{
    opens.push_back(config);
    open_ = openSucceeds && (!portExists || portExists(config.portNumber));
    return open_;
}

void FakeSerialPort::close()
{
    ++closes;
    open_ = false;
    // A closed port drops what it had received and not handed over.
    incoming_.clear();
}

void FakeSerialPort::takeDueArrivals()
{
    while (!scheduled_.empty() && scheduled_.begin()->first <= clock_.elapsedMs()) {
        feed(scheduled_.begin()->second);
        scheduled_.erase(scheduled_.begin());
    }
}

int FakeSerialPort::bytesWaiting()
{
    takeDueArrivals();
    return open_ ? static_cast<int>(incoming_.size()) : 0;
}

std::optional<std::uint8_t> FakeSerialPort::readByte()
{
    if (bytesWaiting() == 0)
        return std::nullopt;
    const std::uint8_t byte = incoming_.front();
    incoming_.pop_front();
    return byte;
}

bool FakeSerialPort::write(std::string_view bytes)
{
    if (!open_ || !writeSucceeds)
        return false;
    written += bytes;
    writes.emplace_back(bytes);
    writeTimesMs.push_back(clock_.elapsedMs());
    // What arrived before this write comes before its reply.
    takeDueArrivals();
    if (peer) {
        const std::string reply = peer(bytes);
        if (!reply.empty())
            arrive(reply);
    }
    return true;
}

std::int64_t FakeSerialPort::writtenAtMs(std::string_view bytes) const
{
    const auto found = std::find(writes.begin(), writes.end(), bytes);
    return found == writes.end() ? -1 : writeTimesMs[static_cast<std::size_t>(found - writes.begin())];
}

void FakeSerialPort::notify()
{
    if (receiveHandler_)
        receiveHandler_();
}
