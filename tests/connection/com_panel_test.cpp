// The COM panel in the program on scripted devices: the port search and selection,
// the method buttons, leaving the panel, the port boxes' refusals, and the ways the
// program opens and closes it.
#include "program_rig.h"

#include "connection/com_panel.h"
#include "platform/com_port_path.h"
#include "simulator/zigbee_dongle.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const std::string kAskSearch = "Invalid COM port. Would you like to search for available ports?";

using Stored = std::map<std::string, std::string>;

struct PanelRig : ProgramRig {
    explicit PanelRig(Stored stored = {{"ZigbeeVersion", "8"}})
    {
        store.values = std::move(stored);
        program.Form_Load();
    }

    COMpanel& open()
    {
        window.menuAction("MnuOPEN").trigger();
        COMpanel* panel = program.comPanel().window();
        if (panel == nullptr)
            throw std::logic_error("no COM panel");
        return *panel;
    }
    QStringList rows(const char* list)
    {
        QStringList texts;
        auto* widget = program.comPanel().window()->findChild<QListWidget*>(list);
        for (int i = 0; i < widget->count(); ++i)
            texts << widget->item(i)->text();
        return texts;
    }
    // Lets the monitor's jobs run to their end on virtual time.
    void run() { events.runUntilIdle(); }
    QWidget* control(const char* name) { return program.comPanel().window()->findChild<QWidget*>(name); }
    QLineEdit* box(const char* name) { return program.comPanel().window()->findChild<QLineEdit*>(name); }
    void type(const char* name, const QString& text, void (COMpanel::*lostFocus)())
    {
        box(name)->setText(text);
        (program.comPanel().window()->*lostFocus)();
    }
};

TEST(ComPanel, searchOnAMachineWithPorts3And5_listsThemInOrder_andSelectingOneStoresItWithThePortClosed)
{
    PanelRig rig;
    rig.port.portExists = [](int n) { return n == 3 || n == 5; };
    COMpanel& panel = rig.open();
    panel.Command3_Click();
    rig.run();
    EXPECT_EQ(rig.rows("List1"), (QStringList{"3", "5"}));
    EXPECT_EQ(rig.rows("List2"), QStringList{"Click the port number to select"});
    EXPECT_FALSE(rig.port.isOpen());

    panel.List1_Click(1);
    EXPECT_EQ(rig.store.values["ComPort"], "5");
    EXPECT_EQ(rig.dialogs.messages.back(), "Set to COM 5");
    EXPECT_EQ(rig.box("Text1")->text(), QStringLiteral("5"));
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(ComPanel, rowsNameTheDevices_andPickingAnAdapterWithAStableName_tiesItsNumberToIt)
{
    namespace fs = std::filesystem;
    PanelRig rig;
    const fs::path root = rig.portFolder.path().toStdString();
    const PortFolders folders{.configDir = root.string(), .byIdFolder = (root / "by-id").string()};
    fs::create_directories(root / "dev");
    fs::create_directories(folders.byIdFolder);
    fs::create_directories(comPortLinkFolder(folders.configDir));
    const fs::path adapter = root / "dev" / "ttyUSB0";
    const fs::path terminal = root / "dev" / "pts4";
    std::ofstream{adapter};
    std::ofstream{terminal};
    const std::string stableName = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const fs::path stable = fs::path(folders.byIdFolder) / stableName;
    fs::create_symlink(adapter, stable);
    fs::create_symlink(adapter, comPortLinkPath(3, folders.configDir));
    fs::create_symlink(terminal, comPortLinkPath(5, folders.configDir));
    rig.port.portExists = [](int n) { return n == 3 || n == 5 || n == 17; };

    COMpanel& panel = rig.open();
    panel.Command3_Click();
    rig.run();
    const QStringList rows = rig.rows("List1");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toStdString(), "3   com3 -> " + adapter.string() + ", by-id " + stableName);
    EXPECT_EQ(rows[1].toStdString(), "5   com5 -> " + terminal.string());
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("17"))) << rows[2].toStdString();

    panel.List1_Click(0);
    EXPECT_EQ(rig.store.values["ComPort"], "3");
    EXPECT_EQ(fs::read_symlink(comPortLinkPath(3, folders.configDir)), stable);
    EXPECT_EQ(rig.rows("List2").back().toStdString(),
              "COM 3 now follows " + stableName + " (" + comPortLinkPath(3, folders.configDir)
                  + "), even when it is unplugged or renumbered.");
    EXPECT_EQ(rig.dialogs.messages.back(), "Set to COM 3");
    // A pseudo-terminal has no stable name: its link stays as it is, and nothing is said.
    panel.List1_Click(1);
    EXPECT_EQ(fs::read_symlink(comPortLinkPath(5, folders.configDir)), terminal);
    EXPECT_EQ(rig.rows("List2").size(), 2);

    if (const char* screenshot = std::getenv("KVO_COM_PANEL_SCREENSHOT")) {
        panel.List1_Click(0);
        panel.resize(panel.sizeHint().expandedTo(QSize(1100, 0)));
        panel.grab().save(QString::fromLocal8Bit(screenshot));
    }
}

