// Every program's name and the package's version, and the answer to --help and --version.
#include "platform/program_identity.h"

#include "common/package_info.h"

#include <QCommandLineParser>
#include <QCoreApplication>

void identifyProgram(const QString& name)
{
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QStringLiteral(KVO_VERSION));
}

std::optional<QString> helpOrVersionText(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("version")))
        return QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion();
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        return parser.helpText().trimmed();
    return std::nullopt;
}
