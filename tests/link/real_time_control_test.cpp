// Real-time start and stop, switching off around setup commands, the polarity toggle,
// the data-flow watchdog and the automatic start, against a scripted monitor.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kAck = WordPeer::attentionWord();
const std::string kStartFailed =
    "An error occured while attempting to start Real-Time data. Please verify your COM port or connection";
const std::string kNoMethod = "A communication method has not been selected. Select method before proceeding.";

class RealTimeTest : public ::testing::Test, protected LinkRig {
protected:
    void monitorAcknowledgesAll() { monitorAnswers(peer_script::acknowledgeAllBut({})); }

    // Bytes of the stream arrive this many milliseconds from now.
    void streamArrivesIn(std::int64_t ms, std::string_view bytes) { port.feedAt(clock.elapsedMs() + ms, bytes); }

    int count(std::string_view needle) const
    {
        int found = 0;
        for (auto at = port.written.find(needle); at != std::string::npos; at = port.written.find(needle, at + 1))
            ++found;
        return found;
    }
};

using RealTimeStart = RealTimeTest;
using RealTimeStop = RealTimeTest;
using RealTimeOffAndRestore = RealTimeTest;
using TogglePolarity = RealTimeTest;
using Watchdog = RealTimeTest;
using AutomaticStart = RealTimeTest;

TEST_F(RealTimeStart, withoutCommunicationMethod_showsOnlyTheMessageAndTheComPanel)
{
    settings.CommMethod = comm_method::None;

    control.MnuStartRTL_Click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kNoMethod});
    EXPECT_EQ(comPanelShown, 1);
    EXPECT_TRUE(port.opens.empty());
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(zigbeeSearches.empty());
}

TEST_F(RealTimeStart, monitorAcknowledgingAll_getsAttentionTogPlrAndRealTimeIsOn)
{
    monitorAcknowledgesAll();
    std::vector<bool> cmdInProgressDuringWait;
    events.onEvents = [&] { cmdInProgressDuringWait.push_back(state.CmdInProgress); };

    control.MnuStartRTL_Click();
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "TOG", "PLR"}));
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real-Time is ON"});
    EXPECT_TRUE(state.RealTimeOn);
    EXPECT_FALSE(state.CmdInProgress);
    EXPECT_EQ(realTimeChanges, std::vector<bool>{true});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(events.delays, (std::vector<int>{500, 1000}));
    // The receiver was kept away during the wait for the first data.
    ASSERT_FALSE(cmdInProgressDuringWait.empty());
    EXPECT_TRUE(cmdInProgressDuringWait.back());
}

TEST_F(RealTimeStart, waitForFirstData_endsOnTheThirdSecondAfterTheHandshake)
{
    monitorAcknowledgesAll();

    control.MnuStartRTL_Click();
    // 1.5 s of pauses put the handshake at second 31; the wait ends when second 34 begins.
    EXPECT_EQ(clock.elapsedMs(), 4000);
}

TEST_F(RealTimeStart, attentionAnsweredOnTheSecondTry_goesOn)
{
    bool firstAttention = true;
    monitorAnswers([&](const std::string& word) {
        if (word == kAck && firstAttention) {
            firstAttention = false;
            return std::string();
        }
        return kAck;
    });

    control.MnuStartRTL_Click();
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, kAck, "TOG", "PLR"}));
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(RealTimeStart, withoutAttentionReply_writesTwoAttentionBytesThenReports)
{
    List1.addLine("earlier line");

    control.MnuStartRTL_Click();
    EXPECT_EQ(port.written, kAck + kAck);
    EXPECT_EQ(List1.lines, std::vector<std::string>{"No response from Acknowledge command"});
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kStartFailed});
    EXPECT_FALSE(state.CmdInProgress);
    EXPECT_FALSE(state.RealTimeOn);
}

TEST_F(RealTimeStart, commandNotAcknowledged_reportsItsStepAndTheStartError)
{
    struct Case {
        std::string silentWord;
        std::string written;
        std::string line;
    };
    for (const Case& c : {Case{"TOG", kAck + "TOG", "No response from Request command"},
                          Case{"PLR", kAck + "TOGPLR", "Error turning Real-Time ON"}}) {
        SCOPED_TRACE(c.silentWord);
        LinkRig rig;
        rig.monitorAnswers(peer_script::acknowledgeAllBut({c.silentWord}));
        rig.List1.addLine("earlier line");

        rig.control.MnuStartRTL_Click();
        EXPECT_EQ(rig.port.written, c.written);
        EXPECT_EQ(rig.List1.lines, (std::vector<std::string>{"earlier line", c.line}));
        EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{kStartFailed});
        EXPECT_FALSE(rig.state.CmdInProgress);
        EXPECT_FALSE(rig.state.RealTimeOn);
        EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
        EXPECT_TRUE(rig.realTimeChanges.empty());
    }
}

