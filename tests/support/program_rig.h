// The whole program on scripted devices, for tests that drive it through its windows.
#pragma once

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "fake_server_socket.h"
#include "fake_tray_icon.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"

#include "app/program.h"
#include "mainwindow/main_window.h"

#include <QApplication>

struct ProgramRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    FakeTrayIcon tray;
    FakeServerSocket tcpserver;
    MainWindow window{tray};
    Program program{window, Platform{clock, events, port, store, dialogs, tray, tcpserver}};

    // The window with the given object name that has not closed, or nullptr.
    static QWidget* topLevel(const char* name)
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String(name))
                return widget;
        }
        return nullptr;
    }

    void minimize()
    {
        window.showMinimized();
        QApplication::processEvents();
    }

    // Lets Qt delete the windows that closed.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
