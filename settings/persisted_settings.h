// Loading and saving the program's settings and counters through the settings store.
#pragma once

#include <string_view>

class SettingsStore;
struct ProgramState;

class PersistedSettings {
public:
    PersistedSettings(SettingsStore& store, ProgramState& state);

    // Every key, in the start-up order. A stored text that does not convert to its
    // key's type gives the key's default, so one damaged value never stops the program.
    void loadAtStartup();

    void saveAtShutdown();

    // The periodic save of the counters and the web posting values.
    void SaveCounters();

    // Writes one key now (for the windows that edit a setting).
    void save(std::string_view key);

private:
    SettingsStore& store_;
    ProgramState& state_;
};

// Timer4's tick count: SaveCounters on every 101st tick of the 3-second timer.
class PeriodicSave {
public:
    explicit PeriodicSave(PersistedSettings& settings) : settings_(settings) {}

    void tick();

private:
    PersistedSettings& settings_;
    int ticks_ = 0;
};
