// The per-user settings store: texts addressed by key within the program's one section.
#pragma once

#include <string>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::string read(const std::string& key, const std::string& defaultText) const = 0;
    virtual void write(const std::string& key, const std::string& text) = 0;
};
