// The simulated monitor on its cable, noting when each packet goes onto the line, for
// benchmarks that time a packet's way through a program.
#pragma once

#include "simulator/line_device.h"
#include "simulator/monitor_emulator.h"
#include "simulator/monitor_line.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

using Clock = std::chrono::steady_clock;

// The monitor on its cable, noting when each packet goes onto the line.
class TimedLine : public LineDevice {
public:
    // beforePacket may change the monitor's state for each packet, to tell them apart.
    explicit TimedLine(MonitorEmulator& monitor, std::function<void(MonitorState&)> beforePacket = {})
        : monitor_(monitor), cable_(monitor), beforePacket_(std::move(beforePacket))
    {
    }

    std::string receive(std::string_view fromProgram, std::int64_t nowMs) override
    {
        return cable_.receive(fromProgram, nowMs);
    }
    std::string tick(int elapsedSeconds) override
    {
        if (beforePacket_)
            beforePacket_(monitor_.state());
        std::string bytes = cable_.tick(elapsedSeconds);
        // The caller writes these bytes at once; a write of 43 bytes to a terminal takes
        // microseconds.
        if (!bytes.empty()) {
            const std::lock_guard lock(mutex_);
            sentAt_[monitor_.state().secondsCounter] = Clock::now();
        }
        return bytes;
    }

    std::optional<Clock::time_point> sentAt(std::uint32_t secondsCounter) const
    {
        const std::lock_guard lock(mutex_);
        const auto found = sentAt_.find(secondsCounter);
        if (found == sentAt_.end())
            return std::nullopt;
        return found->second;
    }

private:
    MonitorEmulator& monitor_;
    CableLine cable_;
    std::function<void(MonitorState&)> beforePacket_;
    mutable std::mutex mutex_;
    std::map<std::uint32_t, Clock::time_point> sentAt_;
};
