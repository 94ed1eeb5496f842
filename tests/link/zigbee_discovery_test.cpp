// ZigBee discovery against the emulated dongle on the fake port: the status lines of
// each outcome, the bytes on the wire, and the time-outs on the second of the minute.
#include "link_rig.h"

#include "simulator/monitor_emulator.h"
#include "simulator/zigbee_dongle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Outcome = ZigbeeDiscovery::Outcome;

const std::string kSending = "Sending +++ string";
const std::string kOkToEscape = "Recieved OK response from +++ command";
const std::string kNoAnswerToEscape = "No response from +++ command";
const std::string kRefusedE1 = "Received ERROR from Wireless Radio. Node E1 has not been detected.";
const std::string kRefusedE2 = "Received ERROR from Wireless Radio. Node E2 has not been detected.";

// The list as a person would have seen it: every line, and "|" for each clear.
class HistoryList : public StatusList {
public:
    void addLine(const std::string& line) override { history.push_back(line); }
    void clear() override { history.emplace_back("|"); }
    std::vector<std::string> history;
};

struct DiscoveryRig : LinkRig {
    MonitorEmulator monitorEmulator;
    ZigbeeDongle dongle;
    HistoryList list;

    explicit DiscoveryRig(DongleSettings dongleSettings, DateTime start = DateTime{2026, 12, 8, 10, 15, 30})
        : LinkRig(start), dongle(monitorEmulator, dongleSettings)
    {
        port.peer = [this](std::string_view bytes) { return dongle.receive(bytes, clock.elapsedMs()); };
    }

    Outcome find(int version) { return run(discovery.findNode(version, list)); }
};

struct DiscoveryCase {
    const char* name;
    DongleSettings dongle;
    int version;
    std::vector<std::string> history;
    Outcome outcome;
};

void PrintTo(const DiscoveryCase& c, std::ostream* out)
{
    *out << c.name;
}

class FindNodeOutcomes : public testing::TestWithParam<DiscoveryCase> {};

TEST_P(FindNodeOutcomes, showEachStepAndLeaveThePortOpenAndThePointerDefault)
{
    const DiscoveryCase& c = GetParam();
    DiscoveryRig rig(c.dongle);

    EXPECT_EQ(rig.find(c.version), c.outcome);
    EXPECT_EQ(rig.list.history, c.history);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.dialogs.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.dongle.linked(), c.outcome == Outcome::Discovered);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dongles, FindNodeOutcomes,
    testing::Values(
        DiscoveryCase{"nodeE2Found", {.node = 2}, 2,
                      {"|", kSending, "|", kOkToEscape, "|", "Node E2 has been discovered successfully."},
                      Outcome::Discovered},
        DiscoveryCase{"nodeE1Found", {.node = 1}, 1,
                      {"|", kSending, "|", kOkToEscape, "|", "Node E1 has been discovered successfully."},
                      Outcome::Discovered},
        DiscoveryCase{"wrongNodeRefused", {.node = 2}, 1, {"|", kSending, "|", kOkToEscape, "|", kRefusedE1},
                      Outcome::Refused},
        DiscoveryCase{"silentDongle", {.node = 2, .fault = DongleFault::Silent}, 2, {"|", kSending, kNoAnswerToEscape},
                      Outcome::NoAnswerToCommandMode},
        DiscoveryCase{"errorToEscape", {.node = 2, .fault = DongleFault::AlwaysError}, 2, {"|", kSending, "|", kRefusedE2},
                      Outcome::Refused},
        // "O", blank, "K" is no "OK": only two adjacent characters count.
        DiscoveryCase{"splitOk", {.node = 2, .fault = DongleFault::SplitOk}, 2, {"|", kSending, kNoAnswerToEscape},
                      Outcome::NoAnswerToCommandMode}),
    [](const testing::TestParamInfo<DiscoveryCase>& info) { return std::string(info.param.name); });

TEST(ZigbeeDiscovery, writesTheEscapeAloneAfterTheOpensPauseThenTheDiscoverCommandWithCarriageReturn)
{
    DiscoveryRig rig({.node = 2});

    rig.find(2);
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{"+++", "ATDNE2\r"}));
    EXPECT_EQ(rig.port.writeTimesMs.front(), 500);
}

// A dongle that answers at once is done with at once: nothing waits for a time-out.
TEST(ZigbeeDiscovery, promptDongle_takesNoTimeBeyondTheOpensPause)
{
    DiscoveryRig rig({.node = 2});

    EXPECT_EQ(rig.find(2), Outcome::Discovered);
    EXPECT_EQ(rig.clock.elapsedMs(), 500);
}

