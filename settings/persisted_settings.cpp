// Start-up load, shut-down save and the periodic save of the settings.
#include "settings/persisted_settings.h"

#include "platform/settings_store.h"
#include "settings/setting_keys.h"

#include <string>

PersistedSettings::PersistedSettings(SettingsStore& store, ProgramState& state)
    : store_(store), state_(state)
{
}

void PersistedSettings::loadAtStartup()
{
    for (const std::string_view name : startupLoadOrder()) {
        const SettingKey& key = settingKey(name);
        const std::string defaultText(key.defaultText);
        if (!key.load(state_, store_.read(std::string(name), defaultText)))
            key.load(state_, defaultText);
    }
}

void PersistedSettings::save(std::string_view name)
{
    store_.write(std::string(name), settingKey(name).save(state_));
}

void PersistedSettings::saveAtShutdown()
{
    for (const std::string_view name : shutdownSaveOrder())
        save(name);
}

void PersistedSettings::SaveCounters()
{
    for (const std::string_view name : periodicSaveOrder())
        save(name);
}

void PeriodicSave::tick()
{
    ++ticks_;
    if (ticks_ > 100) {
        ticks_ = 0;
        settings_.SaveCounters();
    }
}
