// A scriptable serial port: bytes arrive when the test says (now or at a virtual time),
// writes are recorded and may be answered by a peer, and blocking waits move the clock.
#pragma once

#include "fake_clock.h"
#include "platform/serial_port.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(FakeClock& clock) : clock_(clock) {}

    // Bytes that are waiting from now on.
    void feed(std::string_view bytes);
    // Bytes that arrive once the clock reaches atMs (virtual milliseconds).
    void feedAt(std::int64_t atMs, std::string_view bytes);

    // Answers each write; its result is fed back as received bytes.
    std::function<std::string(std::string_view)> peer;

    bool openSucceeds = true;
    // What the system says when an open fails.
    std::string failureText;
    // When set, only the port numbers it accepts can be opened (like a machine's real ports).
    std::function<bool(int portNumber)> portExists;
    // Runs at the start of each blocking wait on the port (where nothing else runs).
    std::function<void()> onBlockingWait;
    // False makes every write fail, as a device that went away would.
    bool writeSucceeds = true;
    std::string written;
    // Each successful write on its own, in order.
    std::vector<std::string> writes;
    std::vector<SerialPortConfig> opens;
    int closes = 0;

    bool open(const SerialPortConfig& config) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::string openFailure() const override { return open_ ? std::string() : failureText; }
    int bytesWaiting() override;
    std::optional<std::uint8_t> readByte() override;
    bool write(std::string_view bytes) override;
    bool waitForBytes(int timeoutMs) override;
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
    std::size_t unread() const { return incoming_.size(); }

private:
    void takeDueArrivals();

    FakeClock& clock_;
    bool open_ = false;
    std::deque<std::uint8_t> incoming_;
    std::multimap<std::int64_t, std::string> scheduled_;
    std::function<void()> receiveHandler_;
    std::function<void()> lostHandler_;
};
