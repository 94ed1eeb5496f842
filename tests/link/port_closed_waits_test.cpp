// A port closed while the link waits on it (by the user, a lost device or the program
// ending) ends the wait at once: nothing more can arrive, so running on to the
// deadline would only hold the program up. So does a pending end request for the
// waits that run no events (the loop could not take the request before they end).
#include "link_rig.h"
#include "receiver_rig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

struct WaitCase {
    const char* name;
    // Starts the wait; the port is closed at the first other event after armed() is true.
    std::function<void(LinkRig&)> wait;
    std::function<bool(const LinkRig&)> armed;
};

TEST(PortClosedDuringAWait, endsTheWaitAtOnce)
{
    const WaitCase cases[] = {
        {"attention acknowledgement (3 s time-out)",
         [](LinkRig& rig) {
             rig.openPort();
             EXPECT_FALSE(rig.exchange.Send_Receive_Ack());
         },
         [](const LinkRig& rig) { return !rig.port.written.empty(); }},
        {"start's wait for the first data (3 s)",
         [](LinkRig& rig) {
             rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
             rig.control.MnuStartRTL_Click();
             EXPECT_EQ(rig.port.writes.back(), "PLR");
             EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
         },
         [](const LinkRig& rig) { return rig.monitor.words.size() == 3; }},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        std::int64_t closedAtMs = -1;
        rig.events.onEvents = [&] {
            if (closedAtMs < 0 && rig.port.isOpen() && c.armed(rig)) {
                closedAtMs = rig.clock.elapsedMs();
                rig.port.close();
            }
        };

        c.wait(rig);

        ASSERT_GE(closedAtMs, 0) << "the port was never closed during the wait";
        // Not a single poll slice more.
        EXPECT_LE(rig.clock.elapsedMs() - closedAtMs, kPollSliceMs);
        EXPECT_FALSE(rig.state.CmdInProgress);
    }
}

// The receiver's wait for the next byte, which lets other events run meanwhile.
TEST(PortClosedDuringAWait, receiverByteWaitEndsAtOnceWithoutATimeOutMessage)
{
    ReceiverRig rig;
    rig.events.onEvents = [&] { rig.port.close(); };

    rig.receiver.Com1_OnComm();

    // Open, the wait would run for one to two seconds.
    EXPECT_LE(rig.clock.elapsedMs(), kPollSliceMs);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_FALSE(rig.receiver.Started());
}

// The waits that block on the port alone: the device goes away in the middle of one.
TEST(PortLostDuringABlockingWait, endsTheWaitAtOnce)
{
    {
        SCOPED_TRACE("acknowledgement wait");
        LinkRig rig;
        rig.openPort();
        rig.port.onBlockingWait = [&] { rig.port.loseDevice(); };

        EXPECT_FALSE(rig.exchange.GetAckByte());
        EXPECT_LE(rig.clock.elapsedMs(), kPollSliceMs);
    }
    {
        SCOPED_TRACE("receiver's wait inside the header");
        ReceiverRig rig;
        int blockingWaits = 0;
        rig.port.onBlockingWait = [&] {
            ++blockingWaits;
            rig.port.loseDevice();
        };

        rig.deliver("\xFE");

        EXPECT_EQ(blockingWaits, 1);
        EXPECT_LE(rig.clock.elapsedMs(), kPollSliceMs);
        EXPECT_FALSE(rig.receiver.Started());
    }
}

TEST(EndRequestedDuringAWait, waitsThatRunNoEventsGiveUpAtOnce)
{
    {
        SCOPED_TRACE("acknowledgement wait");
        LinkRig rig;
        rig.openPort();
        rig.events.endRequested = true;

        EXPECT_FALSE(rig.exchange.GetAckByte());
        EXPECT_EQ(rig.clock.elapsedMs(), 0);
    }
    {
        SCOPED_TRACE("receiver's wait inside the header");
        ReceiverRig rig;
        rig.events.endRequested = true;

        rig.deliver("\xFE");

        EXPECT_EQ(rig.clock.elapsedMs(), 0);
        EXPECT_FALSE(rig.receiver.Started());
    }
}

} // namespace