TEST(ComPanel, searchFindingNothing_saysSoAndListsNothing)
{
    PanelRig rig;
    rig.port.portExists = [](int) { return false; };
    rig.open().Command3_Click();
    rig.run();
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"No COM Port Found"});
    EXPECT_TRUE(rig.rows("List1").isEmpty());
}

TEST(ComPanel, openPortOutside1To64_saysNoPortSelected_andLeavesThePortAlone)
{
    for (const char* stored : {"0", "65"}) {
        PanelRig rig(Stored{{"ZigbeeVersion", "8"}, {"ComPort", stored}});
        const std::size_t opens = rig.port.opens.size();
        rig.open().Command2_Click();
        rig.run();
        EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"No COM port selected. Try \"Find COM Port\" utility"})
            << stored;
        EXPECT_EQ(rig.port.opens.size(), opens) << stored;
    }
}

TEST(ComPanel, openPortThatFails_addsItsLine_andTheYesAnswerListsThePorts)
{
    PanelRig rig;
    rig.port.portExists = [](int n) { return n == 4; };
    COMpanel& panel = rig.open();
    rig.dialogs.answers = {true};
    panel.Command2_Click();
    rig.run();
    EXPECT_EQ(rig.dialogs.questions, std::vector<std::string>{kAskSearch});
    EXPECT_EQ(rig.rows("List1"), QStringList{"4"});
    // The search waits its turn behind the open, so its list comes last.
    EXPECT_EQ(rig.rows("List2"), QStringList{"Click the port number to select"});
}

TEST(ComPanel, methodButtons_enableOnlyTheirFindButton_andSetTheMethodWithoutStoringIt)
{
    const struct {
        int index;
        bool findE1;
        bool findE2;
        int method;
    } cases[] = {{0, false, false, 8}, {1, true, false, 1}, {2, false, true, 2}};
    for (const auto& c : cases) {
        PanelRig rig(Stored{});
        COMpanel& panel = rig.open();
        rig.store.writes.clear();
        panel.Option2_Click(c.index);
        EXPECT_EQ(rig.control("Command6")->isEnabled(), c.findE1) << c.index;
        EXPECT_EQ(rig.control("Command5")->isEnabled(), c.findE2) << c.index;
        EXPECT_EQ(rig.program.settings().CommMethod, c.method);
        EXPECT_TRUE(rig.store.writes.empty());
    }
}

TEST(ComPanel, loading_storesTheMethod_andTicksItsButton)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "2"}});
    rig.open();
    EXPECT_EQ(rig.store.values["ZigbeeVersion"], "2");
    EXPECT_TRUE(static_cast<QAbstractButton*>(rig.program.comPanel().window()->findChildren<QWidget*>("Option2")[2])
                    ->isChecked());
    EXPECT_FALSE(rig.control("Command6")->isEnabled());
    EXPECT_TRUE(rig.control("Command5")->isEnabled());
}