TEST_F(RealTimeStart, portThatCannotOpen_endsWithTheStartErrorAndSendsNothing)
{
    port.openSucceeds = false;

    control.MnuStartRTL_Click();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kStartFailed});
    EXPECT_EQ(events.delays, std::vector<int>{1000});
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(RealTimeStart, handshakeLeftovers_areDiscardedAndDoNotCountAsData)
{
    monitorAnswers([](const std::string& word) { return word == "PLR" ? kAck + "\x07\x07" : kAck; });

    control.MnuStartRTL_Click();
    EXPECT_EQ(port.unread(), 0u);
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
    EXPECT_EQ(webRealTimeBox.textChanges, 0);
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(RealTimeStart, dataArrivingDuringTheWait_showsActiveAndStaysForTheReceiver)
{
    monitorAnswers([this](const std::string& word) {
        if (word == "PLR")
            streamArrivesIn(1200, "\xFE\xFF\x01");
        return kAck;
    });

    control.MnuStartRTL_Click();
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Good);
    EXPECT_EQ(webRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(webRealTimeBox.look, status_look::Good);
    EXPECT_EQ(port.unread(), 3u);
}

TEST_F(RealTimeStart, startupListen_asksTheTcpServerToStartAroundTheWaitAndWhileDataIsSeen)
{
    struct Case {
        bool listen;
        bool data;
        int fewestStarts;
        int mostStarts;
    };
    for (const Case& c : {Case{true, false, 2, 2}, Case{true, true, 3, 1000}, Case{false, true, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "listen " << c.listen << " data " << c.data);
        LinkRig rig;
        rig.settings.StartupListen = c.listen;
        rig.monitorAnswers([&](const std::string& word) {
            if (word == "PLR" && c.data)
                rig.port.feedAt(rig.clock.elapsedMs() + 1000, "\xFE");
            return kAck;
        });

        rig.control.MnuStartRTL_Click();
        EXPECT_GE(rig.tcpServerStarts, c.fewestStarts);
        EXPECT_LE(rig.tcpServerStarts, c.mostStarts);
    }
}

TEST_F(RealTimeStart, zigbeeNotFound_searchesTheNodeOfTheMethodFirst)
{
    struct Case {
        std::uint8_t method;
        bool found;
        std::vector<int> searches;
        bool foundAfter;
    };
    for (const Case& c : {Case{comm_method::UsbCable, false, {}, true},
                          Case{comm_method::ZigbeeVersion1, false, {1}, false},
                          Case{comm_method::ZigbeeVersion2, false, {2}, false},
                          Case{comm_method::ZigbeeVersion2, true, {}, true}}) {
        SCOPED_TRACE(static_cast<int>(c.method));
        LinkRig rig;
        rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
        rig.settings.CommMethod = c.method;
        rig.state.ZigbeeFound = c.found;

        rig.control.MnuStartRTL_Click();
        EXPECT_EQ(rig.zigbeeSearches, c.searches);
        EXPECT_EQ(rig.state.ZigbeeFound, c.foundAfter);
        EXPECT_TRUE(rig.state.RealTimeOn);
    }
}

TEST_F(RealTimeStart, firstSearchChangingTheMethodToVersion2_searchesAgainWithVersion2)
{
    monitorAcknowledgesAll();
    settings.CommMethod = comm_method::ZigbeeVersion1;
    // The search's window finds a version 2 node and changes the method.
    QObject::connect(&control, &RealTimeControl::zigbeeNodeSearchWanted, [this](int version) {
        if (version == 1)
            settings.CommMethod = comm_method::ZigbeeVersion2;
    });

    control.MnuStartRTL_Click();
    EXPECT_EQ(zigbeeSearches, (std::vector<int>{1, 2}));
}

TEST_F(RealTimeStop, monitorAcknowledging_getsAttentionTogPauseOffAndReportsSuccess)
{
    openPort();
    port.feed("\x10\x20");
    monitorAcknowledgesAll();
    state.RealTimeOn = true;

    control.MnuStopRTL_Click();
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "T", "O", "G", "O", "F", "F"}));
    EXPECT_EQ(events.delays, (std::vector<int>{140, 40, 140}));
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real Time has been disabled successfully."});
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Stopped);
    EXPECT_EQ(webRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(webRealTimeBox.look, status_look::Stopped);
    // The port stays with the exchange; the watchdog is the one to clear RealTimeOn.
    EXPECT_TRUE(state.CmdInProgress);
    EXPECT_TRUE(state.RealTimeOn);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RealTimeStop, noAttentionReply_triesTwiceThenReportsAndReleasesThePort)
{
    openPort();
    List1.addLine("earlier line");

    control.MnuStopRTL_Click();
    EXPECT_EQ(port.written, kAck + kAck);
    EXPECT_EQ(List1.lines,
              std::vector<std::string>{"Unsuccessful in receiving response from KVO-7730. Try again."});
    EXPECT_FALSE(state.CmdInProgress);
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
}

