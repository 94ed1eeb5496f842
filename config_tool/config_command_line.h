// The command line of kvo7730-config: a command, the settings it names, the instance.
#pragma once

#include "config_tool/setting_changes.h"
#include "config_tool/setting_names.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct ConfigRequest {
    enum class Command { List, Get, Set, Reset, Names, Choices, Instances };
    Command command = Command::List;
    // The settings get and choices read.
    std::vector<const SettingName*> names;
    // What set and reset change.
    std::vector<SettingChange> changes;
    // Empty for the default instance.
    std::string instance;
    // Restart the instance's systemd unit with the change.
    bool restart = false;
};

struct ConfigCommandLine {
    std::optional<ConfigRequest> request;
    // --help or --version: the message is their answer, for standard output.
    bool helpRequested = false;
    // The answer to --help or --version, or what is wrong with the arguments.
    QString message;
};

// Reads the arguments (the program name first).
ConfigCommandLine parseConfigCommandLine(const QStringList& arguments);