TEST(ComPanel, withNoMethod_exitKeepsThePanel_andTheTitleBarEndsTheProgram)
{
    PanelRig rig(Stored{});
    COMpanel& panel = rig.open();
    panel.Command4_Click();
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Please select a communication method before exiting."});
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&panel, &escape);
    EXPECT_EQ(rig.dialogs.messages.size(), 2u) << "Escape is Exit";
    ASSERT_NE(rig.program.comPanel().window(), nullptr);
    EXPECT_FALSE(rig.program.ended());

    panel.close();
    EXPECT_EQ(rig.dialogs.messages.back(), "A communication method has not been selected. The program will now end.");
    EXPECT_TRUE(rig.program.ended());
}

TEST(ComPanel, firstRun_startOpensThePanel_andChoosingUsbCableThenExitLetsRealTimeStart)
{
    PanelRig rig(Stored{});
    rig.port.peer = [&rig](std::string_view bytes) { return rig.monitor.receive(bytes); };
    rig.window.menuAction("MnuStartRTL").trigger();
    EXPECT_EQ(rig.dialogs.messages,
              std::vector<std::string>{"A communication method has not been selected. Select method before proceeding."});
    COMpanel* panel = rig.program.comPanel().window();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(rig.port.opens.empty());

    panel->findChildren<QAbstractButton*>("Option2")[0]->click();
    panel->Command4_Click();
    ProgramRig::settle();
    EXPECT_EQ(rig.program.comPanel().window(), nullptr);
    EXPECT_FALSE(rig.program.ended());

    rig.window.menuAction("MnuStartRTL").trigger();
    rig.run();
    EXPECT_TRUE(rig.monitor.realTimeOn());
    EXPECT_EQ(rig.store.values["ZigbeeVersion"], "0") << "the method is stored at the next load or at shut-down";
}

TEST(ComPanel, choosingAnotherMethod_forgetsTheNodeFoundForTheOldOne_andChoosingTheSameKeepsIt)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "8"}});
    rig.port.peer = [&rig](std::string_view bytes) { return rig.monitor.receive(bytes); };
    rig.window.menuAction("MnuStartRTL").trigger();
    rig.run();
    ASSERT_TRUE(rig.program.monitor().state().ZigbeeFound) << "the cable needs no node";
    COMpanel& panel = rig.open();

    panel.Option2_Click(0);
    EXPECT_TRUE(rig.program.monitor().state().ZigbeeFound) << "the same method";
    panel.Option2_Click(1);
    EXPECT_FALSE(rig.program.monitor().state().ZigbeeFound) << "a ZigBee dongle's node must be found first";
}

TEST(ComPanel, comPortBox_keepsItsNumberWhileOpenOrOutOfRange_andIgnoresText)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "8"}, {"ComPort", "3"}});
    rig.open();
    rig.type("Text1", "abc", &COMpanel::Text1_LostFocus);
    EXPECT_EQ(rig.program.settings().ComPortNum, 3);
    EXPECT_TRUE(rig.rows("List2").isEmpty());

    rig.type("Text1", "70000", &COMpanel::Text1_LostFocus);
    EXPECT_EQ(rig.program.settings().ComPortNum, 3);
    EXPECT_EQ(rig.box("Text1")->text(), QStringLiteral("3"));
    EXPECT_EQ(rig.rows("List2").size(), 1);

    rig.type("Text1", "7", &COMpanel::Text1_LostFocus);
    EXPECT_EQ(rig.program.settings().ComPortNum, 7);
    EXPECT_NE(rig.store.values["ComPort"], "7") << "nothing is stored";

    rig.program.comPanel().window()->Command2_Click();
    rig.run();
    ASSERT_TRUE(rig.port.isOpen());
    rig.type("Text1", "8", &COMpanel::Text1_LostFocus);
    EXPECT_EQ(rig.program.settings().ComPortNum, 7);
    EXPECT_EQ(rig.rows("List2").last().toStdString(),
              "COM 7 is open and keeps its number. Close the port first, then type the new number.");
}

