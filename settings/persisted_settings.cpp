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
    checkStore(Access::Read);
}

void PersistedSettings::save(Setting id)
{
    const SettingKey& key = settingKey(id);
    store_.write(std::string(key.name), key.save(values_));
    checkStore(Access::Write);
}

void PersistedSettings::saveMqtt(const MqttSettings& mqtt)
{
    static_cast<MqttSettings&>(values_) = mqtt;
    for (const Setting id : mqttSettings())
        save(id);
}

void PersistedSettings::saveHttp(const HttpSettings& http)
{
    static_cast<HttpSettings&>(values_) = http;
    for (const Setting id : httpSettings())
        save(id);
}

void PersistedSettings::saveInflux(const InfluxSettings& influx)
{
    static_cast<InfluxSettings&>(values_) = influx;
    for (const Setting id : influxSettings())
        save(id);
}

bool PersistedSettings::storeSound() const
{
    return !store_.failure();
}

void PersistedSettings::checkStore(Access access)
{
    bool& said = access == Access::Read ? readFailureSaid_ : writeFailureSaid_;
    const auto failure = store_.failure();
    if (!failure || said || !reportFailure_)
        return;
    said = true;
    reportFailure_(access == Access::Read
                       ? "The settings could not be read from \"" + failure->path + "\" (" + failure->reason
                             + "); the defaults are used."
                       : "The settings could not be written to \"" + failure->path + "\" (" + failure->reason
                             + "); the settings and counters of this run are not kept.");
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
