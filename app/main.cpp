// The program's entry: the Qt platform, the main window and the program around it.
#include "app/command_line.h"
#include "app/program.h"
#include "app/program_lifetime.h"
#include "common/package_info.h"
#include "desktop/program_icon.h"
#include "instance/instance_files.h"
#include "instance/instance_run.h"
#include "mainwindow/main_window.h"
#include "platform/program_identity.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_server_socket.h"
#include "platform/qt_tray_icon.h"
#include "platform/system_platform.h"
#include "platform/termination_signals.h"

#include <QApplication>
#include <cstdio>

namespace {

constexpr int kUsageStatus = 2;

} // namespace

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730"));
    ProgramCommandLine commandLine;
    {
        // --help, --version and a wrong instance name need no display: they are answered
        // before the windowed application connects to one.
        const QCoreApplication withoutDisplay(argc, argv);
        commandLine = readProgramCommandLine(QCoreApplication::arguments());
        if (commandLine.answer) {
            std::fputs(qPrintable(*commandLine.answer + '\n'), stdout);
            return 0;
        }
        if (commandLine.problem) {
            std::fputs(qPrintable(*commandLine.problem + '\n'), stderr);
            return kUsageStatus;
        }
    }
    QApplication app(argc, argv);
    // The window class and Wayland app id that tie the windows to the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(KVO_DESKTOP_ID));
    // A request to end that arrives while start-up is still running is taken by the
    // event loop once it runs.
    TerminationSignals stopSignals;
    QApplication::setQuitOnLastWindowClosed(false);
    const QIcon icon = programIcon();
    QApplication::setWindowIcon(icon);

    SystemPlatform system(commandLine.instance);
    // Held until everything else has gone, the last save included.
    InstanceRun run(commandLine.instance, "kvo7730");
    const HeldClaim::Result claimed = run.claim(storedSettings(system.store));
    if (!claimed.line.empty())
        std::fputs((claimed.line + '\n').c_str(), stderr);
    if (claimed.outcome == HeldClaim::Outcome::Refused)
        return refuseToStart(QString::fromStdString(claimed.line));

    QtTrayIcon tray(icon);
    MainWindow window(tray);
    QtDialogs dialogs(&window);
    QtServerSocket tcpserver;

    Program program(window, Platform{.companion = {.clock = system.clock,
                                                   .events = system.events,
                                                   .port = system.port,
                                                   .store = system.store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver,
                                                   .historyFile = instanceHistoryFile(commandLine.instance)},
                                     .tray = tray,
                                     .portFolders = PortFolders::ofThisUser(commandLine.instance)});
    tieToApplication(program, stopSignals);
    return runProgram(program);
}
