// Settings given as words such as "ct2=167,4" or "interval=15": the command line's
// way to name a change of the monitor's configuration.
#pragma once

#include "monitor_setup/settings_block.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using TypeAndRange = std::pair<std::uint8_t, std::uint8_t>;

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

MonitorSettings withChanges(MonitorSettings settings, const SettingChanges& changes);
