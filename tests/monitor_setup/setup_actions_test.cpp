// The setup actions against the emulated monitor on a fake port: the bytes on the wire,
// the status lines, the monitor's configuration afterwards, and faulty monitors.
#include "link_rig.h"
#include "packet_patch.h"

#include "link/packet_decoder.h"
#include "monitor_setup/settings_reader.h"
#include "monitor_setup/settings_writer.h"
#include "monitor_setup/utility_commands.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;
const std::string kAck(1, static_cast<char>(252));

struct SetupRig : LinkRig {
    MonitorEmulator emulator;
    RecordingStatusList utilList; // the setup window's List1
    SetupLink link{.port = port, .clock = clock, .events = events, .dialogs = dialogs, .state = state,
                   .ports = ports, .commands = exchange, .realTime = control, .List1 = utilList};
    SetupExchange setupExchange{link};
    SettingsReader reader{link, setupExchange};
    SettingsWriter writer{link, setupExchange};
    UtilityCommands utility{link};

    explicit SetupRig(const ResponseMode& responses = {}) : emulator(MonitorState{}, responses, StreamFaults{})
    {
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        openPort();
    }

    bool wrote(std::string_view word) const
    {
        return std::any_of(port.writes.begin(), port.writes.end(), [&](const std::string& w) { return w == word; });
    }
};

TEST(SettingsRead, theMonitorsBlockComesBackWithTheSuccessLine)
{
    SetupRig rig;
    rig.emulator.state().configuration.interval = 60;

    const auto settings = rig.reader.Command6_Click();

    ASSERT_TRUE(settings);
    EXPECT_EQ(*settings, rig.emulator.state().configuration);
    EXPECT_EQ(rig.utilList.lines, Lines{"Settings have been read successfuly"});
    // Byte 33 was discarded by the closing acknowledgement, and the port handed back.
    EXPECT_EQ(rig.port.unread(), 0u);
    EXPECT_FALSE(rig.state.CmdInProgress);
    EXPECT_EQ(rig.mainRealTimeBox.text, "Real-Time Data Stopped");
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
        EXPECT_FALSE(rig.reader.Command6_Click());
        EXPECT_EQ(rig.utilList.lines, c.lines);
        EXPECT_FALSE(rig.state.CmdInProgress);
    }
}

TEST(SettingsRead, realTimeStillFlowingIsStoppedAndRestartedAfterTheRead)
{
    SetupRig rig;
    rig.state.RealTimeOn = true;

    ASSERT_TRUE(rig.reader.Command6_Click());

    EXPECT_EQ(rig.utilList.lines, (Lines{"Settings have been read successfuly",
                                         "Restoring Real-Time back to its ON state."}));
    EXPECT_TRUE(rig.emulator.realTimeOn());
}

TEST(SendAcknowledge, theAnswerByteDecidesTheResponse)
{
    const struct {
        std::uint8_t answer;
        Lines lines;
        const char* response;
    } cases[] = {{252, {"252", "Successful response."}, "Acknowledged"}, {65, {"65", "Improper response."}, "Error"}};
    for (const auto& c : cases) {
        SetupRig rig({.answerByte = c.answer});
        EXPECT_EQ(rig.reader.Command9_Click(), c.response);
        EXPECT_EQ(rig.utilList.lines, c.lines);
    }
    SetupRig silent({.silent = true});
    EXPECT_FALSE(silent.reader.Command9_Click());
    EXPECT_EQ(silent.utilList.lines, Lines{"No response was received."});
}

TEST(SettingsWrite, channelTwoPutsExactlyTheDocumentedBytesOnTheWire)
{
    SetupRig rig;

    EXPECT_TRUE(rig.writer.Command2_Click("167", "4"));

    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "S", "E", "T", "C", "T", "2", "T", "Y", "P",
                                                         "\xA7", "R", "N", "G", "\x04"}));
    EXPECT_EQ(rig.emulator.state().configuration.ct2Type, 167);
    EXPECT_EQ(rig.emulator.state().configuration.ct2Range, 4);
    EXPECT_EQ(rig.utilList.lines, Lines{"Completed Modifying CH2 CT Type and Range"});
}

