// The program's start-up, shut-down, menus, timers and notification-area behaviour,
// on the offscreen platform with scripted devices.
#include "program_rig.h"

#include "app/program_lifetime.h"
#include "platform/termination_signals.h"
#include "settings/setting_keys.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

constexpr int kLoopStillRunning = 99;

std::vector<std::string> names(std::span<const Setting> order)
{
    std::vector<std::string> keys;
    for (const Setting id : order)
        keys.emplace_back(settingKey(id).name);
    return keys;
}

TEST(ProgramStartup, firstRun_comesUpWithPortClosedRealTimeStoppedServerClosed_andSendsNothing)
{
    ProgramRig rig;
    rig.program.Form_Load();

    EXPECT_EQ(rig.window.windowTitle(),
              QStringLiteral("KVO-7730 Rida Download and Real-Time Software Version 1.00 beta"));
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("COM Port is Closed"));
    EXPECT_EQ(rig.background("Text1"), QColor(255, 0, 0));
    EXPECT_EQ(rig.text("Text2"), QStringLiteral("Real-Time Data Stopped"));
    EXPECT_EQ(rig.background("Text2"), QColor(255, 0, 0));
    EXPECT_EQ(rig.text("Text12"), QStringLiteral("TCP Server Closed"));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_TRUE(rig.dialogs.questions.empty());
    EXPECT_EQ(rig.program.monitor().state().NoDataSeconds, 6);
    ASSERT_FALSE(rig.dialogs.pointerChanges.empty());
    EXPECT_FALSE(rig.dialogs.pointerChanges.back()) << "the pointer is back to the default";
    EXPECT_EQ(rig.tray.tip, "KVO-7730 Resident Server");
    EXPECT_FALSE(rig.tray.shown);
}

TEST(ProgramStartup, firstRun_readsEveryKeyInOrder_andTakesTheDefaults)
{
    ProgramRig rig;
    rig.program.Form_Load();

    EXPECT_EQ(rig.store.reads, names(startupLoadOrder()));
    EXPECT_EQ(rig.program.settings().ComPortNum, 1);
    EXPECT_EQ(rig.program.settings().TCPportNum, 1234);
    EXPECT_EQ(rig.program.settings().VexUser, "****");
}

TEST(ProgramStartup, timersAndHiddenControls_areAsTheWindowStarts)
{
    ProgramRig rig;
    rig.program.Form_Load();

    EXPECT_TRUE(rig.timer("Timer2").isActive());
    EXPECT_EQ(rig.timer("Timer2").interval(), 1000);
    EXPECT_FALSE(rig.timer("Timer3").isActive()) << "no automatic start unless asked for";
    EXPECT_TRUE(rig.timer("Timer4").isActive());
    EXPECT_EQ(rig.timer("Timer4").interval(), 3000);
    EXPECT_TRUE(rig.timer("Timer5").isActive());
    EXPECT_EQ(rig.timer("Timer5").interval(), 800);
    for (int n = 3; n <= 11; ++n)
        EXPECT_FALSE(rig.window.findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n))->isVisible()) << n;
    for (int n = 2; n <= 7; ++n)
        EXPECT_FALSE(rig.window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(n))->isVisible()) << n;
    EXPECT_FALSE(rig.window.findChild<QTreeWidget*>("ListView1")->isVisible());
    EXPECT_EQ(rig.window.findChild<QListWidget*>("List1")->font().family(), QStringLiteral("Arial"));
}

TEST(ProgramStartup, startupComWithInvalidPort_asksAboutTheSearchAfterTheWindowIsUp)
{
    ProgramRig rig;
    rig.store.values["StartupComIsOn"] = "True";
    rig.port.openSucceeds = false;
    rig.dialogs.holdAnswers = true;

    rig.program.Form_Load();

    ASSERT_EQ(rig.dialogs.questions.size(), 1u);
    EXPECT_EQ(rig.dialogs.questions[0], "Invalid COM port. Would you like to search for available ports?");
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_EQ(rig.dialogs.open.size(), 1u) << "the question waits for its answer without holding the start-up";
}

