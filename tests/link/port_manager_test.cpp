// Opening, closing and searching the serial port, and "Close COM Port", on virtual time.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace {

const std::string kSearchQuestion = "Invalid COM port. Would you like to search for available ports?";

// Lets an open run on its own; its result once it has ended.
Task<> keepResult(Task<bool> open, std::optional<bool>* result)
{
    *result = co_await open;
}

class PortTest : public ::testing::Test, protected LinkRig {
protected:
    // Only these port numbers exist on the machine.
    void machineHasPorts(std::set<int> numbers)
    {
        port.portExists = [numbers = std::move(numbers)](int n) { return numbers.contains(n); };
    }
};

using OpenPort = PortTest;
using ClosePort = PortTest;
using FindPorts = PortTest;
using CloseChosenByUser = PortTest;

TEST_F(OpenPort, appliesTheWholeConfigurationForComPortNumThenGivesTheMonitor500ms)
{
    settings.ComPortNum = 5;

    ASSERT_TRUE(run(ports.open()));
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
    EXPECT_EQ(clock.elapsedMs(), 500);
    EXPECT_EQ(portsOpened, 1);
    EXPECT_EQ(portsClosed, 0);
}

TEST_F(OpenPort, success_showsOpenOnMainBox)
{
    ASSERT_TRUE(run(ports.open()));

    EXPECT_EQ(mainPortBox.text, "COM Port is Open");
    EXPECT_EQ(mainPortBox.look, status_look::Good);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(OpenPort, alreadyOpen_isClosedBeforeTheNewOpen)
{
    openPort();

    ASSERT_TRUE(run(ports.open()));
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(port.opens.size(), 2u);
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(portsOpened, 1);
}

TEST_F(OpenPort, portZeroOrMissingPort_asksToSearchAndFailsAtOnceWithBoxesUntouched)
{
    machineHasPorts({1, 2});
    for (const std::int16_t number : {0, 9}) {
        SCOPED_TRACE(number);
        settings.ComPortNum = number;
        dialogs.questions.clear();

        EXPECT_FALSE(run(ports.open()));
        EXPECT_EQ(dialogs.questions, std::vector<std::string>{kSearchQuestion});
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.lookChanges, 0);
    EXPECT_EQ(clock.elapsedMs(), 0);
    EXPECT_EQ(comPanelListings, 0);
    EXPECT_EQ(portsOpened, 0);
}

TEST_F(OpenPort, failedReopenOfAnOpenPort_showsThePortClosed)
{
    ASSERT_TRUE(run(ports.open()));
    port.openSucceeds = false;

    EXPECT_FALSE(run(ports.open()));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
}

// The question waits for the user; the open ends with the answer, and Yes asks for the
// COM panel with its port list.
TEST_F(OpenPort, failure_waitsForTheAnswerAndYesWantsThePortSearch)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        LinkRig rig;
        rig.port.openSucceeds = false;
        rig.dialogs.holdAnswers = true;
        rig.dialogs.answers = {yes};
        std::optional<bool> opened;
        startTask(keepResult(rig.ports.open(), &opened), [](std::exception_ptr) {});
        rig.events.runFor(60'000);
        ASSERT_EQ(rig.dialogs.open.size(), 1u);
        EXPECT_FALSE(opened.has_value()) << "the open waits for its answer";

        rig.dialogs.answerOldest();

        EXPECT_EQ(opened, std::optional<bool>(false));
        EXPECT_EQ(rig.comPanelListings, yes ? 1 : 0);
        EXPECT_EQ(rig.comPanelShown, 0);
        EXPECT_EQ(rig.portsOpened, 0);
    }
}

TEST_F(OpenPort, refusedBySystem_saysWhyBeforeTheQuestion_andHowToJoinDialoutWhenDenied)
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
        rig.dialogs.holdAnswers = true;
        std::optional<bool> opened;
        startTask(keepResult(rig.ports.open(), &opened), [](std::exception_ptr) {});

        // The question is open now; the reason is already in the list.
        ASSERT_EQ(rig.dialogs.questions.size(), 1u);
        const std::vector<std::string> expected =
            c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line};
        EXPECT_EQ(rig.List1.lines, expected);
        EXPECT_FALSE(opened.has_value());
        rig.dialogs.answerOldest();
        EXPECT_EQ(opened, std::optional<bool>(false));
        EXPECT_EQ(rig.List1.lines, expected);
    }
}

TEST_F(ClosePort, lostDevice_isReportedAndShownClosed)
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

