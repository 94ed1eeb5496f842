// The changes kvo7730-config is asked for, checked together by the windows' own rules before
// anything is saved: the COM panel's port boxes, the options window's boxes, and its tabs,
// which check all their boxes at once.
#pragma once

#include "common/number_format.h"
#include "config_tool/setting_names.h"
#include "settings/settings_values.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct SettingChange {
    const SettingName* name;
    // The value as typed; none to go back to the default.
    std::optional<std::string> typed;
};

struct ChangeRefusal {
    // The setting whose box the window would refuse: the one typed, or, for a tab's check,
    // the first box of the tab that is wrong.
    std::string name;
    std::string reason;
};

struct ChangeVerdict {
    std::optional<ChangeRefusal> refusal;
    // The values once changed, and the keys to write with their texts, in the table's order:
    // every key named, and every other one whose value a tab's check changed (a trimmed host).
    SettingsValues values;
    std::vector<std::pair<Setting, std::string>> writes;
    // What is accepted but worth a second look (a price above 1).
    std::vector<std::string> notes;
};

ChangeVerdict checkChanges(const SettingsValues& current, std::span<const SettingChange> changes, NumberSymbols symbols);
