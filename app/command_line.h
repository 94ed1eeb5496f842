// The windowed program's command line: --help and --version, answered before any window, --trace and --instance.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

struct ProgramCommandLine {
    // The text to print on standard output when --help or --version was given.
    std::optional<QString> answer;
    // The instance --instance names; empty for the default one.
    std::string instance;
    // What is wrong with the instance's name, for standard error.
    std::optional<QString> problem;
};

// --trace switches the wire trace on. Other arguments are left to Qt (-platform, -style, ...).
ProgramCommandLine readProgramCommandLine(const QStringList& arguments);