TEST(ComPanel, tcpPortBox_takesPortsUpTo65535_andKeepsThePreviousOneWhenRefusedOrTheServerCannotListen)
{
    PanelRig rig;
    rig.open();
    rig.type("Text2", "43259", &COMpanel::Text2_LostFocus);
    EXPECT_EQ(rig.program.settings().TCPportNum, 43259);
    EXPECT_EQ(rig.store.values["TCPport"], "43259");
    EXPECT_EQ(rig.tcpserver.listens.back(), 43259);
    const std::size_t listens = rig.tcpserver.listens.size();
    rig.type("Text2", "43259", &COMpanel::Text2_LostFocus);
    EXPECT_EQ(rig.tcpserver.listens.size(), listens) << "the same number leaves the server (and its client) alone";

    for (const char* refused : {"abc", "0", "65536"}) {
        rig.type("Text2", refused, &COMpanel::Text2_LostFocus);
        EXPECT_EQ(rig.program.settings().TCPportNum, 43259) << refused;
        EXPECT_EQ(rig.box("Text2")->text(), QStringLiteral("43259"));
    }
    EXPECT_EQ(rig.tcpserver.listens.back(), 43259);

    rig.tcpserver.listenSucceeds = false;
    rig.type("Text2", "80", &COMpanel::Text2_LostFocus);
    EXPECT_EQ(rig.program.settings().TCPportNum, 43259);
    EXPECT_EQ(rig.store.values["TCPport"], "43259");
    EXPECT_EQ(rig.rows("List2").last().toStdString(),
              "The TCP server cannot listen on port 80: Address already in use. Keeping port 43259.");
}

TEST(ComPanel, closePort_showsBothBoxesClosedAndTheWebPostingStopped)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "8"}, {"ComPort", "2"}});
    COMpanel& panel = rig.open();
    panel.Command2_Click();
    rig.run();
    EXPECT_EQ(rig.box("Text1")->palette().color(QPalette::Base), QColor(0, 255, 0));
    panel.Command1_Click();
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.box("Text1")->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(rig.box("Text1")->text(), QStringLiteral("2"));
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("COM Port is Closed"));
    EXPECT_EQ(rig.program.companion().webPosting().realTimeBox().text(), "Real-Time Data Stopped");
}

TEST(ComPanel, aLostPort_showsItsBoxClosed)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "8"}, {"ComPort", "2"}});
    COMpanel& panel = rig.open();
    panel.Command2_Click();
    rig.run();
    rig.port.loseDevice();
    EXPECT_EQ(rig.box("Text1")->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST(ComPanel, findE2_discoversTheNodeInThePanelsList_withoutSettingZigbeeFound)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "2"}});
    ZigbeeDongle dongle(rig.monitor, {.node = 2});
    rig.port.peer = [&](std::string_view bytes) { return dongle.receive(bytes, rig.clock.elapsedMs()); };
    rig.open();
    static_cast<QPushButton*>(rig.control("Command5"))->click();
    rig.run();
    EXPECT_EQ(rig.rows("List2"), QStringList{"Node E2 has been discovered successfully."});
    EXPECT_FALSE(rig.program.monitor().state().ZigbeeFound);
}

TEST(ComPanel, minimizingTheMainWindow_closesAnOpenPanel_butMakesNoneAndNeverEndsTheProgram)
{
    PanelRig rig(Stored{});
    rig.minimize();
    EXPECT_EQ(rig.program.comPanel().window(), nullptr);
    EXPECT_FALSE(rig.program.ended());

    rig.window.showNormal();
    rig.open();
    rig.minimize();
    ProgramRig::settle();
    EXPECT_EQ(rig.program.comPanel().window(), nullptr);
    EXPECT_FALSE(rig.program.ended()) << "the user only minimized";
}

