// Every program's name and the package's version, and the options all programs share.
#include "platform/program_identity.h"

#include "common/package_info.h"
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
