// The setup window on a monitor with the emulated KVO-7730: a read fills the boxes, the
// boxes are what a write sends, refused boxes send nothing, the buttons wait while the
// monitor is busy, closing the window in any way during any action leaves the action to
// end on its own, and every control has its name.
#include "setup_rig.h"

#include "monitor_setup/util_window_owner.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;

struct WindowRig : SetupRig {
    UtilWindowOwner owner{{.setup = setup, .decimalSymbol = '.'}};

    KVO_Util& window() { return owner.window(); }
    QLineEdit& box(const char* name) { return *window().findChild<QLineEdit*>(name); }
    QPushButton& button(const char* name) { return *window().findChild<QPushButton*>(name); }
    void type(const char* name, const char* text) { box(name).setText(text); }
    void click(const char* name) { button(name).click(); }
    Lines listLines()
    {
        Lines lines;
        auto* list = window().findChild<QListWidget*>("List1");
        for (int row = 0; row < list->count(); ++row)
            lines.push_back(list->item(row)->text().toStdString());
        return lines;
    }
};

// Qt deletes a closed window from the event loop, which these tests do not run.
void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(UtilWindow, aReadFillsEveryBoxWithTheMonitorsSettings)
{
    WindowRig rig;
    rig.click("Command6");
    rig.runJobs();

    const std::pair<const char*, const char*> expected[] = {{"Text1", " 100"}, {"Text2", " 5"}, {"Text3", " 167"},
                                                            {"Text4", " 4"},   {"Text6", " 1"}, {"Text7", " 2"},
                                                            {"Text5", " 15"},  {"Text8", "1.234"}, {"Text9", " 33"}};
    for (const auto& [name, text] : expected)
        EXPECT_EQ(rig.box(name).text(), text) << name;
    EXPECT_EQ(rig.listLines(), Lines{"Settings have been read successfuly"});

    if (const char* screenshot = std::getenv("KVO_UTIL_SCREENSHOT")) {
        rig.window().resize(rig.window().sizeHint());
        rig.window().grab().save(screenshot);
    }
}

TEST(UtilWindow, aFailedReadLeavesTheBoxesEmpty)
{
    WindowRig rig;
    rig.emulator = MonitorEmulator(MonitorState{}, {.silent = true}, StreamFaults{});
    rig.type("Text1", "77");
    rig.click("Command6");
    rig.runJobs();
    EXPECT_TRUE(rig.box("Text1").text().isEmpty());
    EXPECT_EQ(rig.listLines().back(), "Could not read settings... Try again.");
}

TEST(UtilWindow, theBoxesAreWhatAWriteSends)
{
    WindowRig rig;
    rig.type("Text3", "167");
    rig.type("Text4", "5");
    rig.click("Command2");
    rig.type("Text6", "3");
    rig.type("Text7", "7");
    rig.click("Command4");
    rig.type("Text5", "60");
    rig.click("Command3");
    rig.type("Text9", "12.4");
    rig.click("Command7");
    rig.runJobs();

    const MonitorSettings& config = rig.emulator.state().configuration;
    EXPECT_EQ(config.ct2Range, 5);
    EXPECT_EQ(config.ptType, 3);
    EXPECT_EQ(config.ptRange, 7);
    EXPECT_EQ(config.interval, 60);
    EXPECT_EQ(config.deviceId, 12);

    rig.click("Command9");
    rig.runJobs();
    EXPECT_EQ(rig.box("Text10").text(), "Acknowledged");
}

TEST(UtilWindow, aRefusedBoxIsShownAndNothingIsSent)
{
    const struct {
        const char* button;
        std::vector<std::pair<const char*, const char*>> boxes;
        Lines lines;
        const char* message;
    } cases[] = {
        {"Command1", {{"Text1", "100"}, {"Text2", "0"}}, {}, "Improper Range"},
        {"Command2", {{"Text3", "300"}, {"Text4", "5"}},
         {"PROBLEM Modifying CH2 CT Type and Range", "The CT type and range must be whole numbers from 0 to 255."},
         "Error writing CT setup values"},
        {"Command4", {{"Text6", "1"}, {"Text7", "11"}}, {}, "Improper Range"},
        {"Command3", {{"Text5", "300"}}, {}, "Invalid Storage Interval Value"},
        {"Command7", {{"Text9", "128"}}, {}, "Invalid Device ID Value"},
    };
    for (const auto& c : cases) {
        WindowRig rig;
        rig.setup.statusList().addLine("an earlier line");
        for (const auto& [name, text] : c.boxes)
            rig.type(name, text);
        rig.click(c.button);
        EXPECT_FALSE(rig.monitor.busy()) << c.button;
        EXPECT_EQ(rig.dialogs.messages, Lines{c.message}) << c.button;
        EXPECT_EQ(rig.listLines(), c.lines) << c.button;
        EXPECT_TRUE(rig.port.writes.empty()) << c.button;
    }
}