// Each action of the panel, and the window closed (or the main window minimized) while
// the monitor's job for it still waits: the job ends on its own, its result goes nowhere.
struct CloseDuringAction {
    const char* name;
    const char* button;
    bool minimize;
};

class ComPanelClosedDuringAction : public testing::TestWithParam<CloseDuringAction> {};

TEST_P(ComPanelClosedDuringAction, theJobRunsToItsEnd_andNothingTouchesTheGoneWindow)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "1"}});
    rig.port.portExists = [](int n) { return n == 1 || n == 2; };
    COMpanel& panel = rig.open();
    rig.control("Command6")->setEnabled(true);
    static_cast<QPushButton*>(rig.control(GetParam().button))->click();
    ASSERT_TRUE(rig.program.monitor().busy()) << "the job waits";

    if (GetParam().minimize) {
        rig.minimize();
    } else {
        panel.close();
    }
    ProgramRig::settle();
    ASSERT_EQ(rig.program.comPanel().window(), nullptr);
    rig.run();

    EXPECT_FALSE(rig.program.monitor().busy());
    EXPECT_FALSE(rig.program.ended());
    // The panel opens again, fresh, and works.
    rig.open();
    EXPECT_TRUE(rig.rows("List1").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    ComPanel, ComPanelClosedDuringAction,
    testing::Values(CloseDuringAction{"listPorts_closed", "Command3", false},
                    CloseDuringAction{"listPorts_minimized", "Command3", true},
                    CloseDuringAction{"openPort_closed", "Command2", false},
                    CloseDuringAction{"findE1_closed", "Command6", false},
                    CloseDuringAction{"findE1_minimized", "Command6", true}),
    [](const testing::TestParamInfo<CloseDuringAction>& info) { return info.param.name; });

TEST(ComPanel, aSecondSearchWhileOneRuns_isRefusedWithALine_andThePortsAreListedOnce)
{
    PanelRig rig;
    rig.port.portExists = [](int n) { return n == 3; };
    COMpanel& panel = rig.open();
    panel.Command3_Click();
    panel.Command3_Click();
    rig.run();

    EXPECT_EQ(rig.rows("List1"), QStringList{"3"});
    QStringList mainLines;
    auto* mainList = rig.window.findChild<QListWidget*>("List1");
    for (int i = 0; i < mainList->count(); ++i)
        mainLines << mainList->item(i)->text();
    EXPECT_EQ(mainLines.count("The monitor is busy with the same command; the request was not carried out."), 1);
}

TEST(ComPanel, aSearchThatClosesTheOpenPort_showsItClosedInTheMainWindowAndThePanel)
{
    PanelRig rig(Stored{{"ZigbeeVersion", "8"}, {"ComPort", "2"}});
    COMpanel& panel = rig.open();
    panel.Command2_Click();
    rig.run();
    ASSERT_EQ(rig.text("Text1"), QStringLiteral("COM Port is Open"));

    panel.Command3_Click();
    rig.run();

    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.text("Text1"), QStringLiteral("COM Port is Closed"));
    EXPECT_EQ(rig.box("Text1")->palette().color(QPalette::Base), QColor(255, 0, 0));
}

// A style under which one click activates an item, as some desktops set it.
class SingleClickActivates : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

TEST(ComPanel, oneClickOnAPort_selectsItOnce_evenWhereOneClickActivates)
{
    PanelRig rig;
    rig.port.portExists = [](int n) { return n == 3; };
    COMpanel& panel = rig.open();
    panel.Command3_Click();
    rig.run();
    auto* ports = panel.findChild<QListWidget*>("List1");
    SingleClickActivates style;
    ports->setStyle(&style);
    panel.show();
    rig.dialogs.messages.clear();

    const QRect row = ports->visualItemRect(ports->item(0));
    QTest::mouseClick(ports->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());

    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Set to COM 3"});
}

} // namespace
