// The emulated ZigBee dongle: its own mode until the monitor's node is discovered,
// the escape's quiet time, the replies of the faulty dongles and the pass-through.
#include "simulator/monitor_emulator.h"
#include "simulator/zigbee_dongle.h"

#include <gtest/gtest.h>

namespace {

const std::string kAttention = "\xFC";

struct DongleRig {
    MonitorEmulator monitor;
    ZigbeeDongle dongle;
    std::int64_t nowMs = 1000;

    explicit DongleRig(DongleSettings settings) : dongle(monitor, settings) {}

    std::string send(std::string_view bytes, std::int64_t afterMs = 10)
    {
        nowMs += afterMs;
        return dongle.receive(bytes, nowMs);
    }
};

TEST(ZigbeeDongle, beforeDiscovery_theMonitorCannotBeReachedEitherWay)
{
    DongleRig rig({.node = 2});
    rig.monitor.state().realTimeOn = true;
    EXPECT_EQ(rig.send(kAttention + "TOGPLR"), "");
    EXPECT_EQ(rig.dongle.tick(2), "");
}

TEST(ZigbeeDongle, discoveryOfItsNode_linksTheMonitorBothWays)
{
    DongleRig rig({.node = 2});
    EXPECT_EQ(rig.send("+++", 500), "OK\r");
    EXPECT_EQ(rig.send("ATDNE2\r"), "OK\r");
    EXPECT_TRUE(rig.dongle.linked());
    EXPECT_EQ(rig.send(kAttention), "\xFC");
    EXPECT_EQ(rig.send("TOG"), "\xFC");
    EXPECT_EQ(rig.send("PLR"), "\xFC");
    EXPECT_EQ(rig.dongle.tick(1).size(), 43u);
}

struct ReplyCase {
    const char* name;
    DongleSettings settings;
    std::string toEscape;
    std::string toDiscoverE1;
    bool linked;
};

class DongleReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(DongleReplies, escapeAndDiscoverE1)
{
    const ReplyCase& c = GetParam();
    DongleRig rig(c.settings);
    EXPECT_EQ(rig.send("+++", 500), c.toEscape);
    EXPECT_EQ(rig.send("ATDNE1\r"), c.toDiscoverE1);
    EXPECT_EQ(rig.dongle.linked(), c.linked);
}

void PrintTo(const ReplyCase& c, std::ostream* out)
{
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Dongles, DongleReplies,
    testing::Values(ReplyCase{"nodeE1", {.node = 1}, "OK\r", "OK\r", true},
                    ReplyCase{"otherNode", {.node = 2}, "OK\r", "ERROR\r", false},
                    ReplyCase{"silent", {.node = 1, .fault = DongleFault::Silent}, "", "", false},
                    ReplyCase{"alwaysError", {.node = 1, .fault = DongleFault::AlwaysError}, "ERROR\r", "ERROR\r", false},
                    ReplyCase{"splitOk", {.node = 1, .fault = DongleFault::SplitOk}, "O K\r", "O K\r", true}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

TEST(ZigbeeDongle, escapeWithoutQuietBefore_isNoEscape)
{
    DongleRig rig({.node = 2});
    rig.send("x", 500);
    EXPECT_EQ(rig.send("+++", 5), "");
    EXPECT_FALSE(rig.dongle.inCommandMode());
}

TEST(ZigbeeDongle, escapeOneCharacterPerWrite_stillEntersCommandMode)
{
    DongleRig rig({.node = 2});
    EXPECT_EQ(rig.send("+", 500), "");
    EXPECT_EQ(rig.send("+"), "");
    EXPECT_EQ(rig.send("+"), "OK\r");
    EXPECT_TRUE(rig.dongle.inCommandMode());
}

TEST(ZigbeeDongle, pluses_inTheLinkedStream_reachTheMonitorUnlessTheyAreAnEscape)
{
    DongleRig rig({.node = 2});
    rig.send("+++", 500);
    rig.send("ATDNE2\r");
    // "++" then a command: the held pluses go on to the monitor with it.
    EXPECT_EQ(rig.send("++" + kAttention, 500), "\xFC");
    EXPECT_FALSE(rig.dongle.inCommandMode());
}

TEST(ZigbeeDongle, retryInsideCommandMode_answersTheEscapeAgainAndThenTheDiscover)
{
    DongleRig rig({.node = 2});
    rig.send("+++", 500);
    EXPECT_EQ(rig.send("ATDNE1\r"), "ERROR\r");
    EXPECT_EQ(rig.send("+++", 500), "OK\r");
    EXPECT_EQ(rig.send("ATDNE2\r"), "OK\r");
    EXPECT_TRUE(rig.dongle.linked());
}

TEST(ZigbeeDongle, commandModeEndsAfterLongQuiet)
{
    DongleRig rig({.node = 2});
    rig.send("+++", 500);
    EXPECT_EQ(rig.send("ATDNE2\r", ZigbeeDongle::kCommandModeTimeoutMs), "");
    EXPECT_FALSE(rig.dongle.linked());
}

} // namespace
