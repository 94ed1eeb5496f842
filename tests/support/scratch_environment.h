// The environment of a program started by a test or a benchmark: this process's own, with
// the per-user configuration and data folders (settings, port links, the readings
// history) moved into a scratch folder, so the user's own are never touched.
#pragma once

#include <QProcessEnvironment>
#include <QSettings>
#include <QString>
#include <initializer_list>
#include <utility>

inline QProcessEnvironment scratchEnvironment(const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", folder);
    environment.insert("XDG_DATA_HOME", folder);
    return environment;
}

// The settings file of a program started in that folder: the given keys of its section
// "startup", written before the program reads them.
inline void writeScratchSettings(const QString& folder, std::initializer_list<std::pair<QString, QString>> values)
{
    QSettings settings(folder + "/DARavev/DARavev.ini", QSettings::IniFormat);
    settings.beginGroup("startup");
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    settings.sync();
}