TEST_F(RealTimeStop, commandNotAcknowledged_reportsWhichAndReleasesThePort)
{
    struct Case {
        std::string silentWord;
        std::string written;
        std::string line;
    };
    for (const Case& c :
         {Case{"TOG", kAck + "TOG", "No response from \"Toggle\" command. Click \"Start\" to try again."},
          Case{"OFF", kAck + "TOGOFF", "No response from \"OFF\" command. Click \"Start\" to try again."}}) {
        SCOPED_TRACE(c.silentWord);
        LinkRig rig;
        rig.openPort();
        rig.monitorAnswers(peer_script::acknowledgeAllBut({c.silentWord}));

        rig.control.MnuStopRTL_Click();
        EXPECT_EQ(rig.port.written, c.written);
        EXPECT_EQ(rig.List1.lines, std::vector<std::string>{c.line});
        EXPECT_FALSE(rig.state.CmdInProgress);
        EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
    }
}

TEST_F(RealTimeStop, withoutCommunicationMethod_sendsNothing)
{
    openPort();
    settings.CommMethod = comm_method::None;

    control.MnuStopRTL_Click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kNoMethod});
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(RealTimeOffAndRestore, realTimeOn_isStoppedAndRememberedThenStartedAgain)
{
    openPort();
    monitorAcknowledgesAll();
    state.RealTimeOn = true;
    RecordingStatusList setupList;

    ASSERT_TRUE(control.RealTimeOff(setupList));
    EXPECT_EQ(setupList.lines,
              (std::vector<std::string>{"Realtime is ON..... now turning OFF", "Realtime is OFF"}));
    EXPECT_EQ(port.written, kAck + "TOGOFF");
    EXPECT_TRUE(state.RTwasOn);
    EXPECT_TRUE(state.CmdInProgress);

    setupList.clear();
    port.written.clear();
    control.RealTimeRestore(setupList);
    EXPECT_EQ(setupList.lines, std::vector<std::string>{"Restoring Real-Time back to its ON state."});
    EXPECT_EQ(port.written, kAck + "TOGPLR");
    EXPECT_FALSE(state.CmdInProgress);
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(RealTimeOffAndRestore, realTimeOff_onlyTakesThePortAndRestoreOnlyReleasesIt)
{
    openPort();
    monitorAcknowledgesAll();
    RecordingStatusList setupList;

    ASSERT_TRUE(control.RealTimeOff(setupList));
    EXPECT_EQ(setupList.lines, std::vector<std::string>{"Realtime is OFF"});
    EXPECT_FALSE(state.RTwasOn);
    EXPECT_TRUE(state.CmdInProgress);

    control.RealTimeRestore(setupList);
    EXPECT_EQ(setupList.lines.size(), 1u);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(RealTimeOffAndRestore, closedPort_isOpenedFirst)
{
    RecordingStatusList setupList;

    ASSERT_TRUE(control.RealTimeOff(setupList));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.opens.size(), 1u);
}

TEST_F(RealTimeOffAndRestore, portThatCannotOpen_failsWithoutTakingThePort)
{
    port.openSucceeds = false;
    state.RealTimeOn = true;
    RecordingStatusList setupList;

    EXPECT_FALSE(control.RealTimeOff(setupList));
    EXPECT_TRUE(setupList.lines.empty());
    EXPECT_FALSE(state.CmdInProgress);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(TogglePolarity, channels1And2_writeAttentionSetAndTheirCommandWith20msPauses)
{
    for (const auto& [channel, command] : {std::pair{1, "NG1"}, std::pair{2, "NG2"}}) {
        SCOPED_TRACE(channel);
        LinkRig rig;
        rig.openPort();
        rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
        std::vector<bool> cmdInProgressDuringPauses;
        rig.events.onEvents = [&] { cmdInProgressDuringPauses.push_back(rig.state.CmdInProgress); };

        rig.control.TogglePolarity(channel);
        EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "SET", command}));
        EXPECT_EQ(rig.events.delays, (std::vector<int>{20, 20, 20}));
        EXPECT_TRUE(rig.dialogs.messages.empty());
        // The replies are left for whoever reads next.
        EXPECT_EQ(rig.port.unread(), 3u);
        EXPECT_FALSE(rig.state.CmdInProgress);
        EXPECT_EQ(cmdInProgressDuringPauses, std::vector<bool>(3, true));
    }
}

