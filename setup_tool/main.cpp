// kvo7730-setup: reads and changes the monitor's set-up from the command line.
#include "monitor/monitor.h"
#include "platform/com_port_path.h"
#include "platform/program_identity.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_settings_store.h"
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

    QtSettingsStore store;
    PersistedSettings settings(store);
    settings.loadAtStartup();
    LinkSettings link = settings.values();
    if (request.comPort)
        link.ComPortNum = static_cast<std::int16_t>(*request.comPort);
    // Without a method chosen in the windowed program, the monitor is on its cable.
    if (link.CommMethod == comm_method::None)
        link.CommMethod = comm_method::UsbCable;

    QtClock clock;
    QtEventLoop events;
    QtSerialPort port(userConfigDir());
    TerminalDialogs dialogs(std::cin, std::cerr, request.assumeYes);
    Monitor monitor({.port = port, .clock = clock, .events = events, .dialogs = dialogs}, link);
    SetupTool tool(monitor, events, std::cout, std::cerr);
    QObject::connect(&tool, &SetupTool::finished, &app, [](int status) { QCoreApplication::exit(status); });
    tool.start(request, link.ComPortNum);
    return QCoreApplication::exec();
}
