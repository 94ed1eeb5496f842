// ZigBee discovery against the emulated dongle on the fake port: the status lines of
// each outcome, the time-outs on the second of the minute, the serial input held
// from the packet receiver, and the start of real time through a discovered node.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_list.h"
#include "scripted_dialogs.h"

#include "connection/zigbee_discovery.h"
#include "link/link_settings.h"
#include "monitor/monitor.h"
#include "simulator/monitor_emulator.h"
#include "simulator/zigbee_dongle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Outcome = ZigbeeDiscovery::Outcome;

const std::string kSending = "Sending +++ string";
const std::string kOkToEscape = "Recieved OK response from +++ command";
const std::string kNoAnswerToEscape = "No response from +++ command";

// The main list as a person would have seen it: every line, and "|" for each clear.
class HistoryList : public StatusList {
public:
    void addLine(const std::string& line) override { history.push_back(line); }
    void clear() override { history.emplace_back("|"); }
    std::vector<std::string> history;
};

struct DiscoveryRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    ScriptedDialogs dialogs;
    LinkSettings settings{.CommMethod = comm_method::ZigbeeVersion2};
    MonitorEmulator monitorEmulator;
    ZigbeeDongle dongle;
    MonitorPlatform platform{.port = port, .clock = clock, .events = events, .dialogs = dialogs};
    Monitor monitor{platform, settings};
    ZigbeeDiscovery discovery{platform, monitor};
    HistoryList mainList;

    explicit DiscoveryRig(DongleSettings dongleSettings, DateTime start = DateTime{2026, 12, 8, 10, 15, 30})
        : clock(start), dongle(monitorEmulator, dongleSettings)
    {
        port.peer = [this](std::string_view bytes) { return dongle.receive(bytes, clock.elapsedMs()); };
        monitor.statusList().mirrorTo(mainList, &monitor);
        QObject::connect(&monitor, &Monitor::zigbeeNodeSearchWanted, &discovery, &ZigbeeDiscovery::FindZigbeeNode);
    }
};

struct DiscoveryCase {
    const char* name;
    DongleSettings dongle;
    int Zversion;
    std::vector<std::string> history;
    bool found;
};

void PrintTo(const DiscoveryCase& c, std::ostream* out)
{
    *out << c.name;
}

class FindZigbeeNodeOutcomes : public testing::TestWithParam<DiscoveryCase> {};

TEST_P(FindZigbeeNodeOutcomes, showsEachStepAndLeavesThePortOpenAndTheInputFree)
{
    const DiscoveryCase& c = GetParam();
    DiscoveryRig rig(c.dongle);
    rig.discovery.FindZigbeeNode(c.Zversion);

    // The open's own line comes first; the discovery's lines follow its first clear.
    const auto& h = rig.mainList.history;
    const auto first = std::find(h.begin(), h.end(), "|");
    ASSERT_NE(first, h.end());
    EXPECT_EQ(std::vector<std::string>(first, h.end()), c.history);
    EXPECT_EQ(rig.monitor.state().ZigbeeFound, c.found);
    EXPECT_FALSE(rig.monitor.state().CmdInProgress);
    EXPECT_TRUE(rig.port.isOpen());
    ASSERT_FALSE(rig.dialogs.pointerChanges.empty());
    EXPECT_FALSE(rig.dialogs.pointerChanges.back());
    EXPECT_EQ(rig.dongle.linked(), c.found);
}

const std::string kRefusedE1 = "Received ERROR from Wireless Radio. Node E1 has not been detected.";
const std::string kRefusedE2 = "Received ERROR from Wireless Radio. Node E2 has not been detected.";

INSTANTIATE_TEST_SUITE_P(
    Dongles, FindZigbeeNodeOutcomes,
    testing::Values(
        DiscoveryCase{"nodeE2Found", {.node = 2}, 2,
                      {"|", kSending, "|", kOkToEscape, "|", "Node E2 has been discovered successfully."}, true},
        DiscoveryCase{"nodeE1Found", {.node = 1}, 1,
                      {"|", kSending, "|", kOkToEscape, "|", "Node E1 has been discovered successfully."}, true},
        DiscoveryCase{"wrongNodeRefused", {.node = 2}, 1, {"|", kSending, "|", kOkToEscape, "|", kRefusedE1}, false},
        DiscoveryCase{"silentDongle", {.node = 2, .fault = DongleFault::Silent}, 2,
                      {"|", kSending, kNoAnswerToEscape}, false},
        DiscoveryCase{"errorToEscape", {.node = 2, .fault = DongleFault::AlwaysError}, 2,
                      {"|", kSending, "|", kRefusedE2}, false},
        // "O", blank, "K" is no "OK": only two adjacent characters count.
        DiscoveryCase{"splitOk", {.node = 2, .fault = DongleFault::SplitOk}, 2,
                      {"|", kSending, kNoAnswerToEscape}, false}),
    [](const testing::TestParamInfo<DiscoveryCase>& info) { return std::string(info.param.name); });

