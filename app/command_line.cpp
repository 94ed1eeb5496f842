// The windowed program's command line: --help and --version, answered before any window, --trace and --instance.
#include "app/command_line.h"

#include "platform/program_identity.h"

#include <QCommandLineParser>

ProgramCommandLine readProgramCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The desktop companion of the KVO-7730 energy monitor: it reads the monitor on a serial port,\n"
        "serves its readings over TCP and posts them to the web. Everything is set in its windows and\n"
        "kept per user (application \"DARavev\", section \"startup\"); kvo7730d is the same program\n"
        "without a desktop. Qt's own options (-platform, -style, ...) are passed on to Qt."));
    addCommonOptions(parser);
    addInstanceOption(parser);
    // Qt's options are unknown here: they are reported as errors, which are not ours to refuse.
    parser.parse(arguments);
    applyCommonOptions(parser);
    const InstanceChoice choice = chosenInstance(parser);
    return {.answer = helpOrVersionText(parser), .instance = choice.instance, .problem = choice.problem};
}
