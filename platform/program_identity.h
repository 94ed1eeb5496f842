// Every program's name and the package's version, and the options all programs share.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QCommandLineParser;

// Names the running program (for --version and the usage line) and gives it the package's
// version; it may run before the application object exists.
void identifyProgram(const QString& name);

// The options every program takes: --help, --version and --trace.
void addCommonOptions(QCommandLineParser& parser);

// After parsing: --trace switches the wire trace on.
void applyCommonOptions(const QCommandLineParser& parser);

// What --help, --help-all or --version asks to print on standard output (without the last
// line's end), when one of them was given. The parser must have the help and version options.
std::optional<QString> helpOrVersionText(const QCommandLineParser& parser);

// --instance NAME: which instance's settings, port links and files the program uses.
void addInstanceOption(QCommandLineParser& parser);

// The instance --instance names (empty for the default instance), or why the name cannot be one.
struct InstanceChoice {
    std::string instance;
    std::optional<QString> problem;
};
InstanceChoice chosenInstance(const QCommandLineParser& parser);
