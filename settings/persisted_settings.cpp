// Start-up load, shut-down save and the periodic save of the settings.
#include "settings/persisted_settings.h"

#include "platform/settings_store.h"

#include <string>

PersistedSettings::PersistedSettings(SettingsStore& store)
    : store_(store)
{
}

void PersistedSettings::loadAtStartup()
{
    fallbacks_.clear();
    for (const Setting id : startupLoadOrder()) {
        const SettingKey& key = settingKey(id);
        const std::string defaultText(key.defaultText);
        const std::string stored = store_.read(std::string(key.name), defaultText);
        if (key.load(values_, stored))
            continue;
        key.load(values_, defaultText);
        fallbacks_.push_back("The setting \"" + std::string(key.name) + "\" held \"" + stored + "\", which is not usable; "
                             + "using \"" + key.save(values_) + "\" instead.");
    }
}

void PersistedSettings::save(Setting id)
{
    const SettingKey& key = settingKey(id);
    store_.write(std::string(key.name), key.save(values_));
}

void PersistedSettings::saveAtShutdown()
{
    for (const Setting id : shutdownSaveOrder())
        save(id);
}

void PersistedSettings::SaveCounters()
{
    for (const Setting id : periodicSaveOrder())
        save(id);
}

bool PeriodicSave::tick()
{
    ++ticks_;
    if (ticks_ <= 100)
        return false;
    ticks_ = 0;
    return true;
}