TEST_F(ClosePort, lostPort_reopensOnlyWhenItsDeviceIsBack_withoutAQuestion)
{
    openPort();
    port.setLostHandler([this] { ports.takePortLoss(); });
    port.loseDevice();

    port.openSucceeds = false;
    EXPECT_FALSE(run(ports.reopenLostPort()));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(clock.elapsedMs(), 0);

    port.openSucceeds = true;
    EXPECT_TRUE(run(ports.reopenLostPort()));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(mainPortBox.text, "COM Port is Open");
    EXPECT_EQ(List1.lines.back(), "The COM port is back and open again.");
    EXPECT_EQ(clock.elapsedMs(), 500) << "the monitor gets its moment after the open";

    // An open port is not reopened.
    EXPECT_FALSE(run(ports.reopenLostPort()));
    EXPECT_EQ(port.opens.size(), 3u);
}

TEST_F(ClosePort, openPort_isClosedAndShownClosed)
{
    openPort();

    ports.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closes, 1);
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
}

TEST_F(ClosePort, closedPort_isStillShownClosed)
{
    ports.close();
    EXPECT_EQ(port.closes, 0);
    EXPECT_EQ(portsClosed, 0);
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
}

TEST_F(ClosePort, closedForGood_noLaterOpenSearchReopenOrHandshakeOpensItAgain)
{
    openPort();
    ports.closeForGood();
    ASSERT_FALSE(port.isOpen());
    const std::size_t opensBefore = port.opens.size();

    // The stop's handshake opens a closed port.
    EXPECT_FALSE(run(control.stop()));
    EXPECT_FALSE(run(ports.open()));
    EXPECT_TRUE(run(ports.findPorts()).ports.empty());
    EXPECT_FALSE(run(ports.reopenLostPort()));

    EXPECT_EQ(port.opens.size(), opensBefore);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(dialogs.questions.empty()) << "nobody is asked to search for ports at the end";
}

TEST_F(FindPorts, usablePorts3And7_areListedInOrderAndThePortIsLeftClosed)
{
    machineHasPorts({3, 7});
    settings.ComPortNum = 3;
    ASSERT_TRUE(run(ports.open()));

    const PortSearchResult result = run(ports.findPorts());
    EXPECT_EQ(result.ports, (std::vector<int>{3, 7}));
    EXPECT_FALSE(result.listFull);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.opens.size(), 1u + 64u);
    EXPECT_EQ(port.opens.back().portNumber, 64);
    EXPECT_EQ(dialogs.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(dialogs.messages.empty());
    // The monitor's port was closed once, and shown so; the probes are not announced.
    EXPECT_EQ(portsClosed, 1);
    EXPECT_EQ(portsOpened, 1);
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
}

TEST_F(FindPorts, noUsablePort_findsNothing)
{
    machineHasPorts({});

    const PortSearchResult result = run(ports.findPorts());
    EXPECT_TRUE(result.ports.empty());
    EXPECT_FALSE(result.listFull);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FindPorts, thirtySixthUsablePort_stopsWithFindPortErrorKeepingTheFirst35)
{
    const PortSearchResult result = run(ports.findPorts());

    ASSERT_EQ(result.ports.size(), 35u);
    for (std::size_t i = 0; i < result.ports.size(); ++i)
        EXPECT_EQ(result.ports[i], static_cast<int>(i + 1));
    EXPECT_TRUE(result.listFull);
    EXPECT_EQ(port.opens.size(), 36u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"FindPort Error"});
    EXPECT_EQ(dialogs.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_FALSE(port.isOpen());
}

// One probe per turn of the loop: what else is due runs between the probes.
TEST_F(FindPorts, otherCallBacksRunBetweenTheProbes)
{
    machineHasPorts({3});
    std::size_t probesWhenOtherRan = 0;
    events.callAfter(0, [&] {
        events.callAfter(0, [&] { probesWhenOtherRan = port.opens.size(); });
    });

    run(ports.findPorts());
    EXPECT_GT(probesWhenOtherRan, 0u);
    EXPECT_LT(probesWhenOtherRan, 64u);
}

TEST_F(CloseChosenByUser, whileOpen_showsClosedAndSendsNothing)
{
    settings.ComPortNum = 7;
    state.RealTimeOn = true;
    openPort();

    ports.closeChosenByUser();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mainPortBox.text, "COM Port is Closed");
    EXPECT_EQ(mainPortBox.look, status_look::Stopped);
    EXPECT_EQ(closesChosen, std::vector<bool>{true});
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(state.RealTimeOn) << "the watchdog is the one to notice";
    EXPECT_EQ(portsClosed, 1);
}

TEST_F(CloseChosenByUser, whileClosed_changesNoBoxButIsAnnounced)
{
    ports.closeChosenByUser();
    EXPECT_EQ(port.closes, 0);
    EXPECT_EQ(mainPortBox.textChanges + mainPortBox.lookChanges, 0);
    EXPECT_EQ(closesChosen, std::vector<bool>{false});
}

} // namespace
