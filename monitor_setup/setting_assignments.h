// Settings given as words such as "ct2=167,4" or "interval=15": the command line's
// way to name a change of the monitor's configuration.
#pragma once

#include "monitor_setup/settings_block.h"
#include "monitor_setup/setup_values.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SettingChanges {
    std::optional<TypeAndRange> ct1;
    std::optional<TypeAndRange> ct2;
    std::optional<TypeAndRange> pt;
    std::optional<std::uint16_t> interval;
    std::optional<std::uint16_t> firmware; // times 1000
    std::optional<std::uint8_t> deviceId;

    bool empty() const { return !ct1 && !ct2 && !pt && !interval && !firmware && !deviceId; }
};

struct ParsedAssignments {
    std::optional<SettingChanges> changes; // set when every word was understood
    std::string error;
};

// Names: ct1=TYPE,RANGE ct2=TYPE,RANGE pt=TYPE,RANGE interval=MINUTES id=ID and, where
// the firmware may be named (the simulator), firmware=VERSION such as 1.234. Types,
// ranges and the ID are bytes (0-255), the interval 0-65535; the monitor's own limits
// are checked where the values are written.
ParsedAssignments parseSettingAssignments(const std::vector<std::string>& words, bool firmwareAllowed);

// The first change that the monitor does not take (CT and PT range 1-10, storage
// interval 1-255 minutes, device ID 0-127), said as a message; nothing when all fit.
std::optional<std::string> outsideMonitorLimits(const SettingChanges& changes);

MonitorSettings withChanges(MonitorSettings settings, const SettingChanges& changes);
