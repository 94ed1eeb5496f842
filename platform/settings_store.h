// The per-user settings store: texts addressed by key within the program's one section.
#pragma once

#include <optional>
#include <string>

// Why the store could not be read or written: where it is and what stands in the way.
struct StoreFailure {
    std::string path;
    std::string reason;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::string read(const std::string& key, const std::string& defaultText) const = 0;
    virtual void write(const std::string& key, const std::string& text) = 0;

    // Nothing while every read and write so far has reached the store.
    virtual std::optional<StoreFailure> failure() const = 0;
};
