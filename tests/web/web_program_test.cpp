// The web posting inside the program, with scripted devices: the window created
// hidden by the first decoded packet, "Write To Web", minimizing, the start-up
// option, and the push through the TCP server.
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

#include <QAction>
#include <QApplication>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

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
    MonitorEmulator monitor;

    ProgramRig()
    {
        store.values = {{"StartupComIsOn", "True"}};
        monitor.state().volts = 230;
        monitor.state().watts = {1500, 0};
    }

    // One second of the monitor's time: its packet reaches the port.
    void packet()
    {
        monitor.advance(1);
        port.feed(monitor.packet());
        port.notify();
    }

    static QWidget* webFrm()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("WebFrm"))
                return widget;
        }
        return nullptr;
    }
    int logRows() { return program.webPosting().load().findChild<QTreeView*>("ListView1")->model()->rowCount(); }
};

TEST(WebPostingInProgram, firstDecodedPacket_createsTheWindowHidden_andEveryPacketRunsVex)
{
    ProgramRig rig;
    rig.program.Form_Load();
    EXPECT_EQ(ProgramRig::webFrm(), nullptr) << "not before a packet";

    rig.packet();
    QWidget* window = ProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(rig.logRows(), 0) << "1500 W against an empty history: a step in progress";

    rig.packet();
    EXPECT_EQ(rig.logRows(), 1);
    EXPECT_EQ(ProgramRig::webFrm(), window) << "one window for the whole run";
}

TEST(WebPostingInProgram, writeToWeb_showsTheWindowWithoutBlocking_andMinimizingHidesIt)
{
    ProgramRig rig;
    rig.program.Form_Load();
    rig.window.menuAction("MnuWritetoWeb").trigger();
    QWidget* window = ProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());

    rig.window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ProgramRig::webFrm(), window) << "hidden, not unloaded";
}

TEST(WebPostingInProgram, startupWithWebPostingOn_loadsTheWindowWithoutShowingIt)
{
    ProgramRig rig;
    rig.store.values["StartupServerIsOn"] = "True";
    rig.program.Form_Load();
    QWidget* window = ProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
}

TEST(WebPostingInProgram, aPost_pushesTheAllLineToTheConnectedClient_onlyWithTheTriggerPushOn)
{
    ProgramRig rig;
    rig.store.values["AutoWriteLocal"] = "1";
    rig.program.Form_Load();
    rig.tcpserver.setState(socket_state::Connected);
    rig.packet();
    rig.packet();
    ASSERT_EQ(rig.tcpserver.sent.size(), 1u);
    EXPECT_TRUE(rig.tcpserver.sent[0].starts_with("1500\t0\t")) << rig.tcpserver.sent[0];
    EXPECT_TRUE(rig.tcpserver.sent[0].ends_with("\r\n"));

    rig.program.state().AutoWriteLocal = 0;
    rig.monitor.state().watts = {500, 0};
    rig.packet();
    rig.packet();
    EXPECT_EQ(rig.logRows(), 2);
    EXPECT_EQ(rig.tcpserver.sent.size(), 1u);
}

} // namespace
