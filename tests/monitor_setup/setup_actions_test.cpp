// The setup actions as jobs on a monitor whose port leads to the emulated KVO-7730: the
// bytes on the wire, the status lines, the monitor's configuration afterwards, faulty
// monitors, and actions that meet each other or the end of the run.
#include "setup_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Lines = std::vector<std::string>;
using Writes = std::vector<std::string>;
const std::string kAck(1, static_cast<char>(252));

std::ptrdiff_t lastIndexOf(const Writes& writes, const std::string& word)
{
    const auto found = std::find(writes.rbegin(), writes.rend(), word);
    return found == writes.rend() ? -1 : writes.rend() - found - 1;
}

TEST(SettingsRead, theBlockComesBackAsSoonAsTheMonitorHasAnswered)
{
    SetupRig rig;
    rig.emulator.state().configuration.interval = 60;
    std::optional<std::optional<MonitorSettings>> read;

    rig.setup.readSettings(&rig.observer, rig.keep(read));
    const std::int64_t took = rig.runJobs();

    ASSERT_TRUE(read && *read);
    EXPECT_EQ(**read, rig.emulator.state().configuration);
    EXPECT_EQ(rig.List1.lines, Lines{"Settings have been read successfuly"});
    // Byte 33 was dropped by the closing handshake, whose 252 came back at once.
    EXPECT_EQ(rig.port.writes, (Writes{kAck, "S", "E", "T", "R", "C", "V", kAck}));
    EXPECT_EQ(rig.port.unread(), 0u);
    // The pauses of 10, 10 and 100 ms, and no time-out.
    EXPECT_GE(took, 120);
    EXPECT_LT(took, 300);
    EXPECT_EQ(rig.monitor.realTimeBox().text(), "Real-Time Data Stopped");
    EXPECT_EQ(rig.dialogs.pointerChanges, (std::vector<bool>{true, false}));
}

TEST(SettingsRead, faultyMonitorsGiveTheirLinesAndNoSettings)
{
    const struct {
        ResponseMode responses;
        Lines lines;
    } cases[] = {
        {{.settingsBlockLength = 20}, {"Could not read settings... Try again."}},
        {{.silent = true},
         {"Unsuccessful in receiving response from KVO-7730. Try again.", "Could not read settings... Try again."}},
        {{.unansweredWords = {"RCV"}},
         {"No response from \" RCV \" command. Try again.", "Could not read settings... Try again."}},
        {{.unansweredWords = {"SET"}},
         {"No response from \" SET \" command. Try again.", "Could not read settings... Try again."}},
    };
    for (const auto& c : cases) {
        SetupRig rig(c.responses);
        std::optional<std::optional<MonitorSettings>> read;
        rig.setup.readSettings(&rig.observer, rig.keep(read));
        rig.runJobs();
        ASSERT_TRUE(read) << c.lines.front();
        EXPECT_FALSE(*read) << c.lines.front();
        EXPECT_EQ(rig.List1.lines, c.lines);
        EXPECT_FALSE(rig.monitor.busy());
    }
}

TEST(SettingsRead, realTimeStillFlowingIsStoppedAndRestartedAfterTheRead)
{
    SetupRig rig;
    rig.realTimeFlows();
    std::optional<std::optional<MonitorSettings>> read;

    rig.setup.readSettings(&rig.observer, rig.keep(read));
    rig.runJobs();

    ASSERT_TRUE(read && *read);
    EXPECT_EQ(rig.List1.lines,
              (Lines{"Settings have been read successfuly", "Restoring Real-Time back to its ON state."}));
    EXPECT_TRUE(rig.emulator.realTimeOn());
}

TEST(SettingsRead, aMonitorThatNeverAnswersIsGivenUpAfterTwoHandshakes)
{
    SetupRig rig({.silent = true});
    rig.setup.readSettings();
    const std::int64_t took = rig.runJobs();
    EXPECT_EQ(rig.port.writes, (Writes{kAck, kAck}));
    EXPECT_GE(took, 4000);
    EXPECT_LE(took, 6100);
}

