// kvo7730-setup: reads and changes the monitor's set-up from the command line.
#include "monitor/monitor.h"
#include "platform/program_identity.h"
#include "platform/system_platform.h"
#include "setup_tool/setup_tool.h"
#include "settings/persisted_settings.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730-setup"));
    QCoreApplication app(argc, argv);
    const SetupToolCommandLine commandLine = parseSetupToolCommandLine(QCoreApplication::arguments());
    if (!commandLine.request) {
        std::fputs(qPrintable(commandLine.message + '\n'), commandLine.helpRequested ? stdout : stderr);
        return commandLine.helpRequested ? setup_exit::Success : setup_exit::Usage;
    }
    const SetupToolRequest& request = *commandLine.request;

    SystemPlatform system(request.instance);
    PersistedSettings settings(system.store);
    settings.loadAtStartup();
    LinkSettings link = settings.values();
    if (request.comPort)
        link.ComPortNum = static_cast<std::int16_t>(*request.comPort);
    // Without a method chosen in the windowed program, the monitor is on its cable.
    if (link.CommMethod == comm_method::None)
        link.CommMethod = comm_method::UsbCable;

    TerminalDialogs dialogs(std::cin, std::cerr, request.assumeYes);
    Monitor monitor({.port = system.port, .clock = system.clock, .events = system.events, .dialogs = dialogs}, link);
    SetupTool tool(monitor, system.events, std::cout, std::cerr);
    QObject::connect(&tool, &SetupTool::finished, &app, [](int status) { QCoreApplication::exit(status); });
    tool.start(request, link.ComPortNum);
    return QCoreApplication::exec();
}
