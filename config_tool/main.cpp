// kvo7730-config: reads and changes the settings of an instance from the command line.
#include "config_tool/config_tool.h"
#include "config_tool/user_units.h"
#include "instance/instance_files.h"
#include "platform/program_identity.h"
#include "platform/qt_settings_store.h"
#include "platform/system_locale.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730-config"));
    const QCoreApplication app(argc, argv);
    const ConfigCommandLine commandLine = parseConfigCommandLine(QCoreApplication::arguments());
    if (!commandLine.request) {
        std::fputs(qPrintable(commandLine.message + '\n'), commandLine.helpRequested ? stdout : stderr);
        return commandLine.helpRequested ? config_exit::Success : config_exit::Refused;
    }
    const ConfigRequest& request = *commandLine.request;

    QtSettingsStore store(request.instance);
    const ClaimFolder claims = ClaimFolder::ofThisUser();
    SystemctlUserUnits units;
    ConfigTool tool({.instance = request.instance,
                     .store = store,
                     .storeLocation = store.location(),
                     .claims = claims,
                     .units = units,
                     .symbols = systemNumberSymbols(),
                     .sharedWithOthers = [&request](const SettingsValues& values) {
                         return sharedWithOtherInstances(request.instance, values);
                     },
                     .configuredInstances = configuredInstances,
                     .out = std::cout,
                     .err = std::cerr});
    return tool.run(request);
}