// Real time that was on for one action is not started again by a later one.
TEST(RealTimeRestore, followsOnlyTheActionsOwnStart)
{
    SetupRig rig;
    rig.realTimeFlows();
    rig.setup.readSettings();
    rig.runJobs();
    ASSERT_TRUE(rig.emulator.realTimeOn());
    rig.realTimeStopsFlowing();
    rig.emulator.state().realTimeOn = false;

    rig.setup.sendAcknowledge();
    rig.setup.writeStorageInterval(30);
    rig.runJobs();

    EXPECT_FALSE(rig.emulator.realTimeOn());
    EXPECT_EQ(rig.emulator.state().configuration.interval, 30);
    EXPECT_EQ(std::count(rig.List1.lines.begin(), rig.List1.lines.end(), "Restoring Real-Time back to its ON state."),
              0);
}

TEST(SendAcknowledge, theAnswerByteDecidesTheResponse)
{
    const struct {
        ResponseMode responses;
        Lines lines;
        AcknowledgeResponse response;
        std::optional<std::string> boxText;
    } cases[] = {
        {{}, {"252", "Successful response."}, AcknowledgeResponse::Acknowledged, "Acknowledged"},
        {{.answerByte = 65}, {"65", "Improper response."}, AcknowledgeResponse::Improper, "Error"},
        {{.silent = true}, {"No response was received."}, AcknowledgeResponse::NoResponse, std::nullopt},
    };
    for (const auto& c : cases) {
        SetupRig rig(c.responses);
        std::optional<AcknowledgeResponse> response;
        rig.setup.sendAcknowledge(&rig.observer, rig.keep(response));
        const std::int64_t took = rig.runJobs();
        EXPECT_EQ(response, c.response) << c.lines.front();
        EXPECT_EQ(responseBoxText(*response), c.boxText);
        EXPECT_EQ(rig.List1.lines, c.lines);
        EXPECT_EQ(rig.port.writes, Writes{kAck});
        // The answer is looked for once the monitor has had its second.
        EXPECT_GE(took, 1000) << c.lines.front();
    }
}

TEST(SendAcknowledge, aByteThePortRefusesIsSaidAtOnce)
{
    SetupRig rig;
    rig.port.writeSucceeds = false;
    std::optional<AcknowledgeResponse> response;

    rig.setup.sendAcknowledge(&rig.observer, rig.keep(response));
    const std::int64_t took = rig.runJobs();

    EXPECT_EQ(response, AcknowledgeResponse::NotSent);
    EXPECT_EQ(rig.List1.lines,
              (Lines{"Realtime is OFF", "The acknowledge byte could not be sent: the COM port refused it."}));
    EXPECT_LT(took, 100);
}

TEST(SettingsWrite, channelTwoPutsExactlyTheDocumentedBytesOnTheWire)
{
    SetupRig rig;
    std::optional<WriteOutcome> written;

    rig.setup.writeCurrentTransformer(2, 167, 4, &rig.observer, rig.keep(written));
    rig.runJobs();

    EXPECT_EQ(written, WriteOutcome::Acknowledged);
    EXPECT_EQ(rig.port.writes,
              (Writes{kAck, "S", "E", "T", "C", "T", "2", "T", "Y", "P", "\xA7", "R", "N", "G", "\x04"}));
    EXPECT_EQ(rig.emulator.state().configuration.ct2Type, 167);
    EXPECT_EQ(rig.emulator.state().configuration.ct2Range, 4);
    EXPECT_EQ(rig.List1.lines, Lines{"Completed Modifying CH2 CT Type and Range"});
    EXPECT_EQ(rig.dialogs.pointerChanges, (std::vector<bool>{true, false}));
}

TEST(SettingsWrite, writesAskedTogetherEachReachTheMonitorInTurn)
{
    SetupRig rig;
    std::vector<WriteOutcome> outcomes;
    const auto keep = [&outcomes](WriteOutcome outcome) { outcomes.push_back(outcome); };

    rig.setup.writeCurrentTransformer(1, 3, 10, &rig.observer, keep);
    rig.setup.writePotentialTransformer(7, 9, &rig.observer, keep);
    rig.setup.writeStorageInterval(15, &rig.observer, keep);
    rig.setup.writeDeviceId(0, &rig.observer, keep);
    rig.runJobs();

    EXPECT_EQ(outcomes, std::vector<WriteOutcome>(4, WriteOutcome::Acknowledged));
    const MonitorSettings& config = rig.emulator.state().configuration;
    EXPECT_EQ(config.ct1Type, 3);
    EXPECT_EQ(config.ct1Range, 10);
    EXPECT_EQ(config.ptType, 7);
    EXPECT_EQ(config.ptRange, 9);
    EXPECT_EQ(config.interval, 15);
    EXPECT_EQ(config.deviceId, 0);
    const std::string interval = std::string("IVL") + '\0' + '\x0F';
    EXPECT_NE(rig.port.written.find(interval), std::string::npos);
}

