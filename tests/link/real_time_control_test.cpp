// Real-time start and stop, switching off around setup commands, the data-flow
// watchdog and the automatic start, against a scripted monitor (and a
// scripted ZigBee dongle in front of it), on virtual time.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const std::string kAck = WordPeer::attentionWord();
const std::string kStartFailed =
    "An error occured while attempting to start Real-Time data. Please verify your COM port or connection";
const std::string kNoMethod = "A communication method has not been selected. Select method before proceeding.";
// The attention byte of a start follows the open's 500 ms and the start's own 1000 ms.
constexpr std::int64_t kStartAttentionAtMs = 1500;

class RealTimeTest : public ::testing::Test, protected LinkRig {
protected:
    void monitorAcknowledgesAll() { monitorAnswers(peer_script::acknowledgeAllBut({})); }

    // A dongle that knows node E`node` in front of the monitor: "+++" and the discover
    // command are the dongle's, every other write reaches the monitor.
    static void dongleInFront(LinkRig& rig, int node, std::function<void(int version)> onDiscover = {})
    {
        rig.port.peer = [&rig, node, onDiscover](std::string_view bytes) {
            if (bytes == "+++")
                return std::string("OK\r");
            if (bytes.rfind("ATDNE", 0) == 0) {
                const int version = bytes[5] - '0';
                if (onDiscover)
                    onDiscover(version);
                return std::string(version == node ? "OK\r" : "ERROR\r");
            }
            return rig.monitor(bytes);
        };
    }
};

using RealTimeStart = RealTimeTest;
using RealTimeStop = RealTimeTest;
using SwitchOffForSetup = RealTimeTest;
using Watchdog = RealTimeTest;
using AutomaticStart = RealTimeTest;

TEST_F(RealTimeStart, withoutCommunicationMethod_showsOnlyTheMessageAndTheComPanel)
{
    settings.CommMethod = comm_method::None;

    run(control.start());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kNoMethod});
    EXPECT_EQ(comPanelShown, 1);
    EXPECT_TRUE(port.opens.empty());
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(RealTimeStart, monitorAcknowledgingAll_getsAttentionTogPlrAfterTheOpenAndItsPauseAndRealTimeIsOn)
{
    monitorAcknowledgesAll();

    run(control.start());
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "TOG", "PLR"}));
    EXPECT_EQ(port.writtenAtMs(kAck), kStartAttentionAtMs);
    EXPECT_EQ(port.writtenAtMs("PLR"), kStartAttentionAtMs);
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real-Time is ON"});
    EXPECT_TRUE(state.RealTimeOn);
    EXPECT_TRUE(control.realTimeWanted());
    EXPECT_EQ(realTimeChanges, std::vector<bool>{true});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RealTimeStart, waitForFirstData_endsOnTheThirdSecondAfterTheHandshake)
{
    monitorAcknowledgesAll();

    run(control.start());
    // The handshake at second 31.5; the wait ends when second 34 begins.
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

    run(control.start());
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, kAck, "TOG", "PLR"}));
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(RealTimeStart, withoutAttentionReply_writesExactlyTwoAttentionBytesThenReports)
{
    List1.addLine("earlier line");

    run(control.start());
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, kAck}));
    // Each waits for its acknowledgement between one and two seconds.
    const std::int64_t between = port.writeTimesMs[1] - port.writeTimesMs[0];
    EXPECT_GE(between, 1000);
    EXPECT_LE(between, 2000);
    EXPECT_EQ(List1.lines, std::vector<std::string>{"No response from Acknowledge command"});
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kStartFailed});
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_FALSE(control.realTimeWanted());
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

        rig.run(rig.control.start());
        EXPECT_EQ(rig.port.written, c.written);
        EXPECT_EQ(rig.List1.lines, (std::vector<std::string>{"earlier line", c.line}));
        EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{kStartFailed});
        EXPECT_FALSE(rig.state.RealTimeOn);
        EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
        EXPECT_TRUE(rig.realTimeChanges.empty());
    }
}

