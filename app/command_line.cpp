// The windowed program's command line: --help and --version, answered before any window, and --trace.
#include "app/command_line.h"

#include "platform/program_identity.h"

#include <QCommandLineParser>

std::optional<QString> programHelpOrVersion(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The desktop companion of the KVO-7730 energy monitor: it reads the monitor on a serial port,\n"
        "serves its readings over TCP and posts them to the web. Everything is set in its windows and\n"
        "kept per user (application \"DARavev\", section \"startup\"); kvo7730d is the same program\n"
        "without a desktop. Qt's own options (-platform, -style, ...) are passed on to Qt."));
    addCommonOptions(parser);
    // Qt's options are unknown here: they are reported as errors, which are not ours to refuse.
    parser.parse(arguments);
    applyCommonOptions(parser);
    return helpOrVersionText(parser);
}
