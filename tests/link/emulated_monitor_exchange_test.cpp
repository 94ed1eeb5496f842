// Start, stop, switching off around setup and the polarity toggle against the emulated
// monitor, with its packet stream read by the receiver and watched by the watchdog, all
// on virtual time.
#include "link_rig.h"

#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kAck = WordPeer::attentionWord();

// Calls fire every ms milliseconds of virtual time from now on.
void every(FakeEventLoop& loop, int ms, std::function<void()> fire)
{
    loop.callAfter(ms, [&loop, ms, fire] {
        fire();
        every(loop, ms, fire);
    });
}

// The link rig with the emulated monitor on the far end of the port. Its packets arrive
// half-way through every second of virtual time; the watchdog ticks on each whole second.
// While a job runs the receiver is held, as the monitor's queue holds it.
struct EmulatedLink : LinkRig {
    MonitorEmulator emulator;
    PacketDecoder decoder{List1, clock};
    PacketReceiver receiver{port, clock, events, state, List1, decoder};

    explicit EmulatedLink(const ResponseMode& responses = {}) : emulator(MonitorState{}, responses, StreamFaults{})
    {
        emulator.state().watts = {100, 50};
        // As at the program's start: the watchdog begins from the stopped state.
        state.NoDataSeconds = 6;
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        port.setReceiveHandler([this] {
            waits.bytesArrived();
            receiver.onBytesArrived();
        });
        events.callAfter(500, [this] { every(events, 1000, [this] { port.arrive(emulator.tick(1)); }); });
        every(events, 1000, [this] { control.watchdogTick(); });
    }

    template <typename T>
    T job(Task<T> step)
    {
        receiver.hold(true);
        struct Release {
            EmulatedLink& link;
            ~Release() { link.receiver.hold(link.control.inputHeldAfterStop()); }
        } release{*this};
        return run(std::move(step));
    }

    const LiveReadings& readings() const { return decoder.readings(); }
};

TEST(EmulatedMonitorExchange, start_switchesTheMonitorOnAndItsPacketsKeepRealTimeOn)
{
    EmulatedLink link;

    link.job(link.control.start());
    ASSERT_TRUE(link.emulator.realTimeOn());
    EXPECT_EQ(link.List1.lines, std::vector<std::string>{"Real-Time is ON"});
    // Packets arrived during the wait for the first data.
    EXPECT_EQ(link.mainRealTimeBox.text, "Real-Time Data Active");
    EXPECT_EQ(link.realTimeSwitches, std::vector<bool>{true});

    for (int second = 0; second < 5; ++second) {
        link.events.runFor(1000);
        EXPECT_TRUE(link.state.RealTimeOn);
    }
    EXPECT_DOUBLE_EQ(link.readings().Volts, 120.0);
    EXPECT_DOUBLE_EQ(link.readings().Watts1, 100);
    EXPECT_DOUBLE_EQ(link.readings().Watts2, 50);
    EXPECT_EQ(link.readings().SecondsCounter, static_cast<std::int32_t>(link.emulator.state().secondsCounter));
    EXPECT_EQ(link.port.unread(), 0u);
}

TEST(EmulatedMonitorExchange, stopWhileStreaming_switchesTheMonitorOffAndTheWatchdogNoticesOnTheThirdTick)
{
    EmulatedLink link;
    link.job(link.control.start());
    // To a whole second: the last packet came half a second ago, the watchdog has just ticked.
    link.events.runFor(3000 - link.clock.elapsedMs() % 1000);
    ASSERT_TRUE(link.state.RealTimeOn);

    ASSERT_TRUE(link.job(link.control.stop()));
    EXPECT_FALSE(link.emulator.realTimeOn());
    EXPECT_EQ(link.List1.lines.back(), "Real Time has been disabled successfully.");

    // The third tick after the last packet (one came before the stop) turns it off.
    const bool expectedOn[] = {true, false, false};
    for (std::size_t tick = 0; tick < std::size(expectedOn); ++tick) {
        SCOPED_TRACE(tick + 1);
        link.events.runFor(1000);
        EXPECT_EQ(link.state.RealTimeOn, expectedOn[tick]);
    }
    EXPECT_EQ(link.mainRealTimeBox.text, "Real-Time Data Stopped");
    EXPECT_EQ(link.realTimeChanges, (std::vector<bool>{true, false}));
}

TEST(EmulatedMonitorExchange, switchOffForSetupAndRestore_switchTheMonitorOffAndOnAgain)
{
    EmulatedLink link;
    link.job(link.control.start());
    link.events.runFor(1000);
    RecordingStatusList setupList;

    ASSERT_EQ(link.job(link.control.switchOffForSetup(setupList)), std::optional<bool>(true));
    EXPECT_FALSE(link.emulator.realTimeOn());

    link.job(link.control.restoreAfterSetup(true, setupList));
    EXPECT_TRUE(link.emulator.realTimeOn());
    EXPECT_EQ(setupList.lines.back(), "Restoring Real-Time back to its ON state.");
    EXPECT_FALSE(link.receiver.held());
}

TEST(EmulatedMonitorExchange, togglePolarity_reversesOnlyThatChannelAndLeavesTheRepliesWaiting)
{
    EmulatedLink link;
    link.openPort();

    EXPECT_EQ(link.job(link.polarity.toggle(2)), std::nullopt);
    EXPECT_FALSE(link.emulator.state().polarityReversed[0]);
    EXPECT_TRUE(link.emulator.state().polarityReversed[1]);
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

        link.job(link.control.start());
        EXPECT_EQ(link.port.written, c.written);
        EXPECT_EQ(link.List1.lines.back(), c.lastLine);
        EXPECT_FALSE(link.emulator.realTimeOn());
        EXPECT_FALSE(link.receiver.held());
    }
}

TEST(EmulatedMonitorExchange, refusedAttention_endsTheHandshakeAtOnce)
{
    EmulatedLink link(ResponseMode{.answerByte = 253});
    link.openPort();

    EXPECT_FALSE(link.job(link.exchange.attention()));
    EXPECT_EQ(link.clock.elapsedMs(), 0);
}

} // namespace