TEST(SettingsWrite, eachSettingReachesTheEmulatedMonitor)
{
    SetupRig rig;
    EXPECT_TRUE(rig.writer.Command1_Click(" 3", "10"));
    EXPECT_TRUE(rig.writer.Command4_Click("7", "9"));
    EXPECT_TRUE(rig.writer.Command3_Click("15"));
    EXPECT_TRUE(rig.writer.Command7_Click("abc"));

    const MonitorSettings& config = rig.emulator.state().configuration;
    EXPECT_EQ(config.ct1Type, 3);
    EXPECT_EQ(config.ct1Range, 10);
    EXPECT_EQ(config.ptType, 7);
    EXPECT_EQ(config.ptRange, 9);
    EXPECT_EQ(config.interval, 15);
    // A text that is no number is the ID 0.
    EXPECT_EQ(config.deviceId, 0);
    const std::string interval = std::string("IVL") + '\0' + '\x0F';
    EXPECT_NE(rig.port.written.find(interval), std::string::npos);
}

TEST(SettingsWrite, outOfRangeValuesAreRefusedBeforeAnySettingCommand)
{
    const struct {
        const char* name;
        bool (*accept)(SettingsWriter&);
        const char* message;
    } cases[] = {
        {"CT range 0", [](SettingsWriter& w) { return w.Command1_Click("100", "0"); }, "Improper Range"},
        {"CT range 11", [](SettingsWriter& w) { return w.Command2_Click("100", "11"); }, "Improper Range"},
        {"PT range 11", [](SettingsWriter& w) { return w.Command4_Click("1", "11"); }, "Improper Range"},
        {"interval 300", [](SettingsWriter& w) { return w.Command3_Click("300"); }, "Invalid Storage Interval Value"},
        {"interval 0", [](SettingsWriter& w) { return w.Command3_Click("0"); }, "Invalid Storage Interval Value"},
        {"ID 128", [](SettingsWriter& w) { return w.Command7_Click("128"); }, "Invalid Device ID Value"},
        {"CT type 300", [](SettingsWriter& w) { return w.Command1_Click("300", "5"); }, "Error writing CT setup values"},
        {"PT type -1", [](SettingsWriter& w) { return w.Command4_Click("-1", "5"); }, "Error writing PT setup values"},
    };
    for (const auto& c : cases) {
        SetupRig rig;
        const MonitorSettings before = rig.emulator.state().configuration;
        EXPECT_FALSE(c.accept(rig.writer)) << c.name;
        EXPECT_EQ(rig.dialogs.messages, Lines{c.message}) << c.name;
        EXPECT_FALSE(rig.wrote("S")) << c.name;
        EXPECT_EQ(rig.emulator.state().configuration, before) << c.name;
    }
}

TEST(SettingsWrite, aNeverAcknowledgingMonitorGivesDidNotReceiveAckAfterTwoTries)
{
    SetupRig rig({.silent = true});
    const std::int64_t start = rig.clock.elapsedMs();

    EXPECT_FALSE(rig.writer.Command4_Click("1", "2"));

    EXPECT_EQ(rig.utilList.lines, (Lines{"Realtime is OFF", "Did not receive ACK 1", "Completed"}));
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, kAck}));
    const std::int64_t waited = rig.clock.elapsedMs() - start;
    EXPECT_GE(waited, 4000);
    EXPECT_LE(waited, 6100);
}

TEST(SettingsWrite, refusalsAbortAndMissingValueAcknowledgementsCarryOn)
{
    const struct {
        std::set<std::string> unanswered;
        bool (*accept)(SettingsWriter&);
        Lines lines;
    } cases[] = {
        {{"TYP+"}, [](SettingsWriter& w) { return w.Command2_Click("9", "4"); },
         {"Completed Modifying CH2 CT Type and Range"}},
        {{"RNG"}, [](SettingsWriter& w) { return w.Command1_Click("100", "5"); },
         {"Completed Modifying CH1 CT Type and Range"}},
        {{"PTR"}, [](SettingsWriter& w) { return w.Command4_Click("1", "2"); },
         {"Realtime is OFF", "Abort PTR command", "Completed"}},
        {{"PTT+"}, [](SettingsWriter& w) { return w.Command4_Click("1", "2"); },
         {"Realtime is OFF", "Did not successfuly send PTtype", "Completed"}},
        {{"IVL"}, [](SettingsWriter& w) { return w.Command3_Click("15"); }, {"Realtime is OFF", "Abort IVL command"}},
        {{"IVL+"}, [](SettingsWriter& w) { return w.Command3_Click("15"); },
         {"Realtime is OFF", "Did not successfuly send Interval Setting value.",
          "Did not successfuly send Interval Setting value."}},
        {{"UID+"}, [](SettingsWriter& w) { return w.Command7_Click("5"); }, {"Did not successfuly send DeviceID value"}},
        {{"UID"}, [](SettingsWriter& w) { return w.Command7_Click("5"); }, {"Abort UID command"}},
        {{"SET"}, [](SettingsWriter& w) { return w.Command7_Click("5"); }, {"Abort SET command"}},
    };
    for (const auto& c : cases) {
        SetupRig rig({.unansweredWords = c.unanswered});
        EXPECT_FALSE(c.accept(rig.writer)) << *c.unanswered.begin();
        EXPECT_EQ(rig.utilList.lines, c.lines) << *c.unanswered.begin();
    }
    // Under the CT buttons' closing line, the write's own refusal lines.
    for (const char* refused : {"CT2", "TYP", "RNG"}) {
        SetupRig rig({.unansweredWords = {refused}});
        EXPECT_FALSE(rig.writer.WriteCTsetting(100, 5, 2));
        EXPECT_EQ(rig.utilList.lines, Lines{std::string("Abort ") + refused + " command"});
    }
    // The type byte went unacknowledged and was not stored; the range went on and was.
    SetupRig rig({.unansweredWords = {"TYP+"}});
    rig.writer.Command2_Click("9", "3");
    EXPECT_EQ(rig.emulator.state().configuration.ct2Type, 167);
    EXPECT_EQ(rig.emulator.state().configuration.ct2Range, 3);
}

