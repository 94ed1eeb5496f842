// Every persisted setting: its key, its default, and how it maps to a program value.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

struct ProgramState;

struct SettingKey {
    std::string_view name;
    std::string_view defaultText;
    // Sets the program value from a stored text; false when the text does not convert.
    std::function<bool(ProgramState&, std::string_view)> load;
    // The text stored for the program value.
    std::function<std::string(const ProgramState&)> save;
};

// The whole table, one entry per key.
std::span<const SettingKey> settingKeys();

// The entry for a key of the table; an unknown name is a programming error.
const SettingKey& settingKey(std::string_view name);

// The three sequences in which the keys are read and written.
std::span<const std::string_view> startupLoadOrder();
std::span<const std::string_view> shutdownSaveOrder();
std::span<const std::string_view> periodicSaveOrder();
