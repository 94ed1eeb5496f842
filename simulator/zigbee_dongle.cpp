// The dongle's own mode, its command mode and the pass-through to the monitor.
#include "simulator/zigbee_dongle.h"

#include "simulator/monitor_emulator.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kCarriageReturn = '\r';
const std::string kEscape = "+++";

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

std::string CableLine::receive(std::string_view fromProgram, std::int64_t)
{
    return monitor_.receive(fromProgram);
}

std::string CableLine::tick(int elapsedSeconds)
{
    return monitor_.tick(elapsedSeconds);
}

ZigbeeDongle::ZigbeeDongle(MonitorEmulator& monitor, DongleSettings settings)
    : monitor_(monitor), settings_(settings)
{
}

std::string ZigbeeDongle::ok() const
{
    switch (settings_.fault) {
    case DongleFault::None: return "OK\r";
    case DongleFault::SplitOk: return "O K\r";
    case DongleFault::AlwaysError: return error();
    case DongleFault::Silent: break;
    }
    return {};
}

std::string ZigbeeDongle::error() const
{
    return settings_.fault == DongleFault::Silent ? std::string() : std::string("ERROR\r");
}

std::string ZigbeeDongle::command(const std::string& line)
{
    const std::string word = upper(line);
    if (word == "AT")
        return ok();
    if (word == "ATCN") {
        commandMode_ = false;
        return ok();
    }
    if (word.starts_with("ATDN")) {
        if (word != "ATDNE" + std::to_string(settings_.node))
            return error();
        const std::string reply = ok();
        // A dongle that answers nothing or only "ERROR" does not link either.
        if (settings_.fault == DongleFault::None || settings_.fault == DongleFault::SplitOk) {
            linked_ = true;
            commandMode_ = false;
        }
        return reply;
    }
    return error();
}

std::string ZigbeeDongle::receive(std::string_view fromProgram, std::int64_t nowMs)
{
    if (commandMode_ && nowMs - lastInputMs_ >= kCommandModeTimeoutMs) {
        commandMode_ = false;
        line_.clear();
    }
    const bool quietBefore = nowMs - lastInputMs_ >= kGuardTimeMs;
    lastInputMs_ = nowMs;

    std::string reply;
    std::string toMonitor;
    for (const char c : fromProgram) {
        if (commandMode_) {
            if (c != kCarriageReturn) {
                line_ += c;
                // The escape again while in command mode: still in it, say so.
                if (line_ == kEscape) {
                    line_.clear();
                    reply += ok();
                }
                continue;
            }
            reply += command(line_);
            line_.clear();
            continue;
        }
        if (c == '+' && (pendingPluses_ > 0 || (quietBefore && toMonitor.empty()))) {
            if (++pendingPluses_ == static_cast<int>(kEscape.size())) {
                pendingPluses_ = 0;
                commandMode_ = true;
                reply += ok();
            }
            continue;
        }
        toMonitor.append(static_cast<std::size_t>(pendingPluses_), '+');
        pendingPluses_ = 0;
        toMonitor += c;
    }
    if (linked_ && !toMonitor.empty())
        reply += monitor_.receive(toMonitor);
    return reply;
}

std::string ZigbeeDongle::tick(int elapsedSeconds)
{
    std::string stream = monitor_.tick(elapsedSeconds);
    if (!linked_ || commandMode_)
        return {};
    return stream;
}