TEST(SettingsWrite, aNeverAcknowledgingMonitorGivesDidNotReceiveAckAfterTwoTries)
{
    SetupRig rig({.silent = true});
    std::optional<WriteOutcome> written;

    rig.setup.writePotentialTransformer(1, 2, &rig.observer, rig.keep(written));
    const std::int64_t took = rig.runJobs();

    EXPECT_EQ(written, WriteOutcome::NotAcknowledged);
    EXPECT_EQ(rig.List1.lines, (Lines{"Realtime is OFF", "Did not receive ACK 1", "Completed"}));
    EXPECT_EQ(rig.port.writes, (Writes{kAck, kAck}));
    EXPECT_GE(took, 4000);
    EXPECT_LE(took, 6100);
}

TEST(SettingsWrite, refusalsAbortAndMissingValueAcknowledgementsCarryOn)
{
    using Write = std::function<void(MonitorSetup&)>;
    const struct {
        std::set<std::string> unanswered;
        Write write;
        Lines lines;
    } cases[] = {
        {{"TYP+"}, [](MonitorSetup& s) { s.writeCurrentTransformer(2, 9, 4); },
         {"Completed Modifying CH2 CT Type and Range"}},
        {{"RNG"}, [](MonitorSetup& s) { s.writeCurrentTransformer(1, 100, 5); },
         {"Completed Modifying CH1 CT Type and Range"}},
        {{"PTR"}, [](MonitorSetup& s) { s.writePotentialTransformer(1, 2); },
         {"Realtime is OFF", "Abort PTR command", "Completed"}},
        {{"PTT+"}, [](MonitorSetup& s) { s.writePotentialTransformer(1, 2); },
         {"Realtime is OFF", "Did not successfuly send PTtype", "Completed"}},
        {{"IVL"}, [](MonitorSetup& s) { s.writeStorageInterval(15); }, {"Realtime is OFF", "Abort IVL command"}},
        {{"IVL+"}, [](MonitorSetup& s) { s.writeStorageInterval(15); },
         {"Realtime is OFF", "Did not successfuly send Interval Setting value.",
          "Did not successfuly send Interval Setting value."}},
        {{"UID+"}, [](MonitorSetup& s) { s.writeDeviceId(5); }, {"Did not successfuly send DeviceID value"}},
        {{"UID"}, [](MonitorSetup& s) { s.writeDeviceId(5); }, {"Abort UID command"}},
        {{"SET"}, [](MonitorSetup& s) { s.writeDeviceId(5); }, {"Abort SET command"}},
    };
    for (const auto& c : cases) {
        SetupRig rig({.unansweredWords = c.unanswered});
        c.write(rig.setup);
        rig.runJobs();
        EXPECT_EQ(rig.List1.lines, c.lines) << *c.unanswered.begin();
    }
    // The type byte went unacknowledged and was not stored; the range went on and was.
    SetupRig rig({.unansweredWords = {"TYP+"}});
    std::optional<WriteOutcome> written;
    rig.setup.writeCurrentTransformer(2, 9, 3, &rig.observer, rig.keep(written));
    rig.runJobs();
    EXPECT_EQ(written, WriteOutcome::NotAcknowledged);
    EXPECT_EQ(rig.emulator.state().configuration.ct2Type, 167);
    EXPECT_EQ(rig.emulator.state().configuration.ct2Range, 3);
}

TEST(SettingsWrite, aPortThatCannotBeOpenedIsTheComPortLine)
{
    SetupRig rig;
    rig.port.close();
    rig.port.openSucceeds = false;
    std::optional<WriteOutcome> written;

    rig.setup.writeDeviceId(5, &rig.observer, rig.keep(written));
    rig.runJobs();

    EXPECT_EQ(written, WriteOutcome::PortUnavailable);
    EXPECT_EQ(rig.List1.lines, Lines{"A problem occured with the COM port. Correct the problem and try again."});
    EXPECT_TRUE(rig.port.writes.empty());
}

