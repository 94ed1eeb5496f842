// What sits at the far end of the emulated serial line: the monitor on its own
// cable, or a ZigBee dongle in front of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class MonitorEmulator;

class LineDevice {
public:
    virtual ~LineDevice() = default;

    // Bytes from the program, arriving at nowMs (milliseconds of the run); the reply out.
    virtual std::string receive(std::string_view fromProgram, std::int64_t nowMs) = 0;
    // Whole seconds pass; what reaches the program meanwhile.
    virtual std::string tick(int elapsedSeconds) = 0;
};

// The monitor on its USB cable: every byte goes straight through both ways.
class CableLine : public LineDevice {
public:
    explicit CableLine(MonitorEmulator& monitor) : monitor_(monitor) {}

    std::string receive(std::string_view fromProgram, std::int64_t nowMs) override;
    std::string tick(int elapsedSeconds) override;

private:
    MonitorEmulator& monitor_;
};
