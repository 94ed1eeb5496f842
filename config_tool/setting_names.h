// The names kvo7730-config gives the settings a person configures, each mapped to its stored
// key (the keys stay as the programs and their files know them), with what it means, how its
// value is shown and which of the windows' checks a typed value goes through.
#pragma once

#include "settings/setting_keys.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SettingsValues;

// How a value is typed and shown.
enum class ValueForm {
    Text,
    // Shown by get, not by list.
    Secret,
    Number,
    // "yes" or "no"; stored "True" or "False".
    YesNo,
    // "usb", "zigbee1" or "zigbee2"; "none" before one is chosen.
    Connection,
    // "yes" or "no"; "grey" shows a stored 2, which nothing but the file gives.
    TriggerPush,
    // "packet" or "minute".
    Resolution,
};

// The check a typed value goes through: a box of the COM panel or of the options window's
// General and Web Server tabs, or a whole tab where the window checks its boxes together.
enum class EntryRule {
    ComPort,
    TcpPort,
    Connection,
    YesNo,
    Rate,
    WriteInterval,
    PowerChange,
    WebUser,
    WebHost,
    TriggerPush,
    MqttTab,
    DashboardTab,
    InfluxTab,
};

struct SettingName {
    std::string_view name;
    Setting key;
    ValueForm form;
    EntryRule rule;
    std::string_view meaning;
};

std::span<const SettingName> settingNames();

// The setting a word names, by its readable name or its stored key; nullptr for neither.
const SettingName* findSettingName(std::string_view word);
const SettingName& settingNameOf(Setting key);

// The energy counters and what the program counted them up to: the program's own state,
// which it keeps itself, never set by a person.
std::span<const Setting> programStateKeys();
bool isProgramState(Setting key);

// A stored text as a person reads it (True as yes, 8 as usb, ...).
std::string shownText(ValueForm form, std::string_view stored);
std::string shownValue(const SettingName& name, const SettingsValues& values);
std::string shownDefault(const SettingName& name);

// The words a value may be, for completion; empty where any text or number goes.
std::vector<std::string_view> valueChoices(ValueForm form);

// A typed yes or no (also true/false, on/off, 1/0, in any letter case).
std::optional<bool> typedYesNo(std::string_view text);

// The stored text of a typed connection method (usb, zigbee1 or zigbee2, in any letter case).
std::optional<std::string_view> typedConnection(std::string_view text);
