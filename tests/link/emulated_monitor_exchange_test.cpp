// Start, stop, switching off around setup and the polarity toggle against the emulated
// monitor, with its packet stream read by the receiver and watched by the watchdog.
#include "link_rig.h"

#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

namespace {

const std::string kAck = WordPeer::attentionWord();

// The link rig with the emulated monitor on the far end of the port. Its packets arrive
// once a second of virtual time, whenever the program waits or a test lets a second pass.
struct EmulatedLink : LinkRig {
    MonitorEmulator emulator;
    PacketDecoder decoder{List1, clock};
    PacketReceiver receiver{port, clock, events, state, List1, decoder};
    std::int64_t streamedSeconds = 0;

    explicit EmulatedLink(const ResponseMode& responses = {}) : emulator(MonitorState{}, responses, StreamFaults{})
    {
        emulator.state().watts = {100, 50};
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        port.setReceiveHandler([this] { receiver.onBytesArrived(); });
        events.onEvents = [this] { deliverStream(); };
    }

    void deliverStream()
    {
        const std::int64_t due = clock.elapsedMs() / 1000 - streamedSeconds;
        if (due <= 0)
            return;
        streamedSeconds += due;
        port.feed(emulator.tick(static_cast<int>(due)));
        port.notify();
    }

    const LiveReadings& readings() const { return decoder.readings(); }

    // One second of the program's life: the stream, then the watchdog's tick.
    void secondPasses()
    {
        clock.advanceMs(1000);
        deliverStream();
        control.Timer2_Timer();
    }
};

TEST(EmulatedMonitorExchange, start_switchesTheMonitorOnAndItsPacketsKeepRealTimeOn)
{
    EmulatedLink link;

    link.control.MnuStartRTL_Click();
    ASSERT_TRUE(link.emulator.realTimeOn());
    EXPECT_EQ(link.List1.lines, std::vector<std::string>{"Real-Time is ON"});
    // Packets arrived during the wait for the first data.
    EXPECT_EQ(link.mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(link.webRealTimeBox.text, "Real-Time Data Active");

    for (int second = 0; second < 5; ++second) {
        link.secondPasses();
        EXPECT_TRUE(link.state.RealTimeOn);
    }
    EXPECT_FALSE(link.state.CmdInProgress);
    EXPECT_DOUBLE_EQ(link.readings().Volts, 120.0);
    EXPECT_DOUBLE_EQ(link.readings().Watts1, 100);
    EXPECT_DOUBLE_EQ(link.readings().Watts2, 50);
    EXPECT_EQ(link.readings().SecondsCounter, static_cast<std::int32_t>(link.emulator.state().secondsCounter));
}

TEST(EmulatedMonitorExchange, stopWhileStreaming_switchesTheMonitorOffAndTheWatchdogNoticesOnTheThirdTick)
{
    EmulatedLink link;
    link.control.MnuStartRTL_Click();
    link.secondPasses();
    link.secondPasses();
    ASSERT_TRUE(link.state.RealTimeOn);

    link.control.MnuStopRTL_Click();
    EXPECT_FALSE(link.emulator.realTimeOn());
    EXPECT_EQ(link.List1.lines.back(), "Real Time has been disabled successfully.");

    // The last packet came before the tick just before the stop.
    link.secondPasses();
    EXPECT_TRUE(link.state.RealTimeOn);
    link.secondPasses();
    EXPECT_FALSE(link.state.RealTimeOn);
    EXPECT_EQ(link.mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(link.realTimeChanges, (std::vector<bool>{true, false}));
}

TEST(EmulatedMonitorExchange, realTimeOffAndRestore_switchTheMonitorOffAndOnAgain)
{
    EmulatedLink link;
    link.control.MnuStartRTL_Click();
    link.secondPasses();
    RecordingStatusList setupList;

    ASSERT_TRUE(link.control.RealTimeOff(setupList));
    EXPECT_FALSE(link.emulator.realTimeOn());
    EXPECT_TRUE(link.state.RTwasOn);

    link.control.RealTimeRestore(setupList);
    EXPECT_TRUE(link.emulator.realTimeOn());
    EXPECT_FALSE(link.state.CmdInProgress);
    EXPECT_EQ(setupList.lines.back(), "Restoring Real-Time back to its ON state.");
}

TEST(EmulatedMonitorExchange, togglePolarity_reversesOnlyThatChannelAndLeavesTheRepliesWaiting)
{
    EmulatedLink link;
    link.openPort();

    link.control.TogglePolarity(2);
    EXPECT_FALSE(link.emulator.state().polarityReversed[0]);
    EXPECT_TRUE(link.emulator.state().polarityReversed[1]);
    EXPECT_GT(link.port.unread(), 0u);
    EXPECT_TRUE(link.dialogs.messages.empty());
}

TEST(EmulatedMonitorExchange, faultyMonitors_failTheStartAtTheStepTheyDoNotAnswer)
{
    struct Case {
        const char* name;
        ResponseMode responses;
        std::string written;
        std::string lastLine;
    };
    const Case cases[] = {
        {"silent", ResponseMode{.silent = true}, kAck + kAck, "No response from Acknowledge command"},
        {"PLR unanswered", ResponseMode{.answeredWords = std::set<std::string>{"252", "TOG"}}, kAck + "TOGPLR",
         "Error turning Real-Time ON"},
        {"refusing", ResponseMode{.answerByte = 253}, kAck + kAck, "No response from Acknowledge command"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedLink link(c.responses);

        link.control.MnuStartRTL_Click();
        EXPECT_EQ(link.port.written, c.written);
        EXPECT_EQ(link.List1.lines.back(), c.lastLine);
        EXPECT_FALSE(link.emulator.realTimeOn());
        EXPECT_FALSE(link.state.CmdInProgress);
    }
}

TEST(EmulatedMonitorExchange, refusedAttention_endsTheHandshakeAtOnce)
{
    EmulatedLink link(ResponseMode{.answerByte = 253});
    link.openPort();

    EXPECT_FALSE(link.exchange.Send_Receive_Ack());
    EXPECT_LT(link.clock.elapsedMs(), 50);
}

} // namespace
