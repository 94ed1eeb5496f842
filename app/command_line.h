// The windowed program's command line: --help and --version, answered before any window.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The text to print on standard output when --help or --version was given. Other arguments
// are left to Qt (-platform, -style, ...); the program takes none of its own.
std::optional<QString> programHelpOrVersion(const QStringList& arguments);
