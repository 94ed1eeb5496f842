// Every program's name and the package's version, and the options all programs share.
#include "platform/program_identity.h"

#include "common/package_info.h"
#include "platform/instance_name.h"
#include "platform/wire_trace.h"

#include <QCommandLineParser>
#include <QCoreApplication>

void identifyProgram(const QString& name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QStringLiteral(KVO_VERSION));
}

namespace {

const QString kTrace = QStringLiteral("trace");
const QString kInstance = QStringLiteral("instance");

} // namespace

void addCommonOptions(QCommandLineParser& parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({kTrace, QStringLiteral("Writes every byte sent to and received from the monitor, with its time, "
                                             "to standard error (the logging category kvo.wire).")});
}

void applyCommonOptions(const QCommandLineParser& parser)
{
    if (parser.isSet(kTrace))
        enableWireTrace();
}

std::optional<QString> helpOrVersionText(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("version")))
        return QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion();
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return parser.helpText().trimmed();
    return std::nullopt;
}

void addInstanceOption(QCommandLineParser& parser)
{
    parser.addOption({kInstance,
                      QStringLiteral("Uses instance NAME: its own settings, COM port links and history, under "
                                     "DARavev/instances/NAME in the configuration and data folders (letters, digits, "
                                     "\"-\" and \"_\"; \"default\" or none: the usual ones)."),
                      QStringLiteral("NAME")});
}

InstanceChoice chosenInstance(const QCommandLineParser& parser)
{
    if (!parser.isSet(kInstance))
        return {};
    const std::string name = parser.value(kInstance).toStdString();
    if (const auto problem = instanceNameProblem(name))
        return {.instance = {}, .problem = QString::fromStdString(*problem)};
    return {.instance = instanceNamed(name), .problem = std::nullopt};
}
