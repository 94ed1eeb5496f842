// The per-user settings store on QSettings: application "DARavev", section "startup".
#pragma once

#include "platform/settings_store.h"

#include <QSettings>
#include <memory>

class QtSettingsStore : public SettingsStore {
public:
    // The default instance's store, or a named instance's beside it (instances/<name>).
    explicit QtSettingsStore(const std::string& instance = {});

    // Where the store is: the file, or on Windows the registry key.
    std::string location() const;

    std::string read(const std::string& key, const std::string& defaultText) const override;
    void write(const std::string& key, const std::string& text) override;
    std::optional<StoreFailure> failure() const override;

private:
    // On Linux and macOS the file is readable and writable by its owner alone.
    void keepToOwner();

    std::unique_ptr<QSettings> settings_;
};