TEST_F(TogglePolarity, channel3_writesAttentionAndSetOnly)
{
    openPort();
    monitorAcknowledgesAll();

    control.TogglePolarity(3);
    EXPECT_EQ(port.written, kAck + "SET");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TogglePolarity, waitingInput_isDiscardedBeforeTheAttentionByte)
{
    openPort();
    port.feed("\x01\x02\x03");
    monitorAcknowledgesAll();

    control.TogglePolarity(1);
    EXPECT_EQ(port.unread(), 3u);
    EXPECT_EQ(port.readByte(), 252);
    EXPECT_GE(events.yields, 3);
}

TEST_F(TogglePolarity, noReply_showsToggleFailed)
{
    openPort();

    control.TogglePolarity(1);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Toggle operation failed. Try again"});
    EXPECT_EQ(port.written, kAck + "SETNG1");
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(TogglePolarity, closedPort_asksToOpenItAndSendsNothing)
{
    control.TogglePolarity(2);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
        "Open COM port and establish communication with monitor befor using this command."});
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(port.opens.empty());
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(TogglePolarity, portClosedDuringAPause_asksToOpenIt)
{
    openPort();
    events.onEvents = [this] { port.close(); };

    control.TogglePolarity(1);
    EXPECT_EQ(port.written, kAck);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
        "Open COM port and establish communication with monitor befor using this command."});
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(TogglePolarity, writeRefusedByTheOpenPort_showsErrorWithItsNumber)
{
    openPort();
    port.writeSucceeds = false;

    control.TogglePolarity(1);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Error 57"});
    EXPECT_FALSE(state.CmdInProgress);
}

TEST_F(TogglePolarity, fromTheNetwork_aFailureGoesToTheMainListNotToAMessageBox)
{
    struct NetworkCase {
        const char* name;
        std::function<void(LinkRig&)> arrange;
        std::string line;
    };
    const NetworkCase cases[] = {
        {"port closed", [](LinkRig&) {}, "Open COM port and establish communication with monitor befor using this command."},
        {"no reply", [](LinkRig& rig) { rig.openPort(); }, "Toggle operation failed. Try again"},
        {"write refused",
         [](LinkRig& rig) {
             rig.openPort();
             rig.port.writeSucceeds = false;
         },
         "Error 57"},
    };
    for (const NetworkCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        c.arrange(rig);

        rig.control.togglePolarityFromNetwork(1);

        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_EQ(rig.List1.lines, std::vector<std::string>{c.line});
        EXPECT_FALSE(rig.state.CmdInProgress);
    }
}

TEST_F(TogglePolarity, askedWhileTheStartWaitsForData_isRefusedWithALine_andNothingInterleaves)
{
    monitorAcknowledgesAll();
    bool asked = false;
    events.onEvents = [&] {
        if (!asked && monitor.words.size() == 3) {
            asked = true;
            control.togglePolarityFromNetwork(1);
            control.TogglePolarity(2);
            control.MnuStopRTL_Click();
        }
    };

    control.MnuStartRTL_Click();

    ASSERT_TRUE(asked);
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "TOG", "PLR"}));
    const std::string busy = "The monitor is busy with another command; the request was not carried out.";
    EXPECT_EQ(std::count(List1.lines.begin(), List1.lines.end(), busy), 3);
    EXPECT_TRUE(dialogs.messages.empty());

    // Once the start is over, the toggle goes through.
    openPort();
    control.togglePolarityFromNetwork(1);
    EXPECT_EQ(port.written.substr(port.written.size() - 6), "SETNG1");
}

TEST_F(Watchdog, bytesEverySecond_keepRealTimeOn)
{
    for (int second = 0; second < 10; ++second) {
        state.NoDataSeconds = 0;  // what the receiver does for every packet byte
        control.Timer2_Timer();
        EXPECT_TRUE(state.RealTimeOn);
    }
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Good);
    EXPECT_EQ(mainRealTimeBox.textChanges, 1);
    EXPECT_EQ(webRealTimeBox.textChanges, 0);
    EXPECT_EQ(events.yields, 10);
    EXPECT_EQ(realTimeChanges, std::vector<bool>{true});
}