TEST_F(RealTimeStart, portThatCannotOpen_endsWithTheStartErrorAfterItsPauseAndSendsNothing)
{
    port.openSucceeds = false;

    run(control.start());
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kStartFailed});
    EXPECT_EQ(clock.elapsedMs(), 1000);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(RealTimeStart, handshakeLeftovers_areDiscardedAndDoNotCountAsData)
{
    monitorAnswers([](const std::string& word) { return word == "PLR" ? kAck + "\x07\x07" : kAck; });

    run(control.start());
    EXPECT_EQ(port.unread(), 0u);
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
    EXPECT_TRUE(realTimeSwitches.empty());
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(RealTimeStart, dataArrivingDuringTheWait_showsActiveAndStaysForTheReceiver)
{
    monitorAnswers([this](const std::string& word) {
        if (word == "PLR")
            port.feedAt(clock.elapsedMs() + 1200, "\xFE\xFF\x01");
        return kAck;
    });

    run(control.start());
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Good);
    EXPECT_EQ(realTimeSwitches, std::vector<bool>{true});
    EXPECT_EQ(port.unread(), 3u);
}

TEST_F(RealTimeStart, startupListen_asksTheTcpServerToStartAroundTheWaitAndWhenDataIsSeen)
{
    struct Case {
        bool listen;
        bool data;
        int starts;
    };
    for (const Case& c : {Case{true, false, 2}, Case{true, true, 3}, Case{false, true, 0}}) {
        SCOPED_TRACE(testing::Message() << "listen " << c.listen << " data " << c.data);
        LinkRig rig;
        rig.settings.StartupListen = c.listen;
        rig.monitorAnswers([&](const std::string& word) {
            if (word == "PLR" && c.data)
                rig.port.feedAt(rig.clock.elapsedMs() + 1000, "\xFE");
            return kAck;
        });

        rig.run(rig.control.start());
        EXPECT_EQ(rig.tcpServerStarts, c.starts);
    }
}

TEST_F(RealTimeStart, zigbeeNodeNotFoundYet_isSearchedForWithTheMethodsVersionFirst)
{
    struct Case {
        std::uint8_t method;
        bool found;
        int dongleNode;
        std::vector<int> searches;
        bool foundAfter;
    };
    for (const Case& c : {Case{comm_method::UsbCable, false, 1, {}, true},
                          Case{comm_method::ZigbeeVersion1, false, 1, {1}, true},
                          Case{comm_method::ZigbeeVersion2, false, 2, {2}, true},
                          Case{comm_method::ZigbeeVersion2, false, 1, {2}, false},
                          Case{comm_method::ZigbeeVersion2, true, 2, {}, true}}) {
        SCOPED_TRACE(testing::Message() << "method " << int(c.method) << " node E" << c.dongleNode);
        LinkRig rig;
        rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
        dongleInFront(rig, c.dongleNode);
        rig.settings.CommMethod = c.method;
        rig.state.ZigbeeFound = c.found;

        rig.run(rig.control.start());
        EXPECT_EQ(rig.zigbeeSearches(), c.searches);
        EXPECT_EQ(rig.state.ZigbeeFound, c.foundAfter);
        // The start goes on whatever the search found.
        EXPECT_EQ(rig.writtenCount("PLR"), 1);
    }
}

TEST_F(RealTimeStart, methodChangedToVersion2DuringTheFirstSearch_searchesAgainWithVersion2)
{
    monitorAcknowledgesAll();
    settings.CommMethod = comm_method::ZigbeeVersion1;
    // Meanwhile the user picks version 2 in the COM panel; node E1 is not there.
    dongleInFront(*this, 2, [this](int version) {
        if (version == 1)
            settings.CommMethod = comm_method::ZigbeeVersion2;
    });

    run(control.start());
    EXPECT_EQ(zigbeeSearches(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(state.ZigbeeFound);
}

TEST_F(RealTimeStop, monitorAcknowledging_getsAttentionTogA40msPauseOffAndReportsSuccess)
{
    openPort();
    port.feed("\x10\x20");
    monitorAcknowledgesAll();
    state.RealTimeOn = true;

    EXPECT_TRUE(run(control.stop()));
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "T", "O", "G", "O", "F", "F"}));
    // 140 ms after TOG's acknowledgement, then the 40 ms pause, then OFF and its 140 ms.
    EXPECT_EQ(port.writeTimesMs, (std::vector<std::int64_t>{0, 0, 0, 0, 180, 180, 180}));
    EXPECT_EQ(clock.elapsedMs(), 320);
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real Time has been disabled successfully."});
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Stopped);
    EXPECT_EQ(realTimeSwitches, std::vector<bool>{false});
    // The receiver stays away until the next job; the watchdog is the one to clear RealTimeOn.
    EXPECT_TRUE(control.inputHeldAfterStop());
    EXPECT_TRUE(state.RealTimeOn);
    EXPECT_FALSE(control.realTimeWanted());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RealTimeStop, aPacketArrivingDuringThePausesBeforeOff_isNotTakenForItsAnswer)
{
    openPort();
    monitorAcknowledgesAll();
    state.RealTimeOn = true;
    // The monitor still streams after "TOG": a packet's bytes come 100 ms into the pauses.
    port.feedAt(100, std::string("\xFE\xFF\x01\x09\x00", 5));

    EXPECT_TRUE(run(control.stop()));
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real Time has been disabled successfully."});
}

