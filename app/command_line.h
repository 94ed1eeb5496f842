// The windowed program's command line: --help and --version, answered before any window, and --trace.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The text to print on standard output when --help or --version was given; --trace switches
// the wire trace on. Other arguments are left to Qt (-platform, -style, ...).
std::optional<QString> programHelpOrVersion(const QStringList& arguments);
