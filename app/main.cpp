// The program's entry: the Qt platform, the main window and the program around it.
#include "app/command_line.h"
#include "app/program.h"
#include "app/program_lifetime.h"
#include "common/package_info.h"
#include "desktop/program_icon.h"
#include "mainwindow/main_window.h"
#include "platform/program_identity.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_server_socket.h"
#include "platform/qt_tray_icon.h"
#include "platform/system_platform.h"
#include "platform/termination_signals.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    identifyProgram(QStringLiteral("kvo7730"));
    {
        // --help and --version need no display: they are answered before the windowed
        // application connects to one.
        const QCoreApplication withoutDisplay(argc, argv);
        if (const std::optional<QString> text = programHelpOrVersion(QCoreApplication::arguments())) {
            std::fputs(qPrintable(*text + '\n'), stdout);
            return 0;
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

    QtTrayIcon tray(icon);
    MainWindow window(tray);
    SystemPlatform system;
    QtDialogs dialogs(&window);
    QtServerSocket tcpserver;

    Program program(window, Platform{.companion = {.clock = system.clock,
                                                   .events = system.events,
                                                   .port = system.port,
                                                   .store = system.store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver,
                                                   .historyFile = HistoryStore::userFile()},
                                     .tray = tray});
    tieToApplication(program, stopSignals);
    return runProgram(program);
}