TEST(MonitorReset, noSendsNothingAndYesResetsTheMonitor)
{
    SetupRig declined;
    std::optional<ResetOutcome> outcome;
    declined.setup.resetMonitor(&declined.observer, declined.keep(outcome));
    declined.runJobs();
    EXPECT_EQ(outcome, ResetOutcome::Declined);
    EXPECT_EQ(declined.dialogs.questions, Lines{kResetQuestion});
    EXPECT_EQ(declined.dialogs.titles, Lines{"Caution"});
    EXPECT_TRUE(declined.port.writes.empty());

    SetupRig rig;
    rig.emulator.state().absWs = {5000, 7000};
    rig.dialogs.answers = {true};
    rig.setup.resetMonitor(&rig.observer, rig.keep(outcome));
    rig.runJobs();
    EXPECT_EQ(outcome, ResetOutcome::Reset);
    EXPECT_EQ(rig.List1.lines, Lines{"KVO has been successfuly reset"});
    EXPECT_EQ(rig.port.writes, (Writes{kAck, "RQS", "RST"}));
    EXPECT_EQ(rig.emulator.state().absWs[0], 0);
    EXPECT_EQ(rig.emulator.state().resetCount, 1);
}

TEST(MonitorReset, eachUnansweredStepHasItsLine)
{
    const struct {
        std::set<std::string> unanswered;
        Lines lines;
    } cases[] = {{{"252"}, {"No response from Acknowledge command"}},
                 {{"RQS"}, {"Realtime is OFF", "No response from Request command"}},
                 {{"RST"}, {"Realtime is OFF", "KVO was not reset"}}};
    for (const auto& c : cases) {
        SetupRig rig({.unansweredWords = c.unanswered});
        rig.dialogs.answers = {true};
        std::optional<ResetOutcome> outcome;
        rig.setup.resetMonitor(&rig.observer, rig.keep(outcome));
        rig.runJobs();
        EXPECT_EQ(outcome, ResetOutcome::NotReset);
        EXPECT_EQ(rig.List1.lines, c.lines);
        EXPECT_EQ(rig.emulator.state().resetCount, 0);
    }
}

TEST(MonitorReset, theProgramsTotalsContinueThroughTheResetAndStartAfreshWhenCleared)
{
    SetupRig rig;
    rig.emulator.state().watts = {1000, 0};
    rig.emulator.state().realTimeOn = true;
    const auto secondsPass = [&rig](int seconds) {
        rig.port.arrive(rig.emulator.tick(seconds));
        rig.events.runUntilIdle();
    };
    secondsPass(10);
    secondsPass(10);
    ASSERT_EQ(rig.monitor.readings().TotalWs1, 20000);

    rig.dialogs.answers = {true, true};
    rig.setup.resetMonitor();
    rig.runJobs();
    secondsPass(5);
    EXPECT_EQ(rig.monitor.readings().AbsWs1, 5000);
    EXPECT_EQ(rig.monitor.readings().TotalWs1, 25000);

    rig.setup.clearPreResetValues();
    secondsPass(1);
    EXPECT_EQ(rig.monitor.readings().PreResetVal1, 0);
    EXPECT_EQ(rig.monitor.readings().TotalWs1, 6000);
}

TEST(PreResetValues, onlyYesClearsThemAndNothingIsSent)
{
    SetupRig rig;
    const StoredCounters kept{.PreResetVal1 = 1e6, .PreResetVal2 = 2e6, .PreResetValP1 = 3e6, .PreResetValP2 = 4e6};
    rig.monitor.restoreCounters(kept);

    rig.setup.clearPreResetValues();
    EXPECT_EQ(rig.monitor.counters(), kept);

    rig.dialogs.answers = {true};
    rig.setup.clearPreResetValues();
    const StoredCounters cleared = rig.monitor.counters();
    EXPECT_EQ(cleared.PreResetVal1, 0);
    EXPECT_EQ(cleared.PreResetVal2, 0);
    EXPECT_EQ(cleared.PreResetValP1, 0);
    EXPECT_EQ(cleared.PreResetValP2, 0);
    EXPECT_EQ(rig.dialogs.questions, Lines(2, kPreResetQuestion));
    EXPECT_TRUE(rig.port.writes.empty());
}

