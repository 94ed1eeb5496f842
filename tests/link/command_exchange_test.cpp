// The attention handshake, the command send and the acknowledgement wait against a scripted monitor.
#include "link_rig.h"

#include <gtest/gtest.h>

namespace {

const std::string kAck = WordPeer::attentionWord();

class ExchangeTest : public ::testing::Test, protected LinkRig {
protected:
    ExchangeTest() { openPort(); }

    // Counts the other events that run while the exchange waits.
    void countOtherEvents()
    {
        events.onEvents = [this] { ++otherEvents; };
    }
    int otherEvents = 0;
};

using SendReceiveAck = ExchangeTest;
using GetAckByte = ExchangeTest;
using SendAscii = ExchangeTest;

TEST_F(SendReceiveAck, leftoverPacketBytes_areDiscardedBeforeOneAttentionByteIsWritten)
{
    port.feed("\x01\xFE\xFF");
    monitorAnswers([](const std::string&) { return peer_script::ack(); });

    EXPECT_TRUE(exchange.Send_Receive_Ack());
    EXPECT_EQ(port.writes, std::vector<std::string>{kAck});
    EXPECT_EQ(port.unread(), 0u);
}

TEST_F(SendReceiveAck, replyOtherThanAck_returnsFalseAtOnceAndConsumesIt)
{
    monitorAnswers([](const std::string&) { return std::string("\xFD"); });

    EXPECT_FALSE(exchange.Send_Receive_Ack());
    EXPECT_LT(clock.elapsedMs(), 50);
    EXPECT_EQ(port.unread(), 0u);
}

TEST_F(SendReceiveAck, noReply_givesUpAtTheThirdSecondWhileOtherEventsRun)
{
    countOtherEvents();

    EXPECT_FALSE(exchange.Send_Receive_Ack());
    // The clock starts on a whole second, so the deadline is three seconds away.
    EXPECT_GE(clock.elapsedMs(), 2900);
    EXPECT_LE(clock.elapsedMs(), 3100);
    EXPECT_GT(otherEvents, 0);
}

TEST_F(SendReceiveAck, replyArrivingBeforeTheDeadline_isAccepted)
{
    port.feedAt(2500, kAck);

    EXPECT_TRUE(exchange.Send_Receive_Ack());
    EXPECT_LT(clock.elapsedMs(), 2600);
}

TEST_F(SendReceiveAck, refusedWrite_returnsFalseWithoutWaiting)
{
    port.writeSucceeds = false;

    EXPECT_FALSE(exchange.Send_Receive_Ack());
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(SendReceiveAck, closedPort_isOpenedFirst)
{
    port.close();
    monitorAnswers([](const std::string&) { return peer_script::ack(); });

    EXPECT_TRUE(exchange.Send_Receive_Ack());
    ASSERT_EQ(port.opens.size(), 2u);
    EXPECT_EQ(port.written, kAck);
}

TEST_F(SendReceiveAck, closedPortThatCannotBeOpened_reportsInTheListAndWritesNothing)
{
    port.close();
    port.openSucceeds = false;

    EXPECT_FALSE(exchange.Send_Receive_Ack());
    EXPECT_EQ(List1.lines, std::vector<std::string>{
        "An error ocurred or the COM port could not be found. Correct the problem and try again."});
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(GetAckByte, leftoverPacketByte_countsAsWrongReplyAndLeavesTheRest)
{
    port.feed("\xFE" + kAck);

    EXPECT_FALSE(exchange.GetAckByte());
    EXPECT_EQ(port.unread(), 1u);
    EXPECT_TRUE(exchange.GetAckByte());
}

TEST_F(GetAckByte, noReply_returnsFalseWithinTwoSecondsWithoutRunningOtherEvents)
{
    countOtherEvents();

    EXPECT_FALSE(exchange.GetAckByte());
    EXPECT_GT(clock.elapsedMs(), 1000);
    EXPECT_LE(clock.elapsedMs(), 2100);
    EXPECT_EQ(otherEvents, 0);
    EXPECT_EQ(events.yields, 0);
}

TEST_F(GetAckByte, ackArrivingLater_isSeenWhenItArrives)
{
    port.feedAt(700, kAck);

    EXPECT_TRUE(exchange.GetAckByte());
    EXPECT_GE(clock.elapsedMs(), 700);
    EXPECT_LT(clock.elapsedMs(), 800);
}

TEST_F(GetAckByte, closedPort_returnsFalseWithoutWaiting)
{
    port.close();

    EXPECT_FALSE(exchange.GetAckByte());
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(SendAscii, withoutWaiting_writesEachCharacterOnItsOwnAndReportsSuccess)
{
    EXPECT_TRUE(exchange.SendASCII(monitor_command::Toggle, false));
    EXPECT_EQ(port.writes, (std::vector<std::string>{"T", "O", "G"}));
    EXPECT_TRUE(events.delays.empty());
    EXPECT_EQ(clock.elapsedMs(), 0);
}

TEST_F(SendAscii, acknowledged_reportsSuccessAfterA140msPause)
{
    monitorAnswers([](const std::string&) { return peer_script::ack(); });

    EXPECT_TRUE(exchange.SendASCII(monitor_command::RealTimeOff, true));
    EXPECT_EQ(monitor.words, std::vector<std::string>{"OFF"});
    EXPECT_EQ(events.delays, std::vector<int>{140});
}

TEST_F(SendAscii, noReply_reportsFailureAfterAboutTwoSecondsWithoutThePause)
{
    EXPECT_FALSE(exchange.SendASCII(monitor_command::Toggle, true));
    EXPECT_GT(clock.elapsedMs(), 1000);
    EXPECT_LE(clock.elapsedMs(), 2100);
    EXPECT_TRUE(events.delays.empty());
}

TEST_F(SendAscii, wrongReply_reportsFailure)
{
    monitorAnswers([](const std::string&) { return std::string("\x07"); });

    EXPECT_FALSE(exchange.SendASCII(monitor_command::Toggle, true));
    EXPECT_TRUE(events.delays.empty());
}

TEST_F(SendAscii, closedPort_reportsFailureAndSendsNothing)
{
    port.close();

    EXPECT_FALSE(exchange.SendASCII(monitor_command::Toggle, false));
    EXPECT_FALSE(exchange.SendASCII(monitor_command::Toggle, true));
    EXPECT_TRUE(port.written.empty());
}

} // namespace