TEST(UtilWindow, whileTheMonitorIsBusyItsButtonsWaitAndSaySo)
{
    WindowRig rig;
    rig.click("Command6");
    ASSERT_TRUE(rig.monitor.busy());
    for (const char* name : {"Command1", "Command6", "Command9", "Command10", "Command16"}) {
        EXPECT_FALSE(rig.button(name).isEnabled()) << name;
        EXPECT_FALSE(rig.button(name).accessibleDescription().isEmpty()) << name;
    }
    // Leaving, and what never talks to the monitor, do not wait.
    EXPECT_TRUE(rig.button("Command5").isEnabled());
    EXPECT_TRUE(rig.button("Command11").isEnabled());

    rig.runJobs();
    EXPECT_TRUE(rig.button("Command6").isEnabled());
    EXPECT_TRUE(rig.button("Command6").accessibleDescription().isEmpty());

    // A window opened while a job runs shows it from the start.
    rig.setup.readSettings();
    UtilWindowOwner second{{.setup = rig.setup}};
    EXPECT_FALSE(second.window().findChild<QPushButton*>("Command9")->isEnabled());
}

TEST(UtilWindow, closingTheWindowDuringAnyActionLeavesTheActionToEnd)
{
    using Close = std::function<void(WindowRig&)>;
    const std::pair<const char*, Close> closes[] = {
        {"Exit", [](WindowRig& rig) { rig.click("Command5"); }},
        {"menu Exit", [](WindowRig& rig) { rig.window().findChild<QAction*>("MnuExit")->trigger(); }},
        {"title bar", [](WindowRig& rig) { rig.window().close(); }},
        {"Escape", [](WindowRig& rig) { QTest::keyClick(&rig.box("Text1"), Qt::Key_Escape); }},
        {"minimize", [](WindowRig& rig) { rig.owner.closeUnlessMaximized(); }},
    };
    using Check = std::function<bool(const MonitorState&)>;
    const std::pair<const char*, Check> actions[] = {
        {"Command1", [](const MonitorState& s) { return s.configuration.ct1Range == 9; }},
        {"Command2", [](const MonitorState& s) { return s.configuration.ct2Range == 9; }},
        {"Command3", [](const MonitorState& s) { return s.configuration.interval == 9; }},
        {"Command4", [](const MonitorState& s) { return s.configuration.ptRange == 9; }},
        {"Command6", [](const MonitorState&) { return true; }},
        {"Command7", [](const MonitorState& s) { return s.configuration.deviceId == 9; }},
        {"Command9", [](const MonitorState&) { return true; }},
        {"Command10", [](const MonitorState& s) { return s.resetCount == 1; }},
        {"Command15", [](const MonitorState& s) { return s.polarityReversed[0]; }},
        {"Command16", [](const MonitorState& s) { return s.polarityReversed[1]; }},
    };
    for (const auto& [closeName, close] : closes) {
        for (const auto& [button, reachedMonitor] : actions) {
            const std::string what = std::string(button) + " closed by " + closeName;
            WindowRig rig;
            rig.realTimeFlows();
            rig.dialogs.answers = {true};
            rig.owner.MnuUtil_Click();
            for (const char* box : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text9"})
                rig.type(box, "9");
            rig.click(button);
            rig.events.runFor(30);
            ASSERT_TRUE(rig.monitor.busy()) << what;

            QPointer<KVO_Util> closed(&rig.window());
            close(rig);
            deleteClosedWindows();
            EXPECT_FALSE(closed) << what;
            rig.runJobs();

            EXPECT_FALSE(rig.monitor.busy()) << what;
            EXPECT_TRUE(reachedMonitor(rig.emulator.state())) << what;
            // Real time is back as the action found it.
            EXPECT_TRUE(rig.emulator.realTimeOn()) << what;
            // A new window starts empty and works.
            EXPECT_TRUE(rig.box("Text1").text().isEmpty()) << what;
            rig.click("Command9");
            rig.runJobs();
            EXPECT_EQ(rig.box("Text10").text(), "Acknowledged") << what;
        }
    }
}

TEST(UtilWindow, preResetValuesAreClearedOnlyAfterYes)
{
    WindowRig rig;
    rig.monitor.restoreCounters({.PreResetVal1 = 5, .PreResetValP2 = 7});
    rig.click("Command11");
    EXPECT_EQ(rig.monitor.counters().PreResetVal1, 5);
    rig.dialogs.answers = {true};
    rig.click("Command11");
    EXPECT_EQ(rig.monitor.counters().PreResetVal1, 0);
    EXPECT_EQ(rig.monitor.counters().PreResetValP2, 0);
}

TEST(UtilWindow, typicalValuesCaptionAndEveryControlsName)
{
    WindowRig rig;
    KVO_Util& window = rig.window();
    EXPECT_EQ(window.windowTitle(), "Energy Consumption Monitor / Logger SETUP");
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("Text12")->toPlainText(),
              "    Typical Setting Values:\n\nSPLIT-60: Type:100/Range:5\nSPLIT-100: Type:167/Range:5\n"
              "CLAMP-100: Type:167/Range:5\nSPLIT-200: Type:167/Range:4\nCLAMP-200: Type:167/Range:4\n");
    const auto buttons = window.findChildren<QPushButton*>();
    EXPECT_EQ(buttons.size(), 12);
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->focusPolicy() & Qt::TabFocus
            && (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control))) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(window.findChild<QLineEdit*>("Text1")->accessibleName(), "CH 1 Type");
}

} // namespace
