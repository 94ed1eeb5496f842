// Instances' files and folders.
#include "instance/instance_files.h"

#include "history/history_store.h"
#include "platform/com_port_path.h"
#include "platform/instance_name.h"
#include "platform/qt_settings_store.h"
#include "settings/persisted_settings.h"

#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

QString instanceHistoryFile(const std::string& instance)
{
    const QString defaultFile = HistoryStore::userFile();
    if (instance.empty())
        return defaultFile;
    const QFileInfo file(defaultFile);
    return QString::fromStdString(instanceFolder(file.absolutePath().toStdString(), instance)) + '/' + file.fileName();
}

std::string instanceComDevice(int portNumber, const std::string& instance)
{
    const std::string path = comPortDevicePath(portNumber, userConfigDir(), instance);
    std::error_code error;
    const fs::path device = fs::weakly_canonical(path, error);
    return error ? path : device.string();
}

InstanceClaim instanceClaim(const ClaimHolder& holder, const SettingsValues& values)
{
    return claimOf(holder, values, instanceComDevice(values.ComPortNum, holder.instance));
}

std::vector<std::string> configuredInstances()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(instancesFolder(userConfigDir() + "/DARavev"), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(error) && !instanceNameProblem(name) && !instanceNamed(name).empty())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    names.insert(names.begin(), std::string());
    return names;
}

std::vector<std::string> sharedWithOtherInstances(const std::string& instance, const SettingsValues& values)
{
    const InstanceClaim mine = instanceClaim({.instance = instance}, values);
    std::vector<std::string> sentences;
    for (const std::string& other : configuredInstances()) {
        if (other == instance)
            continue;
        QtSettingsStore store(other);
        const InstanceClaim theirs = instanceClaim({.instance = other}, storedSettings(store));
        if (const auto clash = firstClash(mine, std::span(&theirs, 1)))
            sentences.push_back(instanceLabelFirst(instance) + " shares its " + clash->shared + " with "
                                + instanceLabel(other) + ": the two cannot run at the same time.");
    }
    return sentences;
}

SettingsValues storedSettings(SettingsStore& store)
{
    PersistedSettings settings(store);
    settings.loadAtStartup();
    return settings.values();
}
