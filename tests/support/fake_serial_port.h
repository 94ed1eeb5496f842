// A scriptable serial port: bytes arrive when the test says (now or at a virtual time),
// writes are recorded with their virtual time and may be answered by a peer. Given an
// event loop, it raises the receive notification for what arrives, as a real port does.
#pragma once

#include "fake_clock.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeSerialPort : public SerialPort {
public:
    // Arrivals wait in the port until someone calls notify().
    explicit FakeSerialPort(FakeClock& clock) : clock_(clock) {}
    // Arrivals (fed at a time, or a peer's reply) are notified from the loop.
    FakeSerialPort(FakeClock& clock, EventLoop& loop) : clock_(clock), loop_(&loop) {}
    ~FakeSerialPort() override;
    FakeSerialPort(const FakeSerialPort&) = delete;
    FakeSerialPort& operator=(const FakeSerialPort&) = delete;

    // Bytes that are waiting from now on (no notification).
    void feed(std::string_view bytes);
    // Bytes that arrive once the clock reaches atMs (virtual milliseconds); with a loop,
    // the receive notification comes at that moment.
    void feedAt(std::int64_t atMs, std::string_view bytes);
    // Bytes that arrive now and are notified from the loop, as a real port's arrival.
    void arrive(std::string_view bytes);

    // Answers each write; its result arrives as received bytes (notified from the loop,
    // when there is one).
    std::function<std::string(std::string_view)> peer;

    bool openSucceeds = true;
    // What the system says when an open fails.
    std::string failureText;
    // When set, only the port numbers it accepts can be opened (like a machine's real ports).
    std::function<bool(int portNumber)> portExists;
    // False makes every write fail, as a device that went away would.
    bool writeSucceeds = true;
    std::string written;
    // Each successful write on its own, in order, and the virtual time it was made at.
    std::vector<std::string> writes;
    std::vector<std::int64_t> writeTimesMs;
    std::vector<SerialPortConfig> opens;
    int closes = 0;

    bool open(const SerialPortConfig& config) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::string openFailure() const override { return open_ ? std::string() : failureText; }
    int bytesWaiting() override;
    std::optional<std::uint8_t> readByte() override;
    bool write(std::string_view bytes) override;
    void setReceiveHandler(std::function<void()> handler) override { receiveHandler_ = std::move(handler); }
    void setLostHandler(std::function<void()> handler) override { lostHandler_ = std::move(handler); }

    // The device goes away: the port closes itself and says so.
    void loseDevice()
    {
        open_ = false;
        if (lostHandler_)
            lostHandler_();
    }

    // Calls the receive handler as the event loop would after bytes arrived.
    void notify();
    // Bytes that have arrived by now and are not read yet, on an open port or not.
    std::size_t unread()
    {
        takeDueArrivals();
        return incoming_.size();
    }
    // The virtual time of the write that holds `bytes` (the first such), or -1.
    std::int64_t writtenAtMs(std::string_view bytes) const;

private:
    void takeDueArrivals();
    void notifyFromLoop(int afterMs);

    FakeClock& clock_;
    EventLoop* loop_ = nullptr;
    // Notifications still to come, cancelled if the port goes first.
    std::set<EventLoop::TimerId> notifications_;
    bool open_ = false;
    std::deque<std::uint8_t> incoming_;
    std::multimap<std::int64_t, std::string> scheduled_;
    std::function<void()> receiveHandler_;
    std::function<void()> lostHandler_;
};
