// The program's entry: the Qt platform, the main window and the program around it.
#include "app/program.h"
#include "mainwindow/main_window.h"
#include "platform/com_port_path.h"
#include "platform/qt_clock.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_server_socket.h"
#include "platform/qt_settings_store.h"
#include "platform/qt_tray_icon.h"
#include "platform/termination_signals.h"

#include <QApplication>
#include <QStyle>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // A request to end that arrives while start-up is still running is taken by
    // the first event loop that runs, nested or not.
    TerminationSignals stopSignals;
    QApplication::setQuitOnLastWindowClosed(false);
    const QIcon icon = app.style()->standardIcon(QStyle::SP_ComputerIcon);
    QApplication::setWindowIcon(icon);

    QtTrayIcon tray(icon);
    MainWindow window(tray);
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port(userConfigDir());
    QtSettingsStore store;
    QtDialogs dialogs(&window);
    QtServerSocket tcpserver;

    Program program(window, Platform{.companion = {.clock = clock,
                                                   .events = events,
                                                   .port = port,
                                                   .store = store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver,
                                                   .historyFile = HistoryStore::userFile()},
                                     .tray = tray});
    // exit() rather than quit(): it ends every loop in progress (a message box's
    // too), and no window can refuse it.
    QObject::connect(&program, &Program::finished, &app, [] { QCoreApplication::exit(0); });
    // Whatever ends the run (the menu, the window, a signal), the shut-down sequence
    // saves the counters first.
    QObject::connect(&stopSignals, &TerminationSignals::received, &program, &Program::Form_Unload);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &program, &Program::Form_Unload);
    // A log-out may still be cancelled: the settings are saved, and the program goes on.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &program,
                     [&program] { program.companion().saveSettings(); });

    program.Form_Load();
    // Ended during start-up: exit() before the loop runs would be forgotten by exec().
    if (program.ended())
        return 0;
    return app.exec();
}
