// The web posting inside the program, with scripted devices: the window created
// hidden by the first decoded packet, "Write To Web", minimizing, the start-up
// option, and the push through the TCP server.
#include "program_rig.h"

#include <QAction>
#include <QApplication>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// The program with the web-posting window's log in reach, and a monitor drawing 1500 W.
struct WebProgramRig : ProgramRig {
    WebProgramRig()
    {
        store.values = {{"StartupComIsOn", "True"}};
        monitor.state().volts = 230;
        monitor.state().watts = {1500, 0};
    }

    static QWidget* webFrm() { return topLevel("WebFrm"); }
    int logRows() { return program.webWindow().load().findChild<QTreeView*>("ListView1")->model()->rowCount(); }
};

TEST(WebPostingInProgram, firstDecodedPacket_createsTheWindowHidden_andEveryPacketRunsVex)
{
    WebProgramRig rig;
    rig.load();
    EXPECT_EQ(WebProgramRig::webFrm(), nullptr) << "not before a packet";

    rig.packet();
    QWidget* window = WebProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(rig.logRows(), 0) << "1500 W against an empty history: a step in progress";

    rig.packet();
    EXPECT_EQ(rig.logRows(), 1);
    EXPECT_EQ(WebProgramRig::webFrm(), window) << "one window for the whole run";
}

TEST(WebPostingInProgram, writeToWeb_showsTheWindowWithoutBlocking_andMinimizingHidesIt)
{
    WebProgramRig rig;
    rig.load();
    rig.window.menuAction("MnuWritetoWeb").trigger();
    QWidget* window = WebProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());

    rig.window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(WebProgramRig::webFrm(), window) << "hidden, not unloaded";
}

TEST(WebPostingInProgram, startupWithWebPostingOn_loadsTheWindowWithoutShowingIt)
{
    WebProgramRig rig;
    rig.store.values["StartupServerIsOn"] = "True";
    rig.load();
    QWidget* window = WebProgramRig::webFrm();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
}

TEST(WebPostingInProgram, aPost_pushesTheAllLineToTheConnectedClient_onlyWithTheTriggerPushOn)
{
    WebProgramRig rig;
    rig.store.values["AutoWriteLocal"] = "1";
    rig.load();
    rig.tcpserver.setState(socket_state::Connected);
    rig.packet();
    rig.packet();
    ASSERT_EQ(rig.tcpserver.sent.size(), 1u);
    EXPECT_TRUE(rig.tcpserver.sent[0].starts_with("1500\t0\t")) << rig.tcpserver.sent[0];
    EXPECT_TRUE(rig.tcpserver.sent[0].ends_with("\r\n"));

    rig.program.companion().settings().set(&SettingsValues::AutoWriteLocal, 0);
    rig.monitor.state().watts = {500, 0};
    rig.packet();
    rig.packet();
    EXPECT_EQ(rig.logRows(), 2);
    EXPECT_EQ(rig.tcpserver.sent.size(), 1u);
}

} // namespace
