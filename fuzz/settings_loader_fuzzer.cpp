// Arbitrary stored texts, one per key: loading never fails, and what is saved loads
// back to the same values (a value that changed on its way through the store would
// be a counter lost or a setting changed behind the user's back).
#include "memory_settings_store.h"

#include "settings/persisted_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    MemorySettingsStore store;
    for (const SettingKey& key : settingKeys()) {
        const std::size_t end = rest.find('\n');
        store.values[std::string(key.name)] = std::string(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }

    PersistedSettings first(store);
    first.loadAtStartup();
    for (const SettingKey& key : settingKeys())
        first.save(key.id);
    PersistedSettings second(store);
    second.loadAtStartup();
    for (const SettingKey& key : settingKeys()) {
        if (key.save(first.values()) != key.save(second.values()))
            std::abort();
    }
    return 0;
}
