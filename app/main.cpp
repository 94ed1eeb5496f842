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
    QApplication::setQuitOnLastWindowClosed(false);
    const QIcon icon = app.style()->standardIcon(QStyle::SP_ComputerIcon);
    QApplication::setWindowIcon(icon);

    QtTrayIcon tray(icon);
    MainWindow window(tray);
    QtClock clock;
    QtEventLoop events(window.Timer1());
    QtSerialPort port(userConfigDir());
    QtSettingsStore store;
    QtDialogs dialogs(&window);
    QtServerSocket tcpserver;

    Program program(window, Platform{clock, events, port, store, dialogs, tray, tcpserver});
    // Whatever ends the run (the menu, the window, the session, a signal), the
    // shut-down sequence saves the counters first.
    TerminationSignals stopSignals;
    QObject::connect(&stopSignals, &TerminationSignals::received, [&program] { program.Form_Unload(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&program] { program.Form_Unload(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&program] { program.Form_Unload(); });

    program.Form_Load();
    return app.exec();
}
