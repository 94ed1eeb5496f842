// Opening, closing and searching the serial port, and the two port menu commands.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace {

const std::string kSearchQuestion = "Invalid COM port. Would you like to search for available ports?";

class PortTest : public ::testing::Test, protected LinkRig {
protected:
    // Only these port numbers exist on the machine.
    void machineHasPorts(std::set<int> numbers)
    {
        port.portExists = [numbers = std::move(numbers)](int n) { return numbers.contains(n); };
    }
};

using OpenComPort = PortTest;
using CloseComPort = PortTest;
using FindPorts = PortTest;
using PortMenus = PortTest;

TEST_F(OpenComPort, appliesTheWholeConfigurationForComPortNumThenSettles)
{
    settings.ComPortNum = 5;

    ASSERT_TRUE(ports.OpenComPort());
    ASSERT_EQ(port.opens.size(), 1u);
    const SerialPortConfig& config = port.opens[0];
    EXPECT_EQ(config.portNumber, 5);
    EXPECT_EQ(config.inputBufferSize, 1024);
    EXPECT_EQ(config.line.baud, 19200);
    EXPECT_EQ(config.line.parity, 'N');
    EXPECT_EQ(config.line.dataBits, 8);
    EXPECT_EQ(config.line.stopBits, 1);
    EXPECT_FALSE(config.dtrEnable);
    EXPECT_FALSE(config.rtsEnable);
    EXPECT_FALSE(config.discardNul);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(events.delays, std::vector<int>{500});
    EXPECT_EQ(portsOpened, 1);
    EXPECT_EQ(portsClosed, 0);
}

