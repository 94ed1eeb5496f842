// An emulated ZigBee radio dongle in front of the emulated monitor. Until a discover
// command for the monitor's node has succeeded, the dongle keeps to itself and the
// monitor cannot be reached; afterwards bytes pass through both ways.
#pragma once

#include "simulator/line_device.h"

#include <cstdint>
#include <string>
#include <string_view>

// Dongles that fail on purpose.
enum class DongleFault {
    None,
    Silent,      // never answers
    AlwaysError, // answers "ERROR" to everything
    SplitOk,     // puts a blank between the "O" and the "K" of its "OK"
};

struct DongleSettings {
    // The node identifier digit of the monitor's radio: "E1" or "E2".
    int node = 1;
    DongleFault fault = DongleFault::None;
};

class ZigbeeDongle : public LineDevice {
public:
    ZigbeeDongle(MonitorEmulator& monitor, DongleSettings settings);

    // "+++" after kGuardTimeMs of quiet enters command mode (answered "OK" + CR);
    // there "ATDNE<n>" + CR is answered "OK" + CR and links the monitor when n is
    // its node, "ERROR" + CR otherwise. "AT" answers "OK", "ATCN" leaves command mode.
    std::string receive(std::string_view fromProgram, std::int64_t nowMs) override;
    // The monitor's stream, once linked and out of command mode.
    std::string tick(int elapsedSeconds) override;

    bool linked() const { return linked_; }
    bool inCommandMode() const { return commandMode_; }

    static constexpr std::int64_t kGuardTimeMs = 300;
    // Command mode ends by itself after this much quiet, as the radios' own does.
    static constexpr std::int64_t kCommandModeTimeoutMs = 10000;

private:
    // The reply to one command line.
    std::string command(const std::string& line);
    std::string ok() const;
    std::string error() const;

    MonitorEmulator& monitor_;
    DongleSettings settings_;
    bool linked_ = false;
    bool commandMode_ = false;
    // "+" characters held back while they may be the start of "+++".
    int pendingPluses_ = 0;
    std::string line_;
    std::int64_t lastInputMs_ = -kGuardTimeMs;
};