TEST_F(Watchdog, thirdTickAfterTheLastByte_turnsRealTimeOff)
{
    state.NoDataSeconds = 0;
    control.Timer2_Timer();
    ASSERT_TRUE(state.RealTimeOn);

    control.Timer2_Timer();
    EXPECT_TRUE(state.RealTimeOn);
    control.Timer2_Timer();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Stopped);

    control.Timer2_Timer();
    EXPECT_EQ(mainRealTimeBox.textChanges, 2);
    // Announced at each change only.
    EXPECT_EQ(realTimeChanges, (std::vector<bool>{true, false}));
}

// Whether the server is closed is the server's to tell; the link only asks once per resumption.
TEST_F(Watchdog, dataResuming_asksForTheTcpServerIfClosedOnlyWhenListeningIsWanted)
{
    for (const bool listen : {true, false}) {
        SCOPED_TRACE(listen);
        LinkRig rig;
        rig.settings.StartupListen = listen;
        rig.state.NoDataSeconds = 0;

        rig.control.Timer2_Timer();
        rig.control.Timer2_Timer();
        EXPECT_EQ(rig.tcpServerStartsIfClosed, listen ? 1 : 0);
        EXPECT_EQ(rig.tcpServerStarts, 0);
    }
}

TEST_F(Watchdog, programStart_withSixSilentSecondsKeepsRealTimeOffQuietly)
{
    state.NoDataSeconds = 6;

    control.Timer2_Timer();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(state.NoDataSeconds, 7);
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
    EXPECT_TRUE(realTimeChanges.empty());
}

TEST_F(Watchdog, counterPast30000_stepsBackTo20000)
{
    state.NoDataSeconds = 29999;
    control.Timer2_Timer();
    EXPECT_EQ(state.NoDataSeconds, 30000);
    control.Timer2_Timer();
    EXPECT_EQ(state.NoDataSeconds, 20000);
    EXPECT_FALSE(state.RealTimeOn);
}

TEST_F(AutomaticStart, closedPort_keepsTheTimerRunningAndSendsNothing)
{
    EXPECT_TRUE(control.Timer3_Timer());
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(port.opens.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutomaticStart, realTimeOff_startsItAndStops)
{
    openPort();
    monitorAcknowledgesAll();

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "TOG", "PLR"}));
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real-Time was off. Now attempting to start real-time."});
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(AutomaticStart, realTimeAlreadyOn_stopsWithoutSending)
{
    openPort();
    state.RealTimeOn = true;

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(List1.lines.empty());
}

TEST_F(AutomaticStart, zigbee2WithoutNode_showsItsMessageOnceAndStops)
{
    openPort();
    settings.CommMethod = comm_method::ZigbeeVersion2;
    // The timer fires again while the message box is open.
    std::vector<bool> nestedTicks;
    dialogs.onShow = [&] { nestedTicks.push_back(control.Timer3_Timer()); };

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
        "An attempt to start real-time was aborted since a zigbee node has not been discovered. "
        "Open the Communication Panel and try using the \"Find\" buttons."});
    EXPECT_EQ(nestedTicks, std::vector<bool>{false});
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(zigbeeSearches.empty());
}

TEST_F(AutomaticStart, zigbeeWithoutNodeWhereNobodyCanClickStart_searchesTheNodeAndStarts)
{
    openPort();
    monitorAcknowledgesAll();
    settings.CommMethod = comm_method::ZigbeeVersion2;
    control.setAutomaticStartDiscovers(true);

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(zigbeeSearches, std::vector<int>{2});
    EXPECT_EQ(count("PLR"), 1);
}

TEST_F(AutomaticStart, zigbee1WithNodeFound_starts)
{
    openPort();
    monitorAcknowledgesAll();
    settings.CommMethod = comm_method::ZigbeeVersion1;
    state.ZigbeeFound = true;

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_EQ(count("PLR"), 1);
}

TEST_F(AutomaticStart, tickDuringItsOwnStart_doesNotStartAgain)
{
    openPort();
    monitorAcknowledgesAll();
    int nestedTicks = 0;
    events.onEvents = [&] {
        ++nestedTicks;
        EXPECT_FALSE(control.Timer3_Timer());
    };

    EXPECT_FALSE(control.Timer3_Timer());
    EXPECT_GT(nestedTicks, 0);
    EXPECT_EQ(count(kAck), 1);
    EXPECT_EQ(count("PLR"), 1);
}

} // namespace
