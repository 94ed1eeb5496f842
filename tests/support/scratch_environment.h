// The environment of a program started by a test or a benchmark: this process's own, with
// the per-user configuration and data folders (settings, port links, the readings
// history) moved into a scratch folder, so the user's own are never touched.
#pragma once

#include <QProcessEnvironment>
#include <QString>

inline QProcessEnvironment scratchEnvironment(const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", folder);
    environment.insert("XDG_DATA_HOME", folder);
    return environment;
}
