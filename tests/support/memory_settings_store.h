// A settings store in memory that records the order of its reads and writes.
#pragma once

#include "platform/settings_store.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class MemorySettingsStore : public SettingsStore {
public:
    std::string read(const std::string& key, const std::string& defaultText) const override
    {
        reads.push_back(key);
        const auto found = values.find(key);
        return found == values.end() ? defaultText : found->second;
    }
    void write(const std::string& key, const std::string& text) override
    {
        writes.push_back(key);
        values[key] = text;
    }
    std::optional<StoreFailure> failure() const override { return failing; }

    std::map<std::string, std::string> values;
    mutable std::vector<std::string> reads;
    std::vector<std::string> writes;
    std::optional<StoreFailure> failing;
};