TEST(ZigbeeDiscovery, silentDongle_givesUpSixToSevenSecondsAfterTheEscape)
{
    for (const int offsetMs : {0, 1, 400, 999}) {
        SCOPED_TRACE(offsetMs);
        DiscoveryRig rig({.node = 2, .fault = DongleFault::Silent});
        rig.clock.advanceMs(offsetMs);

        EXPECT_EQ(rig.find(2), Outcome::NoAnswerToCommandMode);
        const std::int64_t waited = rig.clock.elapsedMs() - rig.port.writtenAtMs("+++");
        EXPECT_GE(waited, 6000);
        EXPECT_LE(waited, 7000);
    }
}

TEST(ZigbeeDiscovery, timeOutStartedAtSecond55EndsAtSecond2OfTheNextMinute)
{
    DiscoveryRig rig({.node = 2, .fault = DongleFault::Silent}, DateTime{2026, 12, 8, 10, 15, 55});

    rig.find(2);
    EXPECT_EQ(rig.clock.now().second, 2);
    EXPECT_EQ(rig.clock.now().minute, 16);
}

TEST(ZigbeeDiscovery, answerToEscapeOnlyThenSilence_reportsNoAnswerToTheDiscoverCommandAfterItsOwnTimeOut)
{
    DiscoveryRig rig({.node = 2});
    rig.port.peer = [](std::string_view bytes) { return bytes == "+++" ? std::string("OK\r") : std::string(); };

    EXPECT_EQ(rig.find(2), Outcome::NoAnswerToDiscover);
    EXPECT_EQ(rig.list.history, (std::vector<std::string>{"|", kSending, "|", kOkToEscape, "No response from ATDNE2 command"}));
    const std::int64_t waited = rig.clock.elapsedMs() - rig.port.writtenAtMs("ATDNE2\r");
    EXPECT_GE(waited, 6000);
    EXPECT_LE(waited, 7000);
}

TEST(ZigbeeDiscovery, theOOfTheFirstOkCarriesOverSoAnImmediateKCountsAsOk)
{
    DiscoveryRig rig({.node = 2});
    // The previous character still holds the "O" of the first "OK" when the discover
    // command is sent, so a bare "K" in answer completes an "OK".
    rig.port.peer = [](std::string_view bytes) { return bytes == "+++" ? std::string("OK") : std::string("K"); };

    EXPECT_EQ(rig.find(2), Outcome::Discovered);
}

// The deadline is set once for the whole reply: bytes that trickle in neither end the
// wait nor move its end.
TEST(ZigbeeDiscovery, replyTricklingIn_isReadAgainstOneDeadline)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::int64_t, std::string>> afterEscape;  // ms after "+++", bytes
        Outcome outcome;
    };
    const Case cases[] = {
        {"an OK that takes six seconds", {{3000, "xO"}, {6000, "K\r"}}, Outcome::Discovered},
        {"chatter every two seconds without an OK", {{2000, "x"}, {4000, "y"}, {6000, "z"}, {8000, "OK\r"}},
         Outcome::NoAnswerToCommandMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiscoveryRig rig({.node = 2});
        rig.port.peer = [&rig, &c](std::string_view bytes) {
            if (bytes != "+++")
                return std::string("OK\r");
            for (const auto& [afterMs, reply] : c.afterEscape)
                rig.port.feedAt(rig.clock.elapsedMs() + afterMs, reply);
            return std::string();
        };

        EXPECT_EQ(rig.find(2), c.outcome);
        EXPECT_LE(rig.clock.elapsedMs() - rig.port.writtenAtMs("+++"), 7000);
    }
}

TEST(ZigbeeDiscovery, portThatCannotOpen_showsNothingHereAndWritesNothing)
{
    DiscoveryRig rig({.node = 2});
    rig.port.openSucceeds = false;

    EXPECT_EQ(rig.find(2), Outcome::PortNotOpened);
    EXPECT_TRUE(rig.list.history.empty());
    EXPECT_EQ(rig.dialogs.questions,
              std::vector<std::string>{"Invalid COM port. Would you like to search for available ports?"});
    EXPECT_TRUE(rig.port.writes.empty());
    EXPECT_TRUE(rig.dialogs.pointerChanges.empty());
}

} // namespace