TEST(ZigbeeDiscovery, writesTheEscapeAloneThenTheDiscoverCommandWithCarriageReturn)
{
    DiscoveryRig rig({.node = 2});
    rig.discovery.FindZigbeeNode(2);
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{"+++", "ATDNE2\r"}));
}

TEST(ZigbeeDiscovery, silentDongle_givesUpAfterSixToSevenSeconds)
{
    DiscoveryRig rig({.node = 2, .fault = DongleFault::Silent});
    rig.discovery.FindZigbeeNode(2);
    // The open's settling pause is 500 ms; the wait itself lasts 6 to 7 seconds.
    const std::int64_t waited = rig.clock.elapsedMs() - 500;
    EXPECT_GE(waited, 6000);
    EXPECT_LE(waited, 7000);
}

TEST(ZigbeeDiscovery, timeOutStartedAtSecond55EndsAtSecond2OfTheNextMinute)
{
    DiscoveryRig rig({.node = 2, .fault = DongleFault::Silent}, DateTime{2026, 12, 8, 10, 15, 55});
    rig.discovery.FindZigbeeNode(2);
    EXPECT_EQ(rig.clock.now().second, 2);
    EXPECT_EQ(rig.clock.now().minute, 16);
}

TEST(ZigbeeDiscovery, answerToEscapeOnlyThenSilence_reportsNoAnswerToTheDiscoverCommand)
{
    DiscoveryRig rig({.node = 2});
    rig.port.peer = [](std::string_view bytes) { return bytes == "+++" ? std::string("OK\r") : std::string(); };
    HistoryList panel;
    EXPECT_EQ(rig.discovery.FindZigbeeMonitor(2, panel), Outcome::NoAnswerToDiscover);
    EXPECT_EQ(panel.history, (std::vector<std::string>{"|", kSending, "|", kOkToEscape, "No response from ATDNE2 command"}));
}

TEST(ZigbeeDiscovery, theOOfTheFirstOkCarriesOverSoAnImmediateKCountsAsOk)
{
    DiscoveryRig rig({.node = 2});
    // The previous character still holds the "O" of the first "OK" when the discover
    // command is sent, so a bare "K" in answer completes an "OK".
    rig.port.peer = [](std::string_view bytes) { return bytes == "+++" ? std::string("OK") : std::string("K"); };
    HistoryList panel;
    EXPECT_EQ(rig.discovery.FindZigbeeMonitor(2, panel), Outcome::Discovered);
}

TEST(ZigbeeDiscovery, panelSearch_doesNotSetZigbeeFound)
{
    DiscoveryRig rig({.node = 2});
    HistoryList panel;
    EXPECT_EQ(rig.discovery.FindZigbeeMonitor(2, panel), Outcome::Discovered);
    EXPECT_EQ(panel.history.back(), "Node E2 has been discovered successfully.");
    EXPECT_FALSE(rig.monitor.state().ZigbeeFound);
}

TEST(ZigbeeDiscovery, portThatCannotOpen_showsNothingHereAndLeavesTheInputAlone)
{
    DiscoveryRig rig({.node = 2});
    rig.port.openSucceeds = false;
    HistoryList panel;
    EXPECT_EQ(rig.discovery.FindZigbeeMonitor(2, panel), Outcome::PortNotOpened);
    EXPECT_TRUE(panel.history.empty());
    EXPECT_EQ(rig.dialogs.questions,
              std::vector<std::string>{"Invalid COM port. Would you like to search for available ports?"});
    EXPECT_TRUE(rig.port.writes.empty());
}

TEST(ZigbeeDiscovery, receiveEventsDuringTheExchange_leaveTheDonglesRepliesToIt)
{
    DiscoveryRig rig({.node = 2});
    std::vector<bool> heldAtEvents;
    rig.events.onEvents = [&] {
        if (rig.port.bytesWaiting() > 0) {
            heldAtEvents.push_back(rig.monitor.state().CmdInProgress);
            rig.port.notify();
        }
    };
    HistoryList panel;
    EXPECT_EQ(rig.discovery.FindZigbeeMonitor(2, panel), Outcome::Discovered);
    ASSERT_FALSE(heldAtEvents.empty());
    EXPECT_EQ(std::count(heldAtEvents.begin(), heldAtEvents.end(), false), 0);
}

TEST(ZigbeeDiscovery, startOfRealTimeThroughADongle_discoversTheNodeThenStartsTheMonitor)
{
    DiscoveryRig rig({.node = 2});
    rig.monitor.realTime().MnuStartRTL_Click();
    EXPECT_TRUE(rig.monitor.state().ZigbeeFound);
    EXPECT_TRUE(rig.monitorEmulator.realTimeOn());
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(ZigbeeDiscovery, startOfRealTimeWithTheWrongVersion_neverReachesTheMonitor)
{
    DiscoveryRig rig({.node = 1});
    rig.monitor.realTime().MnuStartRTL_Click();
    EXPECT_FALSE(rig.monitor.state().ZigbeeFound);
    EXPECT_FALSE(rig.monitorEmulator.realTimeOn());
    EXPECT_NE(std::find(rig.mainList.history.begin(), rig.mainList.history.end(), kRefusedE2),
              rig.mainList.history.end());
}

} // namespace
