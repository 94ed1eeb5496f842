// The setup window on the emulated monitor: a read fills the boxes, the typical values,
// a write from the boxes, and a name for every control.
#include "link_rig.h"

#include "monitor_setup/util_window.h"
#include "simulator/monitor_emulator.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

struct WindowRig : LinkRig {
    MonitorEmulator emulator;
    int preResetClears = 0;
    KVO_Util window{UtilWindowContext{
        .link = [this](StatusList& List1) {
            return SetupLink{.port = port, .clock = clock, .events = events, .dialogs = dialogs, .state = state,
                             .ports = ports, .commands = exchange, .realTime = control, .List1 = List1};
        },
        .clearPreResetValues = [this] { ++preResetClears; },
        .decimalSymbol = '.'}};

    WindowRig()
    {
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        openPort();
    }

    QString boxText(const char* name) { return window.findChild<QLineEdit*>(name)->text(); }
    void click(const char* name) { window.findChild<QPushButton*>(name)->click(); }
};

TEST(UtilWindow, aReadFillsEveryBoxWithTheMonitorsSettings)
{
    WindowRig rig;
    rig.click("Command6");

    const std::pair<const char*, const char*> expected[] = {{"Text1", " 100"}, {"Text2", " 5"}, {"Text3", " 167"},
                                                            {"Text4", " 4"},   {"Text6", " 1"}, {"Text7", " 2"},
                                                            {"Text5", " 15"},  {"Text8", "1.234"}, {"Text9", " 33"}};
    for (const auto& [name, text] : expected)
        EXPECT_EQ(rig.boxText(name), text) << name;
    auto* list = rig.window.findChild<QListWidget*>("List1");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Settings have been read successfuly");

    const char* screenshot = std::getenv("KVO_UTIL_SCREENSHOT");
    if (screenshot) {
        rig.window.resize(rig.window.sizeHint());
        rig.window.grab().save(screenshot);
    }
}

TEST(UtilWindow, theBoxesAreWhatAWriteSends)
{
    WindowRig rig;
    rig.window.findChild<QLineEdit*>("Text3")->setText("167");
    rig.window.findChild<QLineEdit*>("Text4")->setText("5");
    rig.click("Command2");
    EXPECT_EQ(rig.emulator.state().configuration.ct2Range, 5);

    rig.dialogs.answers = {true};
    rig.click("Command11");
    EXPECT_EQ(rig.preResetClears, 1);
    rig.click("Command9");
    EXPECT_EQ(rig.boxText("Text10"), "Acknowledged");
}

TEST(UtilWindow, typicalValuesCaptionAndEveryControlsName)
{
    WindowRig rig;
    EXPECT_EQ(rig.window.windowTitle(), "Energy Consumption Monitor / Logger SETUP");
    EXPECT_EQ(rig.window.findChild<QPlainTextEdit*>("Text12")->toPlainText(),
              "    Typical Setting Values:\n\nSPLIT-60: Type:100/Range:5\nSPLIT-100: Type:167/Range:5\n"
              "CLAMP-100: Type:167/Range:5\nSPLIT-200: Type:167/Range:4\nCLAMP-200: Type:167/Range:4\n");
    const auto buttons = rig.window.findChildren<QPushButton*>();
    EXPECT_EQ(buttons.size(), 12);
    for (QWidget* control : rig.window.findChildren<QWidget*>()) {
        if (control->focusPolicy() & Qt::TabFocus && (qobject_cast<QAbstractButton*>(control)
                                                      || qobject_cast<QLineEdit*>(control))) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(rig.window.findChild<QLineEdit*>("Text1")->accessibleName(), "CH 1 Type");
}

} // namespace