TEST_F(RealTimeStop, noAttentionReply_triesTwiceThenReportsAndLeavesTheInputFree)
{
    openPort();
    List1.addLine("earlier line");

    EXPECT_FALSE(run(control.stop()));
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, kAck}));
    // The handshake waits between two and three seconds for its answer.
    const std::int64_t between = port.writeTimesMs[1] - port.writeTimesMs[0];
    EXPECT_GE(between, 2000);
    EXPECT_LE(between, 3000);
    EXPECT_EQ(List1.lines,
              std::vector<std::string>{"Unsuccessful in receiving response from KVO-7730. Try again."});
    EXPECT_FALSE(control.inputHeldAfterStop());
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
}

TEST_F(RealTimeStop, commandNotAcknowledged_reportsWhichAndLeavesTheInputFree)
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

        EXPECT_FALSE(rig.run(rig.control.stop()));
        EXPECT_EQ(rig.port.written, c.written);
        EXPECT_EQ(rig.List1.lines, std::vector<std::string>{c.line});
        EXPECT_FALSE(rig.control.inputHeldAfterStop());
        EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
    }
}

TEST_F(RealTimeStop, withoutCommunicationMethod_sendsNothing)
{
    openPort();
    settings.CommMethod = comm_method::None;

    EXPECT_FALSE(run(control.stop()));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kNoMethod});
    EXPECT_EQ(comPanelShown, 1);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(SwitchOffForSetup, realTimeOn_isStoppedAndRememberedThenStartedAgain)
{
    openPort();
    monitorAcknowledgesAll();
    state.RealTimeOn = true;
    RecordingStatusList setupList;

    EXPECT_EQ(run(control.switchOffForSetup(setupList)), std::optional<bool>(true));
    EXPECT_EQ(setupList.lines,
              (std::vector<std::string>{"Realtime is ON..... now turning OFF", "Realtime is OFF"}));
    EXPECT_EQ(port.written, kAck + "TOGOFF");
    EXPECT_TRUE(control.inputHeldAfterStop());

    setupList.clear();
    port.written.clear();
    run(control.restoreAfterSetup(true, setupList));
    EXPECT_EQ(setupList.lines, std::vector<std::string>{"Restoring Real-Time back to its ON state."});
    EXPECT_EQ(port.written, kAck + "TOGPLR");
    EXPECT_FALSE(control.inputHeldAfterStop());
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(SwitchOffForSetup, realTimeOff_onlySaysSoAndTheRestoreSendsNothing)
{
    openPort();
    monitorAcknowledgesAll();
    RecordingStatusList setupList;

    EXPECT_EQ(run(control.switchOffForSetup(setupList)), std::optional<bool>(false));
    EXPECT_EQ(setupList.lines, std::vector<std::string>{"Realtime is OFF"});

    run(control.restoreAfterSetup(false, setupList));
    EXPECT_EQ(setupList.lines.size(), 1u);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(control.inputHeldAfterStop());
}

TEST_F(SwitchOffForSetup, closedPort_isOpenedFirst)
{
    RecordingStatusList setupList;

    EXPECT_EQ(run(control.switchOffForSetup(setupList)), std::optional<bool>(false));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.opens.size(), 1u);
}

TEST_F(SwitchOffForSetup, portThatCannotOpen_givesNothingAndSendsNothing)
{
    port.openSucceeds = false;
    state.RealTimeOn = true;
    RecordingStatusList setupList;

    EXPECT_EQ(run(control.switchOffForSetup(setupList)), std::nullopt);
    EXPECT_TRUE(setupList.lines.empty());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(SwitchOffForSetup, stopIfStillOn_stopsOnlyFlowingRealTime)
{
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        LinkRig rig;
        rig.openPort();
        rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
        rig.state.RealTimeOn = on;

        EXPECT_EQ(rig.run(rig.control.stopIfStillOn()), on);
        EXPECT_EQ(rig.port.written, on ? kAck + "TOGOFF" : "");
    }
}

