// The settings and counters kept in the per-user store: their values, the one
// place that changes them, and their start-up load, shut-down save and periodic save.
#pragma once

#include "settings/setting_keys.h"
#include "settings/settings_values.h"

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

class SettingsStore;

class PersistedSettings {
public:
    explicit PersistedSettings(SettingsStore& store);

    const SettingsValues& values() const { return values_; }

    // Changes one value in memory; the caller saves it when its key says so.
    template <typename T, typename Owner>
        requires std::is_base_of_v<Owner, SettingsValues>
    void set(T Owner::*field, std::type_identity_t<T> value)
    {
        values_.*field = std::move(value);
    }

    // The MQTT settings as the options window applies them: all in memory and in the store at once.
    void saveMqtt(const MqttSettings& mqtt);
    // The HTTP server's settings, likewise.
    void saveHttp(const HttpSettings& http);
    // The InfluxDB uploader's settings, likewise.
    void saveInflux(const InfluxSettings& influx);

    // The monitor's counters, handed over before they are saved.
    void setCounters(const StoredCounters& counters) { values_.counters = counters; }

    // Every key, in the start-up order. A stored text that does not convert to its
    // key's type gives the key's default, so one damaged value never stops the program.
    void loadAtStartup();

    // What the last load put in place of a stored text it could not take, one line a
    // key, for the status list: a fallback that nobody is told of looks like a fault.
    const std::vector<std::string>& fallbacks() const { return fallbacks_; }

    void saveAtShutdown();

    // The periodic save of the counters and the web posting values.
    void SaveCounters();

    // Writes one key now (for the windows that edit a setting).
    void save(Setting key);

    // Where a store that cannot be read or written is reported: once for reading and
    // once for writing, so a file that stays read-only does not flood the list.
    // False once the store has failed a read or a write.
    bool storeSound() const;

    void reportStoreFailuresTo(std::function<void(const std::string&)> report) { reportFailure_ = std::move(report); }

private:
    enum class Access { Read, Write };
    void checkStore(Access access);

    SettingsStore& store_;
    SettingsValues values_;
    std::vector<std::string> fallbacks_;
    std::function<void(const std::string&)> reportFailure_;
    bool readFailureSaid_ = false;
    bool writeFailureSaid_ = false;
};

// Timer4's tick count: true on every 101st tick of the 3-second timer, when the
// counters are due to be saved.
class PeriodicSave {
public:
    [[nodiscard]] bool tick();

private:
    int ticks_ = 0;
};
