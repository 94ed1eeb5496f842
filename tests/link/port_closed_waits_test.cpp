// A port closed while a job waits on it (by the user, or by a device that went away)
// ends the wait at its next look: nothing more can arrive, so running on to the
// deadline would only hold the queue up.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr std::int64_t kClosedAtMs = 2003;

struct WaitCase {
    const char* name;
    // Runs the step, whose wait is under way at kClosedAtMs.
    std::function<void(LinkRig&)> step;
    // How long after the close the wait may still look.
    std::int64_t mostMs;
};

TEST(PortClosedDuringAWait, endsTheWaitAtItsNextLook)
{
    const WaitCase cases[] = {
        {"attention (3 s time-out)",
         [](LinkRig& rig) {
             rig.openPort();
             EXPECT_FALSE(rig.run(rig.exchange.attention()));
         },
         ExchangeWaits::kPollSliceMs},
        {"acknowledgement (2 s, started at 1.5 s)",
         [](LinkRig& rig) {
             rig.openPort();
             rig.events.runFor(1500);
             EXPECT_FALSE(rig.run(rig.exchange.acknowledgement()));
         },
         ExchangeWaits::kPollSliceMs},
        {"ZigBee dongle's reply (7 s)",
         [](LinkRig& rig) {
             EXPECT_EQ(rig.run(rig.discovery.findNode(2, rig.List1)), ZigbeeDiscovery::Outcome::NoAnswerToCommandMode);
         },
         ExchangeWaits::kPollSliceMs},
        {"start's wait for the first data (3 s, looks every 50 ms)",
         [](LinkRig& rig) {
             rig.monitorAnswers(peer_script::acknowledgeAllBut({}));
             rig.run(rig.control.start());
             EXPECT_EQ(rig.port.writes.back(), "PLR");
             EXPECT_EQ(rig.mainRealTimeBox.textChanges, 0);
         },
         50},
    };
    const std::pair<const char*, std::function<void(LinkRig&)>> closers[] = {
        {"closed by the user", [](LinkRig& rig) { rig.ports.closeChosenByUser(); }},
        {"device lost", [](LinkRig& rig) { rig.port.loseDevice(); }},
    };
    for (const WaitCase& c : cases) {
        for (const auto& closer : closers) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << closer.first);
            LinkRig rig;
            rig.events.callAfter(kClosedAtMs, [&rig, &closer] {
                ASSERT_TRUE(rig.port.isOpen()) << "the wait was over before the port closed";
                closer.second(rig);
            });

            c.step(rig);

            EXPECT_GE(rig.clock.elapsedMs(), kClosedAtMs);
            EXPECT_LE(rig.clock.elapsedMs() - kClosedAtMs, c.mostMs);
        }
    }
}

} // namespace