TEST_F(OpenComPort, success_showsOpenOnMainBoxAndColoursOnlyTheComPanelBox)
{
    ASSERT_TRUE(ports.OpenComPort());

    EXPECT_EQ(mainPortBox.text, "COM Port is Open");
    EXPECT_EQ(mainPortBox.look, status_look::Good);
    EXPECT_EQ(comPanelPortBox.look, status_look::Good);
    EXPECT_EQ(comPanelPortBox.textChanges, 0);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(OpenComPort, alreadyOpen_isClosedBeforeTheNewOpen)
{
    openPort();

    ASSERT_TRUE(ports.OpenComPort());
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(port.opens.size(), 2u);
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(portsOpened, 1);
}

TEST_F(OpenComPort, portZeroOrMissingPort_asksToSearchAndFailsWithBoxesUntouched)
{
    machineHasPorts({1, 2});
    for (const std::int16_t number : {0, 9}) {
        SCOPED_TRACE(number);
        settings.ComPortNum = number;
        dialogs.questions.clear();

        EXPECT_FALSE(ports.OpenComPort());
        EXPECT_EQ(dialogs.questions, std::vector<std::string>{kSearchQuestion});
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.lookChanges, 0);
    EXPECT_EQ(comPanelPortBox.lookChanges, 0);
    EXPECT_TRUE(events.delays.empty());
    EXPECT_EQ(comPanelListings, 0);
    EXPECT_EQ(portsOpened, 0);
}

TEST_F(OpenComPort, failedReopenOfAnOpenPort_showsThePortClosed)
{
    openPort();
    ASSERT_TRUE(ports.OpenComPort());
    port.openSucceeds = false;

    EXPECT_FALSE(ports.OpenComPort());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
}

TEST_F(OpenComPort, refusedBySystem_saysWhyBeforeTheQuestion_andHowToJoinDialoutWhenDenied)
{
    struct Case {
        std::string reason;
        std::string line;
    };
    const Case cases[] = {
        {"", ""},
        {"/dev/ttyUSB0: No such file or directory", "COM3 could not be opened: /dev/ttyUSB0: No such file or directory."},
        {"/dev/ttyUSB0: Permission denied",
         "COM3 could not be opened: /dev/ttyUSB0: Permission denied. Add yourself to the group \"dialout\" (sudo "
         "usermod -aG dialout $USER) and log in again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        LinkRig rig;
        rig.settings.ComPortNum = 3;
        rig.port.openSucceeds = false;
        rig.port.failureText = c.reason;
        rig.dialogs.onShow = [&] { EXPECT_EQ(rig.List1.lines.size(), c.line.empty() ? 0u : 1u) << "said before asking"; };

        EXPECT_FALSE(rig.ports.OpenComPort());

        ASSERT_EQ(rig.dialogs.questions.size(), 1u);
        EXPECT_EQ(rig.List1.lines, c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
    }
}

TEST_F(CloseComPort, lostDevice_isReportedAndShownClosed)
{
    openPort();
    port.setLostHandler([this] { ports.takePortLoss(); });

    port.loseDevice();
    EXPECT_EQ(portsLost, 1);

    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
    ASSERT_FALSE(List1.lines.empty());
    EXPECT_EQ(List1.lines.back(), "The COM port was lost: its device was removed or closed.");
}

TEST_F(OpenComPort, failureAnsweredYes_showsTheComPanelListingPorts)
{
    port.openSucceeds = false;
    dialogs.answers = {true};

    EXPECT_FALSE(ports.OpenComPort());
    EXPECT_EQ(comPanelListings, 1);
    EXPECT_EQ(comPanelShown, 0);
    EXPECT_EQ(portsOpened, 0);
}

TEST_F(CloseComPort, openPort_isClosedAndShownClosed)
{
    openPort();

    ports.CloseComPort();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
}

TEST_F(CloseComPort, closedForGood_noLaterOpenProbeOrHandshakeOpensItAgain)
{
    openPort();
    ports.closeForGood();
    ASSERT_FALSE(port.isOpen());
    const std::size_t opensBefore = port.opens.size();

    // A stop unwinding from the end of the run retries its handshake, which opens a closed port.
    control.MnuStopRTL_Click();
    EXPECT_FALSE(ports.OpenComPort());
    EXPECT_FALSE(ports.PortAvailable(1));

    EXPECT_EQ(port.opens.size(), opensBefore);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(dialogs.questions.empty()) << "nobody is asked to search for ports at the end";
}

TEST_F(CloseComPort, closedPort_isStillShownClosed)
{
    ports.CloseComPort();
    EXPECT_EQ(port.closes, 0);
    EXPECT_EQ(portsClosed, 0);
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
}

TEST_F(FindPorts, portAvailable_opensAndClosesTheNumberAndLeavesThePortClosed)
{
    openPort();
    machineHasPorts({4});

    EXPECT_TRUE(ports.PortAvailable(4));
    EXPECT_EQ(port.opens.back().portNumber, 4);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(ports.PortAvailable(6));
    EXPECT_FALSE(port.isOpen());
    EXPECT_GE(events.yields, 2);
    // The monitor's port was closed once; the probes are not announced as its opens and closes.
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(portsOpened, 0);
}

TEST_F(FindPorts, usablePorts3And7_areListedInOrderAndThePortIsLeftClosed)
{
    machineHasPorts({3, 7});
    settings.ComPortNum = 3;
    ASSERT_TRUE(ports.OpenComPort());
    state.PortCount = 9;

    ports.FindPorts();
    EXPECT_EQ(state.PortCount, 2);
    EXPECT_EQ(state.PortList[0], 3);
    EXPECT_EQ(state.PortList[1], 7);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.opens.size(), 1u + 64u);
    EXPECT_EQ(port.opens.back().portNumber, 64);
    ASSERT_FALSE(dialogs.pointerChanges.empty());
    EXPECT_TRUE(dialogs.pointerChanges.front());
    EXPECT_FALSE(dialogs.pointerChanges.back());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FindPorts, noUsablePort_leavesPortCountZero)
{
    machineHasPorts({});
    state.PortCount = 4;

    ports.FindPorts();
    EXPECT_EQ(state.PortCount, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FindPorts, thirtySixthUsablePort_stopsWithFindPortErrorKeepingTheFirst35)
{
    ports.FindPorts();
    EXPECT_EQ(state.PortCount, 35);
    for (std::size_t i = 0; i < state.PortList.size(); ++i)
        EXPECT_EQ(state.PortList[i], static_cast<std::int16_t>(i + 1));
    // The value stored after the list is not overwritten.
    EXPECT_EQ(afterPortList, 0x7730);
    EXPECT_EQ(port.opens.size(), 36u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"FindPort Error"});
    EXPECT_FALSE(dialogs.pointerChanges.back());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PortMenus, openCom_opensThePort)
{
    ports.MnuOpenCom_Click();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PortMenus, openCom_failureEscapingTheOpen_isReportedByMessage)
{
    port.openSucceeds = false;
    // The search question fails; the message box after it works.
    dialogs.onShow = [this] {
        if (dialogs.messages.empty())
            throw std::runtime_error("question box failed");
    };

    ports.MnuOpenCom_Click();
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Could not open the port. Click \"COM Port Setup\" and check settings."});
}

TEST_F(PortMenus, closePort_whileOpen_showsClosedEverywhereAndSendsNothing)
{
    settings.ComPortNum = 7;
    state.RealTimeOn = true;
    openPort();

    ports.MnuClosePort_Click();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
    EXPECT_EQ(comPanelPortBox.text, "7");
    EXPECT_EQ(comPanelPortBox.look, status_look::Stopped);
    EXPECT_EQ(webRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(webRealTimeBox.look, status_look::Stopped);
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(state.RealTimeOn);
    EXPECT_EQ(portsClosed, 1);
}

TEST_F(PortMenus, closePort_whileClosed_changesOnlyTheWebWindowBox)
{
    ports.MnuClosePort_Click();
    EXPECT_EQ(port.closes, 0);
    EXPECT_EQ(mainPortBox.textChanges + mainPortBox.lookChanges, 0);
    EXPECT_EQ(comPanelPortBox.textChanges + comPanelPortBox.lookChanges, 0);
    EXPECT_EQ(webRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(webRealTimeBox.look, status_look::Stopped);
}

} // namespace
