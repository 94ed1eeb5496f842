// The serial port that reaches the monitor, behind an interface so that tests
// can put an emulated monitor on the other end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Line settings in the "19200,N,8,1" form: baud, parity letter, data bits, stop bits.
struct SerialLineSettings {
    int baud = 19200;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;

    static std::optional<SerialLineSettings> parse(std::string_view text);
};

// Everything applied to the port on each open.
struct SerialPortConfig {
    int portNumber = 1;
    int inputBufferSize = 1024;
    SerialLineSettings line;
    bool dtrEnable = false;
    bool rtsEnable = false;
    bool discardNul = false;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Applies the configuration and opens the port; false when it cannot be opened.
    virtual bool open(const SerialPortConfig& config) = 0;

    // Why the last open failed, in the system's words ("" when nobody knows).
    virtual std::string openFailure() const { return {}; }
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Bytes received and not yet read.
    virtual int bytesWaiting() = 0;

    // One received byte, or nothing when none is waiting or the port is closed.
    virtual std::optional<std::uint8_t> readByte() = 0;

    // False when the port is closed or the write fails.
    virtual bool write(std::string_view bytes) = 0;

    // Called from the event loop whenever at least one byte has arrived.
    virtual void setReceiveHandler(std::function<void()> handler) = 0;

    // Called after the port closed itself because its device went away (a cable
    // pulled, the other end of a terminal closed).
    virtual void setLostHandler(std::function<void()> handler) = 0;
};
