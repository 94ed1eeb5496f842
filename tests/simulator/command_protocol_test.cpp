// The emulated monitor's command protocol: its replies, byte-at-a-time commands and
// the response modes that make it fail on purpose.
#include "simulator/command_reader.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

namespace {

const std::string kAck = "\xFC";
const std::string kAttention = "\xFC";

MonitorEmulator monitorWith(const ResponseMode& responses)
{
    return MonitorEmulator(MonitorState{}, responses, StreamFaults{});
}

TEST(CommandReader, recognisesAttentionAndThreeCharacterCommandsAcrossWrites)
{
    CommandReader reader;
    EXPECT_EQ(reader.take("T"), std::vector<std::string>{});
    EXPECT_EQ(reader.take("O"), std::vector<std::string>{});
    EXPECT_EQ(reader.take("GPL"), std::vector<std::string>{"TOG"});
    EXPECT_EQ(reader.take("R\xFC" "SETNG1"), (std::vector<std::string>{"PLR", "252", "SET", "NG1"}));
}

TEST(CommandReader, attentionOrStrayByteAbandonsAHalfSentCommand)
{
    CommandReader reader;
    EXPECT_EQ(reader.take("TO\xFCTOG"), (std::vector<std::string>{"252", "TOG"}));
    EXPECT_EQ(reader.take(std::string("PL\0OFF", 6)), std::vector<std::string>{"OFF"});
    EXPECT_EQ(reader.take("SE\rNG2"), std::vector<std::string>{"NG2"});
}

TEST(CommandProtocol, attentionByteIsAnsweredWith252)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive(kAttention), kAck);
    EXPECT_EQ(monitor.receive(kAttention + kAttention), kAck + kAck);
}

TEST(CommandProtocol, togThenPlr_switchesRealTimeOnAndAcknowledgesBoth)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive("TOG"), kAck);
    EXPECT_FALSE(monitor.realTimeOn());
    EXPECT_EQ(monitor.receive("PLR"), kAck);
    EXPECT_TRUE(monitor.realTimeOn());
}

TEST(CommandProtocol, commandWrittenOneCharacterPerWrite_isAnsweredOnItsThirdCharacter)
{
    MonitorEmulator monitor;
    std::string replies;
    for (const char c : std::string("TOGPLR")) {
        const std::string reply = monitor.receive(std::string(1, c));
        replies += reply.empty() ? "-" : "A";
    }
    EXPECT_EQ(replies, "--A--A");
    EXPECT_TRUE(monitor.realTimeOn());
}

TEST(CommandProtocol, wholeStartAndStopSequencesInOneWrite)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive(kAttention + kAttention + "TOGPLR"), kAck + kAck + kAck + kAck);
    EXPECT_TRUE(monitor.realTimeOn());
    EXPECT_EQ(monitor.receive(kAttention + "TOGOFF"), kAck + kAck + kAck);
    EXPECT_FALSE(monitor.realTimeOn());
}

TEST(CommandProtocol, secondWordWithoutItsFirst_getsNoAnswerAndDoesNothing)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive("PLR"), "");
    EXPECT_EQ(monitor.receive("NG1"), "");
    EXPECT_EQ(monitor.receive("SETPLR"), kAck);  // PLR belongs after TOG, not SET
    EXPECT_EQ(monitor.receive("TOGNG1"), kAck);  // NG1 belongs after SET, not TOG
    EXPECT_FALSE(monitor.realTimeOn());
    EXPECT_EQ(monitor.state().polarityReversed, (std::array<bool, 2>{false, false}));
}

TEST(CommandProtocol, unknownCommand_getsNoAnswerAndLeavesNoResidue)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive("XYZ"), "");
    EXPECT_EQ(monitor.receive("TOGXYZ"), kAck);
    EXPECT_EQ(monitor.receive("PLR"), "");  // the unknown word ended the TOG command
    EXPECT_EQ(monitor.receive("TOGPLR"), kAck + kAck);
    EXPECT_TRUE(monitor.realTimeOn());
}

TEST(CommandProtocol, setThenNg_togglesThatChannelsPolarity)
{
    MonitorEmulator monitor;
    EXPECT_EQ(monitor.receive(kAttention + "SET" + "NG1"), kAck + kAck + kAck);
    EXPECT_EQ(monitor.state().polarityReversed, (std::array<bool, 2>{true, false}));
    EXPECT_EQ(monitor.receive("SETNG2"), kAck + kAck);
    EXPECT_EQ(monitor.state().polarityReversed, (std::array<bool, 2>{true, true}));
    monitor.receive("SETNG1");
    EXPECT_EQ(monitor.state().polarityReversed, (std::array<bool, 2>{false, true}));
}

TEST(CommandProtocol, reversedPolarity_makesTheConsumedPowerCountAsGenerated)
{
    MonitorEmulator monitor;
    monitor.state().watts = {100, 100};
    monitor.advance(10);
    monitor.receive("SETNG1");
    monitor.advance(3);
    EXPECT_DOUBLE_EQ(monitor.state().polWs[0], 300);
    EXPECT_DOUBLE_EQ(monitor.state().polWs[1], 0);
    EXPECT_DOUBLE_EQ(monitor.state().absWs[0], 1300);
}

TEST(ResponseModes, silentMonitor_answersNothingAndCarriesNothingOut)
{
    MonitorEmulator monitor = monitorWith(ResponseMode{.silent = true});
    EXPECT_EQ(monitor.receive(kAttention + "TOGPLR" + "SETNG1"), "");
    EXPECT_FALSE(monitor.realTimeOn());
    EXPECT_FALSE(monitor.state().polarityReversed[0]);
}

TEST(ResponseModes, otherAnswerByte_refusesEveryKnownWord)
{
    MonitorEmulator monitor = monitorWith(ResponseMode{.answerByte = 253});
    EXPECT_EQ(monitor.receive(kAttention), "\xFD");
    EXPECT_EQ(monitor.receive("TOG"), "\xFD");
    // A refused TOG opens nothing, so PLR is not known.
    EXPECT_EQ(monitor.receive("PLR"), "");
    EXPECT_FALSE(monitor.realTimeOn());
    EXPECT_EQ(monitor.receive("XYZ"), "");
}

TEST(ResponseModes, acknowledgingOnlySomeWords_leavesTheOthersUnanswered)
{
    MonitorEmulator monitor = monitorWith(ResponseMode{.answeredWords = std::set<std::string>{"252", "TOG"}});
    EXPECT_EQ(monitor.receive(kAttention), kAck);
    EXPECT_EQ(monitor.receive("TOG"), kAck);
    EXPECT_EQ(monitor.receive("PLR"), "");
    EXPECT_FALSE(monitor.realTimeOn());

    MonitorEmulator running = monitorWith(ResponseMode{.answeredWords = std::set<std::string>{"TOG"}});
    running.state().realTimeOn = true;
    EXPECT_EQ(running.receive(kAttention), "");
    EXPECT_EQ(running.receive("TOGOFF"), kAck);
    EXPECT_TRUE(running.realTimeOn());
}

} // namespace
