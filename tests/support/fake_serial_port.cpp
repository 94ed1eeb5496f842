// The scriptable serial port's queues and virtual-time waits.
#include "fake_serial_port.h"

#include <algorithm>

void FakeSerialPort::feed(std::string_view bytes)
{
    incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void FakeSerialPort::feedAt(std::int64_t atMs, std::string_view bytes)
{
    scheduled_.emplace(atMs, std::string(bytes));
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
    if (peer)
        feed(peer(bytes));
    return true;
}

bool FakeSerialPort::waitForBytes(int timeoutMs)
{
    if (onBlockingWait)
        onBlockingWait();
    if (bytesWaiting() > 0)
        return true;
    std::int64_t until = clock_.elapsedMs() + timeoutMs;
    if (!scheduled_.empty())
        until = std::min(until, scheduled_.begin()->first);
    clock_.advanceMs(std::max<std::int64_t>(until - clock_.elapsedMs(), 0));
    return bytesWaiting() > 0;
}

void FakeSerialPort::notify()
{
    if (receiveHandler_)
        receiveHandler_();
}