TEST(ProgramStartup, startupRealTimeWithoutStartupCom_waitsForTheUserToOpenThePort_thenStartsOnce)
{
    ProgramRig rig;
    rig.store.values["StartupRTLisOn"] = "True";
    rig.store.values["ZigbeeVersion"] = "8";
    rig.port.peer = [](std::string_view) { return std::string(1, static_cast<char>(252)); };
    rig.program.Form_Load();
    ASSERT_TRUE(rig.timer("Timer3").isActive());

    rig.tick("Timer3");
    EXPECT_TRUE(rig.timer("Timer3").isActive()) << "keeps waiting for the port";
    EXPECT_TRUE(rig.port.written.empty());

    rig.window.menuAction("MnuOpenCom").trigger();
    ASSERT_TRUE(rig.port.isOpen());
    rig.events.runUntilIdle();
    rig.tick("Timer3");
    rig.events.runUntilIdle();

    EXPECT_FALSE(rig.timer("Timer3").isActive());
    EXPECT_EQ(rig.port.written, "\xFCTOGPLR");
    EXPECT_TRUE(rig.program.monitor().state().RealTimeOn);
}

TEST(ProgramMenus, everyEntryHasItsNameCaptionAndPlace)
{
    ProgramRig rig;
    QMenuBar* bar = rig.window.menuBar();
    QStringList top;
    for (QAction* action : bar->actions())
        top << action->text();
    EXPECT_EQ(top, (QStringList{"Files", "Communication", "Write To Web", "Options", "KVO-7730 Utility", "View", "Help"}));

    auto entries = [&](const char* menuName) {
        QStringList list;
        for (QAction* action : rig.window.findChild<QMenu*>(menuName)->actions())
            list << action->objectName() + "=" + action->text();
        return list;
    };
    EXPECT_EQ(entries("MnuFiles"), (QStringList{"MnuExportHistory=Export History...", "=", "MnuExit=Exit"}));
    EXPECT_EQ(entries("MnuView"), QStringList{"MnuLiveReadings=Live Readings"});
    EXPECT_EQ(entries("MnuComSetup"), QStringList{"MnuOPEN=OPEN"});
    EXPECT_EQ(entries("MnuHelp"), QStringList{"MnuAbout=About"});
    QStringList communication = entries("MnuCom");
    communication.removeFirst();  // the "Communication Panel" submenu
    EXPECT_EQ(communication,
              (QStringList{"MnuOpenCom=Open COM Port", "MnuClosePort=Close COM Port",
                           "MnuStartRTL=Start Real-Time Data", "MnuStopRTL=Stop Real-Time Data",
                           "MnuOpenSocket=Open Socket", "MnuCloseSocket=Close Socket"}));
    for (const char* name : {"MnuWritetoWeb", "MnuOptions", "MnuUtil"})
        EXPECT_TRUE(rig.window.menuAction(name).isEnabled()) << name;
}

TEST(ProgramMenus, about_showsItsOwnVersionBesideTheCaptions)
{
    ProgramRig rig;
    rig.window.menuAction("MnuAbout").trigger();

    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    const std::string& text = rig.dialogs.messages[0];
    EXPECT_TRUE(text.starts_with("KVO-7730 Resident Server Software 1.01 . This software requires firmware "
                                 "version 2.200 or higher. Firmware updates, installer software and "
                                 "instructions may be obtained from "))
        << text;
    EXPECT_TRUE(text.ends_with(" ."));
}

