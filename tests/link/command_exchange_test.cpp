// The attention handshake, the command send and the acknowledgement wait against a
// scripted monitor, on virtual time.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kAck = WordPeer::attentionWord();

class ExchangeTest : public ::testing::Test, protected LinkRig {
protected:
    ExchangeTest() { openPort(); }

    void monitorAcknowledgesAll() { monitorAnswers(peer_script::acknowledgeAllBut({})); }
};

using Attention = ExchangeTest;
using Acknowledgement = ExchangeTest;
using Send = ExchangeTest;

TEST_F(Attention, leftoverPacketBytes_areDiscardedBeforeOneAttentionByteIsWritten)
{
    port.feed("\x01\xFE\xFF");
    monitorAcknowledgesAll();

    EXPECT_TRUE(run(exchange.attention()));
    EXPECT_EQ(port.writes, std::vector<std::string>{kAck});
    EXPECT_EQ(port.unread(), 0u);
}

TEST_F(Attention, replyOtherThanAck_returnsFalseAtOnceAndConsumesIt)
{
    monitorAnswers([](const std::string&) { return std::string("\xFD"); });

    EXPECT_FALSE(run(exchange.attention()));
    EXPECT_EQ(clock.elapsedMs(), 0);
    EXPECT_EQ(port.unread(), 0u);
}

TEST_F(Attention, refusedWrite_returnsFalseWithoutWaiting)
{
    port.writeSucceeds = false;

    EXPECT_FALSE(run(exchange.attention()));
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(Attention, closedPort_isOpenedFirstAndTheAttentionFollowsTheSettlingPause)
{
    port.close();
    monitorAcknowledgesAll();

    EXPECT_TRUE(run(exchange.attention()));
    ASSERT_EQ(port.opens.size(), 2u);
    EXPECT_EQ(port.written, kAck);
    EXPECT_EQ(port.writtenAtMs(kAck), 500);
}

TEST_F(Attention, closedPortThatCannotBeOpened_reportsInTheListAndWritesNothing)
{
    port.close();
    port.openSucceeds = false;

    EXPECT_FALSE(run(exchange.attention()));
    EXPECT_EQ(List1.lines, std::vector<std::string>{
        "An error ocurred or the COM port could not be found. Correct the problem and try again."});
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(Acknowledgement, leftoverPacketByte_countsAsWrongReplyAndLeavesTheRest)
{
    port.feed("\xFE" + kAck);

    EXPECT_FALSE(run(exchange.acknowledgement()));
    EXPECT_EQ(port.unread(), 1u);
    EXPECT_TRUE(run(exchange.acknowledgement()));
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(Acknowledgement, closedPort_returnsFalseWithoutWaiting)
{
    port.close();

    EXPECT_FALSE(run(exchange.acknowledgement()));
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(Send, withoutWaiting_writesEachCharacterOnItsOwnAndReportsSuccessAtOnce)
{
    EXPECT_TRUE(run(exchange.send(monitor_command::Toggle, false)));
    EXPECT_EQ(port.writes, (std::vector<std::string>{"T", "O", "G"}));
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(Send, acknowledged_reportsSuccess140msAfterTheAcknowledgement)
{
    monitorAcknowledgesAll();

    EXPECT_TRUE(run(exchange.send(monitor_command::RealTimeOff, true)));
    EXPECT_EQ(monitor.words, std::vector<std::string>{"OFF"});
    EXPECT_EQ(clock.elapsedMs(), 140);
}

TEST_F(Send, wrongReply_reportsFailureAtOnceWithoutThePause)
{
    monitorAnswers([](const std::string&) { return std::string("\x07"); });

    EXPECT_FALSE(run(exchange.send(monitor_command::Toggle, true)));
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(Send, closedPort_reportsFailureAndSendsNothing)
{
    port.close();

    EXPECT_FALSE(run(exchange.send(monitor_command::Toggle, false)));
    EXPECT_FALSE(run(exchange.send(monitor_command::Toggle, true)));
    EXPECT_TRUE(port.written.empty());
}

// ---- Time-outs on the second of the minute --------------------------------------------

struct SilentCase {
    const char* name;
    std::function<Task<bool>(CommandExchange&)> step;
    int seconds;  // the documented k: the step gives up between k - 1 and k seconds
};

const SilentCase kSilentSteps[] = {
    {"attention", [](CommandExchange& e) { return e.attention(); }, 3},
    {"acknowledgement", [](CommandExchange& e) { return e.acknowledgement(); }, 2},
    {"send with acknowledgement", [](CommandExchange& e) { return e.send(monitor_command::Toggle, true); }, 2},
};

// However far into its second the clock is when the step begins.
TEST(ExchangeTimeOut, silentMonitor_givesUpBetweenKMinus1AndKSecondsWhereverTheSecondBegins)
{
    for (const SilentCase& c : kSilentSteps) {
        for (const int offsetMs : {0, 1, 400, 999}) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << offsetMs << " ms into the second");
            LinkRig rig;
            rig.openPort();
            rig.clock.advanceMs(offsetMs);

            EXPECT_FALSE(rig.run(c.step(rig.exchange)));

            const std::int64_t waited = rig.clock.elapsedMs() - offsetMs;
            EXPECT_GE(waited, 1000 * (c.seconds - 1));
            EXPECT_LE(waited, 1000 * c.seconds);
        }
    }
}

// The program goes on while a step waits: a call back due meanwhile runs on time.
TEST(ExchangeTimeOut, whileAStepWaits_otherCallBacksRunOnTime)
{
    for (const SilentCase& c : kSilentSteps) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.openPort();
        std::int64_t otherRanAt = -1;
        rig.events.callAfter(700, [&] { otherRanAt = rig.clock.elapsedMs(); });

        EXPECT_FALSE(rig.run(c.step(rig.exchange)));
        EXPECT_EQ(otherRanAt, 700);
    }
}

// Once the monitor has answered, nothing waits on: the step ends at the answer.
TEST(ExchangeTimeOut, answerArrivingLater_endsTheStepAtTheMomentItArrives)
{
    struct Case {
        const char* name;
        std::function<Task<bool>(CommandExchange&)> step;
        std::int64_t answerAtMs;
        std::int64_t endsAtMs;
    };
    const Case cases[] = {
        {"attention", [](CommandExchange& e) { return e.attention(); }, 2503, 2503},
        {"acknowledgement", [](CommandExchange& e) { return e.acknowledgement(); }, 707, 707},
        {"acknowledgement in the same millisecond", [](CommandExchange& e) { return e.acknowledgement(); }, 0, 0},
        {"send, then its pause", [](CommandExchange& e) { return e.send(monitor_command::Toggle, true); }, 1303,
         1443},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.openPort();
        rig.port.feedAt(c.answerAtMs, kAck);

        EXPECT_TRUE(rig.run(c.step(rig.exchange)));
        EXPECT_EQ(rig.clock.elapsedMs(), c.endsAtMs);
    }
}

} // namespace