TEST(Polarity, channelTwoWritesAttentionSetAndNG2TwentyMillisecondsApart)
{
    SetupRig rig;
    rig.dialogs.answers = {true};
    std::optional<PolarityOutcome> outcome;

    rig.setup.togglePolarity(2, &rig.observer, rig.keep(outcome));
    rig.runJobs();

    EXPECT_EQ(outcome, PolarityOutcome::Toggled);
    EXPECT_EQ(rig.dialogs.questions, Lines{kPolarityQuestion});
    ASSERT_EQ(rig.port.writes, (Writes{kAck, "SET", "NG2"}));
    EXPECT_GE(rig.port.writeTimesMs[1] - rig.port.writeTimesMs[0], 20);
    EXPECT_GE(rig.port.writeTimesMs[2] - rig.port.writeTimesMs[1], 20);
    EXPECT_TRUE(rig.emulator.state().polarityReversed[1]);
    EXPECT_FALSE(rig.emulator.state().polarityReversed[0]);
    EXPECT_TRUE(rig.dialogs.messages.empty());

    SetupRig declined;
    declined.setup.togglePolarity(1, &declined.observer, declined.keep(outcome));
    declined.runJobs();
    EXPECT_EQ(outcome, PolarityOutcome::Declined);
    EXPECT_TRUE(declined.port.writes.empty());
}

TEST(Polarity, aMonitorThatSaysNothingIsTheToggleFailure)
{
    SetupRig rig({.silent = true});
    rig.dialogs.answers = {true};
    std::optional<PolarityOutcome> outcome;

    rig.setup.togglePolarity(1, &rig.observer, rig.keep(outcome));
    rig.runJobs();

    EXPECT_EQ(outcome, PolarityOutcome::Failed);
    EXPECT_EQ(rig.dialogs.messages, Lines{"Toggle operation failed. Try again"});
}

TEST(Polarity, aToggleAskedDuringASettingsReadWaitsItsTurnAndBothSucceed)
{
    SetupRig rig;
    rig.dialogs.answers = {true};
    std::optional<std::optional<MonitorSettings>> read;
    std::optional<PolarityOutcome> toggled;

    rig.setup.readSettings(&rig.observer, rig.keep(read));
    rig.events.runUntil([&rig] { return rig.wrote("R"); });
    rig.setup.togglePolarity(1, &rig.observer, rig.keep(toggled));
    // Not asked while the read has the port.
    EXPECT_TRUE(rig.dialogs.questions.empty());
    rig.runJobs();

    ASSERT_TRUE(read && *read);
    EXPECT_EQ(**read, rig.emulator.state().configuration);
    EXPECT_EQ(toggled, PolarityOutcome::Toggled);
    EXPECT_TRUE(rig.emulator.state().polarityReversed[0]);
    // The toggle's words follow the read's closing handshake.
    const Writes& writes = rig.port.writes;
    EXPECT_LT(lastIndexOf(writes, "V"), lastIndexOf(writes, "SET"));
    EXPECT_EQ(writes.back(), "NG1");
}

TEST(EndOfRun, endingTheRunDuringAReadEndsItWithNothingWrittenAfterwards)
{
    SetupRig rig;
    rig.realTimeFlows();
    std::optional<std::optional<MonitorSettings>> read;
    rig.setup.readSettings(&rig.observer, rig.keep(read));
    rig.setup.writeDeviceId(9);
    ASSERT_TRUE(rig.events.runUntil([&rig] { return rig.wrote("V"); }));
    const Writes before = rig.port.writes;

    rig.monitor.end();
    rig.events.runUntilIdle();

    EXPECT_EQ(rig.port.writes, before);
    EXPECT_FALSE(read);
    EXPECT_FALSE(rig.monitor.busy());
    EXPECT_EQ(rig.dialogs.pointerChanges.back(), false);
    EXPECT_EQ(rig.emulator.state().configuration.deviceId, 33);
}

TEST(EndOfRun, anAnswerThatComesAfterTheEndDoesNothing)
{
    SetupRig rig;
    rig.dialogs.holdAnswers = true;
    rig.dialogs.answers = {true};
    std::optional<ResetOutcome> outcome;
    rig.setup.resetMonitor(&rig.observer, rig.keep(outcome));
    rig.events.runUntilIdle();
    ASSERT_EQ(rig.dialogs.open.size(), 1u);

    rig.monitor.end();
    rig.dialogs.answerOldest();
    rig.events.runUntilIdle();

    EXPECT_TRUE(rig.port.writes.empty());
    EXPECT_FALSE(outcome);
    EXPECT_EQ(rig.emulator.state().resetCount, 0);
}

} // namespace