TEST(ProgramShutdown, exit_closesThePortSavesInShutdownOrderAndRemovesTheIcon)
{
    ProgramRig rig;
    rig.store.values["StartupComIsOn"] = "True";
    rig.program.Form_Load();
    ASSERT_TRUE(rig.port.isOpen());
    rig.program.companion().monitor().restoreCounters({.PrevAbsWs1 = 123456789});
    // Exit from the notification area: the icon is there to be removed.
    rig.minimize();
    ASSERT_TRUE(rig.tray.shown);
    rig.store.writes.clear();
    int finished = 0;
    QObject::connect(&rig.program, &Program::finished, [&] { ++finished; });

    rig.window.menuAction("MnuExit").trigger();

    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.store.writes, names(shutdownSaveOrder()));
    EXPECT_EQ(rig.store.values["E1B"], "123456789");
    EXPECT_FALSE(rig.tray.shown);
    EXPECT_TRUE(rig.program.ended());
    EXPECT_EQ(finished, 1);
    for (const char* name : {"Timer2", "Timer3", "Timer4", "Timer5"})
        EXPECT_FALSE(rig.timer(name).isActive()) << name << " would act after the save";

    rig.program.Form_Unload();  // a second way out (a signal, the window) must not save twice
    EXPECT_EQ(rig.store.writes, names(shutdownSaveOrder()));
    EXPECT_EQ(finished, 2) << "every request to end is answered, so the event loop ends whichever one it sees";
}

TEST(ProgramShutdown, closingTheWindow_endsTheRunLikeExit)
{
    ProgramRig rig;
    rig.program.Form_Load();
    int finished = 0;
    QObject::connect(&rig.program, &Program::finished, [&] { ++finished; });

    rig.window.close();

    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(rig.program.ended());
    EXPECT_EQ(rig.store.writes, names(shutdownSaveOrder()));
}

TEST(ProgramShutdown, terminationSignal_withTheUtilityOptionsAndWebWindowsOpen_endsTheEventLoopAfterOneSave)
{
    ProgramRig rig;
    TerminationSignals stopSignals;
    tieToApplication(rig.program, stopSignals);
    rig.program.Form_Load();
    // As a user would leave them: each window hides instead of closing when asked.
    for (const char* entry : {"MnuUtil", "MnuOptions", "MnuWritetoWeb"})
        rig.window.menuAction(entry).trigger();
    for (const char* name : {"KVO_Util", "OptionsFrm", "WebFrm"}) {
        QWidget* shown = rig.topLevel(name);
        ASSERT_TRUE(shown != nullptr && shown->isVisible()) << name;
    }
    rig.store.writes.clear();

    QTimer::singleShot(0, [] { ::raise(SIGTERM); });
    QTimer::singleShot(2000, [] { QCoreApplication::exit(kLoopStillRunning); });
    const int status = QCoreApplication::exec();

    EXPECT_EQ(status, 0) << "the event loop outlived the end of the run";
    EXPECT_TRUE(rig.program.ended());
    EXPECT_EQ(rig.store.writes, names(shutdownSaveOrder()));
}

// An end asked for while a job talks to the monitor ends the job at its wait: the
// settings are saved once, and nothing reaches the port or the screen after the save.
struct EndDuringJob {
    const char* name;
    const char* connectionMethod;
    std::function<void(ProgramRig&)> startJob;
};

void PrintTo(const EndDuringJob& c, std::ostream* out)
{
    *out << c.name;
}

class ProgramEndDuringJob : public testing::TestWithParam<EndDuringJob> {};

