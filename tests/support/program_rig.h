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
#include "simulator/monitor_emulator.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>
#include <string>

// Socket is the TCP server socket: the scripted one, or a real one on loopback.
template <typename Socket>
struct BasicProgramRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    FakeTrayIcon tray;
    Socket tcpserver;
    MainWindow window{tray};
    // No port links and no adapters of this machine's user: an empty folder stands in.
    QTemporaryDir portFolder;
    Program program{window, Platform{.companion = {.clock = clock,
                                                   .events = events,
                                                   .port = port,
                                                   .store = store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver},
                                     .tray = tray,
                                     .portFolders = {.configDir = portFolder.path().toStdString(),
                                                     .byIdFolder = portFolder.path().toStdString() + "/by-id"}}};
    MonitorEmulator monitor;

    // The start-up, and the jobs it queues (the port's open at start-up) run to their end.
    void load()
    {
        program.Form_Load();
        events.runUntilIdle();
    }

    // One second of the monitor's time: its packet reaches the program's receiver.
    void packet()
    {
        monitor.advance(1);
        port.feed(monitor.packet());
        port.notify();
    }

    QString text(const char* name) { return window.findChild<QLineEdit*>(name)->text(); }
    QColor background(const char* name) { return window.findChild<QLineEdit*>(name)->palette().color(QPalette::Base); }
    // The program's timers live in the parts without windows (the monitor's, the
    // periodic save, the server's status timer); a window's own timers come after.
    QTimer& timer(const char* name)
    {
        QTimer* found = program.companion().findChild<QTimer*>(name);
        if (found == nullptr)
            found = window.findChild<QTimer*>(name);
        if (found == nullptr)
            throw std::logic_error(std::string("no timer named ") + name);
        return *found;
    }
    static void tick(QTimer& timer) { QMetaObject::invokeMethod(&timer, "timeout"); }
    void tick(const char* name) { tick(timer(name)); }

    void minimize()
    {
        window.showMinimized();
        QApplication::processEvents();
    }

    // The window with the given object name that has not closed, or nullptr.
    static QWidget* topLevel(const char* name)
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String(name))
                return widget;
        }
        return nullptr;
    }

    // Lets Qt delete the windows that closed.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

using ProgramRig = BasicProgramRig<FakeServerSocket>;