TEST_F(Watchdog, bytesEverySecond_keepRealTimeOn)
{
    for (int second = 0; second < 10; ++second) {
        state.NoDataSeconds = 0;  // what the receiver does for every packet byte
        control.watchdogTick();
        EXPECT_TRUE(state.RealTimeOn);
    }
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Good);
    EXPECT_EQ(mainRealTimeBox.textChanges, 1);
    EXPECT_TRUE(realTimeSwitches.empty());
    EXPECT_EQ(realTimeChanges, std::vector<bool>{true});
}

TEST_F(Watchdog, thirdTickAfterTheLastByte_turnsRealTimeOff)
{
    state.NoDataSeconds = 0;
    control.watchdogTick();
    ASSERT_TRUE(state.RealTimeOn);

    control.watchdogTick();
    EXPECT_TRUE(state.RealTimeOn);
    control.watchdogTick();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(mainRealTimeBox.look, status_look::Stopped);

    control.watchdogTick();
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

        rig.control.watchdogTick();
        rig.control.watchdogTick();
        EXPECT_EQ(rig.tcpServerStartsIfClosed, listen ? 1 : 0);
        EXPECT_EQ(rig.tcpServerStarts, 0);
    }
}

TEST_F(Watchdog, programStart_withSixSilentSecondsKeepsRealTimeOffQuietly)
{
    state.NoDataSeconds = 6;

    control.watchdogTick();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(state.NoDataSeconds, 7);
    EXPECT_EQ(mainRealTimeBox.textChanges, 0);
    EXPECT_TRUE(realTimeChanges.empty());
}

TEST_F(Watchdog, counterPast30000_stepsBackTo20000)
{
    state.NoDataSeconds = 29999;
    control.watchdogTick();
    EXPECT_EQ(state.NoDataSeconds, 30000);
    control.watchdogTick();
    EXPECT_EQ(state.NoDataSeconds, 20000);
    EXPECT_FALSE(state.RealTimeOn);
}

TEST_F(Watchdog, dataStoppedByALostPort_turnsRealTimeOffNowAndTheNextTickKeepsItOff)
{
    state.NoDataSeconds = 0;
    control.watchdogTick();
    ASSERT_TRUE(state.RealTimeOn);

    control.dataStopped();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(mainRealTimeBox.text, "Real-Time Data Stopped");
    control.watchdogTick();
    EXPECT_FALSE(state.RealTimeOn);
    EXPECT_EQ(realTimeChanges, (std::vector<bool>{true, false}));
}

TEST_F(AutomaticStart, realTimeOff_startsItAndSaysSo)
{
    openPort();
    monitorAcknowledgesAll();

    run(control.automaticStart());
    EXPECT_EQ(port.writes, (std::vector<std::string>{kAck, "TOG", "PLR"}));
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real-Time was off. Now attempting to start real-time."});
    EXPECT_TRUE(state.RealTimeOn);
}

TEST_F(AutomaticStart, realTimeAlreadyOn_sendsNothing)
{
    openPort();
    state.RealTimeOn = true;

    run(control.automaticStart());
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(List1.lines.empty());
}

TEST_F(AutomaticStart, zigbeeWithoutNode_showsItsMessageAndSendsNothing)
{
    openPort();
    settings.CommMethod = comm_method::ZigbeeVersion2;

    run(control.automaticStart());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
        "An attempt to start real-time was aborted since a zigbee node has not been discovered. "
        "Open the Communication Panel and try using the \"Find\" buttons."});
    EXPECT_TRUE(port.written.empty());
}

TEST_F(AutomaticStart, zigbeeWithoutNodeWhereNobodyCanClickStart_searchesTheNodeAndStarts)
{
    openPort();
    monitorAcknowledgesAll();
    dongleInFront(*this, 2);
    settings.CommMethod = comm_method::ZigbeeVersion2;
    control.setAutomaticStartDiscovers(true);

    run(control.automaticStart());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(zigbeeSearches(), std::vector<int>{2});
    EXPECT_EQ(writtenCount("PLR"), 1);
}

TEST_F(AutomaticStart, zigbee1WithNodeFound_starts)
{
    openPort();
    monitorAcknowledgesAll();
    settings.CommMethod = comm_method::ZigbeeVersion1;
    state.ZigbeeFound = true;

    run(control.automaticStart());
    EXPECT_EQ(writtenCount("PLR"), 1);
    EXPECT_TRUE(zigbeeSearches().empty());
}

} // namespace