TEST_P(ProgramEndDuringJob, endsTheJobAtItsWait_savesOnce_andNothingFollowsTheSave)
{
    ProgramRig rig;
    rig.store.values = {{"StartupComIsOn", "True"}, {"ZigbeeVersion", GetParam().connectionMethod}};
    // A monitor (and a dongle) that answers every write, a little later.
    rig.port.peer = [&rig](std::string_view) {
        rig.port.feedAt(rig.clock.elapsedMs() + 300, std::string(1, static_cast<char>(252)));
        return std::string();
    };
    rig.dialogs.holdAnswers = true;
    rig.program.Form_Load();
    rig.events.runFor(600);
    ASSERT_TRUE(rig.port.isOpen());
    GetParam().startJob(rig);
    rig.events.runFor(150);
    ASSERT_TRUE(rig.program.companion().monitor().busy()) << "the job is waiting on the monitor";
    int saves = 0;
    QObject::connect(&rig.program, &Program::finished, [&] { saves = static_cast<int>(rig.store.writes.size()); });
    rig.store.writes.clear();

    rig.program.Form_Unload();
    const std::string writtenAtTheEnd = rig.port.written;
    const std::size_t messagesAtTheEnd = rig.dialogs.messages.size();
    rig.events.runUntilIdle();
    while (!rig.dialogs.open.empty())
        rig.dialogs.answerOldest();
    rig.events.runUntilIdle();

    EXPECT_FALSE(rig.program.companion().monitor().busy());
    EXPECT_EQ(rig.store.writes, names(shutdownSaveOrder())) << "saved once";
    EXPECT_EQ(saves, static_cast<int>(shutdownSaveOrder().size()));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.port.written, writtenAtTheEnd) << "nothing was written after the save";
    EXPECT_EQ(rig.dialogs.messages.size(), messagesAtTheEnd) << "no box after the save";
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramEndDuringJob,
    testing::Values(
        EndDuringJob{"aRealTimeStart", "8", [](ProgramRig& rig) { rig.window.menuAction("MnuStartRTL").trigger(); }},
        EndDuringJob{"aZigbeeDiscovery", "1", [](ProgramRig& rig) { rig.window.menuAction("MnuStopRTL").trigger(); }},
        EndDuringJob{"aSettingsRead", "8",
                     [](ProgramRig& rig) {
                         rig.window.menuAction("MnuUtil").trigger();
                         auto* read = ProgramRig::topLevel("KVO_Util")->findChild<QPushButton*>("Command6");
                         ASSERT_NE(read, nullptr);
                         read->click();
                     }}),
    [](const testing::TestParamInfo<EndDuringJob>& info) { return info.param.name; });

TEST(ProgramTimers, periodicSave_comesOnThe101stTickOfTimer4)
{
    ProgramRig rig;
    rig.program.Form_Load();
    for (int i = 0; i < 100; ++i)
        rig.tick("Timer4");
    EXPECT_TRUE(rig.store.writes.empty());

    rig.tick("Timer4");
    EXPECT_EQ(rig.store.writes, names(periodicSaveOrder()));
}

TEST(ProgramTray, minimizing_hidesToTheIcon_andADoubleClickBringsTheWindowBack)
{
    ProgramRig rig;
    rig.program.Form_Load();

    rig.minimize();
    EXPECT_FALSE(rig.window.isVisible());
    EXPECT_TRUE(rig.tray.shown);

    rig.tray.doubleClick();
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_FALSE(rig.window.isMinimized());
    EXPECT_FALSE(rig.tray.shown);

    rig.minimize();
    EXPECT_TRUE(rig.tray.shown) << "each minimize adds the icon again";
}

TEST(ProgramTray, withoutANotificationArea_minimizingNeverHidesTheWindow)
{
    ProgramRig rig;
    rig.tray.available = false;
    rig.program.Form_Load();

    rig.minimize();

    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_FALSE(rig.tray.shown);
}

TEST(ProgramWindow, deleteBoxAndContents_returnsTheWindowToItsStartSizeAndPlace)
{
    ProgramRig rig;
    rig.program.Form_Load();
    const QSize startSize = rig.window.size();
    rig.window.resize(startSize * 2);
    rig.window.move(40, 60);

    rig.window.findChild<QPushButton*>("Command1")->click();

    EXPECT_EQ(rig.window.size(), startSize);
    EXPECT_EQ(rig.window.pos(), QPoint(0, 0));
}

} // namespace