TEST(MonitorReset, noSendsNothingAndYesResetsTheMonitor)
{
    SetupRig declined;
    EXPECT_FALSE(declined.utility.Command10_Click());
    EXPECT_EQ(declined.dialogs.questions, Lines{kResetQuestion});
    EXPECT_TRUE(declined.port.writes.empty());

    SetupRig rig;
    rig.emulator.state().absWs = {5000, 7000};
    rig.dialogs.answers = {true};
    EXPECT_TRUE(rig.utility.Command10_Click());
    EXPECT_EQ(rig.utilList.lines, Lines{"KVO has been successfuly reset"});
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "RQS", "RST"}));
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
        EXPECT_FALSE(rig.utility.Command10_Click());
        EXPECT_EQ(rig.utilList.lines, c.lines);
        EXPECT_EQ(rig.emulator.state().resetCount, 0);
    }
}

TEST(MonitorReset, theProgramsTotalsContinueThroughTheResetOffset)
{
    SetupRig rig;
    PacketDecoder decoder(rig.List1, rig.clock);
    rig.emulator.state().watts = {1000, 0};
    rig.emulator.advance(10);
    decoder.decode(test_packet::positions(rig.emulator.packet()));
    rig.emulator.advance(10);
    decoder.decode(test_packet::positions(rig.emulator.packet()));
    ASSERT_EQ(decoder.readings().TotalWs1, 20000);

    rig.dialogs.answers = {true};
    ASSERT_TRUE(rig.utility.Command10_Click());
    rig.emulator.advance(5);
    decoder.decode(test_packet::positions(rig.emulator.packet()));

    EXPECT_EQ(decoder.readings().AbsWs1, 5000);
    EXPECT_EQ(decoder.readings().TotalWs1, 25000);

    decoder.clearPreResetValues();
    rig.emulator.advance(1);
    decoder.decode(test_packet::positions(rig.emulator.packet()));
    EXPECT_EQ(decoder.readings().PreResetVal1, 0);
    EXPECT_EQ(decoder.readings().TotalWs1, 6000);
}

TEST(Polarity, channelTwoWritesAttentionSetAndNG2WithPausesAndKeepsTheReply)
{
    SetupRig rig;
    rig.dialogs.answers = {true};

    rig.utility.Command16_Click();

    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "SET", "NG2"}));
    EXPECT_EQ(rig.events.delays, (std::vector<int>{20, 20, 20}));
    EXPECT_TRUE(rig.emulator.state().polarityReversed[1]);
    EXPECT_EQ(rig.port.unread(), 3u);
    EXPECT_TRUE(rig.dialogs.messages.empty());

    SetupRig declined;
    declined.utility.Command15_Click();
    EXPECT_TRUE(declined.port.writes.empty());
}

TEST(PreResetValues, onlyYesConfirmsTheClearing)
{
    SetupRig rig;
    rig.dialogs.answers = {false, true};
    EXPECT_FALSE(rig.utility.Command11_Click());
    EXPECT_TRUE(rig.utility.Command11_Click());
    EXPECT_TRUE(rig.port.writes.empty());
}

} // namespace
