// The monitor core against the emulated KVO-7730 (and a ZigBee dongle) on a fake port,
// on virtual time: decoded packets announced with their readings, the counters kept
// from run to run, the exchange queue (one job at a time, refusals, the end of the run),
// the packet receiver held while a job owns the port, the timers, a lost device, and the
// link's announcements passed on.
#include "monitor_on_fakes.h"

#include "link/link_settings.h"
#include "monitor/monitor.h"
#include "simulator/monitor_emulator.h"
#include "simulator/zigbee_dongle.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kAck(1, static_cast<char>(252));
const std::string kPortClosed = "COM Port is Closed";
const std::string kBusy = "The monitor is busy with the same command; the request was not carried out.";
const std::string kStartFailed =
    "An error occured while attempting to start Real-Time data. Please verify your COM port or connection";

// 230 V, 1500 W at power factor 0.5 on channel 1, 200 W flowing back on channel 2.
MonitorState streamingMonitor()
{
    MonitorState state;
    state.volts = 230.0;
    state.watts = {1500, -200};
    state.powerFactor = {0.5, 0.8};
    state.realTimeOn = true;
    return state;
}

struct MonitorRig : MonitorOnFakes {
    MonitorEmulator emulator;
    std::unique_ptr<ZigbeeDongle> dongle;

    // Copies of what readingsDecoded and powerFactorsDecoded carried, and the main list.
    std::vector<LiveReadings> decoded;
    std::vector<PowerFactorTexts> factorTexts;
    std::vector<std::string> lines;

    explicit MonitorRig(const MonitorState& state = streamingMonitor(), const ResponseMode& responses = {})
        : emulator(state, responses, StreamFaults{})
    {
        port.peer = [this](std::string_view bytes) {
            return dongle ? dongle->receive(bytes, clock.elapsedMs()) : emulator.receive(bytes);
        };
        QObject::connect(&monitor, &Monitor::readingsDecoded,
                         [this](const LiveReadings& readings) { decoded.push_back(readings); });
        QObject::connect(&monitor, &Monitor::powerFactorsDecoded,
                         [this](const PowerFactorTexts& texts) { factorTexts.push_back(texts); });
        QObject::connect(&monitor.statusList(), &ObservableStatusList::lineAdded,
                         [this](const std::string& line) { lines.push_back(line); });
    }

    // The monitor is reached through a ZigBee dongle that knows node E`node`.
    void dongleInFront(int node) { dongle = std::make_unique<ZigbeeDongle>(emulator, DongleSettings{.node = node}); }

    // Lets virtual time pass until no job runs or waits; false if one still does after a minute.
    bool jobsDone() { return events.runUntil([this] { return !monitor.busy(); }, 60'000); }

    void openPort()
    {
        monitor.openPort();
        jobsDone();
    }

    // Seconds pass; the monitor's packets for them arrive together.
    void secondsPass(int seconds)
    {
        events.runFor(1000 * seconds);
        port.feed(dongle ? dongle->tick(seconds) : emulator.tick(seconds));
        port.notify();
    }

    // The monitor's timers tick on Qt's clock, not the virtual one: a tick by hand.
    QTimer* timer(const char* name) { return monitor.findChild<QTimer*>(name); }
    void tick(const char* name) { QMetaObject::invokeMethod(timer(name), "timeout"); }

    int written(std::string_view needle) const
    {
        int found = 0;
        for (auto at = port.written.find(needle); at != std::string::npos; at = port.written.find(needle, at + 1))
            ++found;
        return found;
    }
    long linesSaying(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }
};

// ---- Packets and counters -------------------------------------------------------------

TEST(Monitor, decodedPacket_isAnnouncedOnceWithItsReadings)
{
    MonitorRig rig;
    rig.openPort();

    rig.secondsPass(1);
    ASSERT_EQ(rig.decoded.size(), 1u);
    rig.secondsPass(1);

    ASSERT_EQ(rig.decoded.size(), 2u);
    ASSERT_EQ(rig.factorTexts.size(), 2u);
    const LiveReadings& r = rig.decoded.back();
    EXPECT_DOUBLE_EQ(r.Volts, 230.0);
    EXPECT_DOUBLE_EQ(r.Watts1, 1500);
    EXPECT_DOUBLE_EQ(r.Watts2, 200);  // the absolute counter counts either direction
    EXPECT_FLOAT_EQ(r.Amps1, 1500.0f / 0.5f / 230.0f);
    EXPECT_EQ(r.SecondsCounter, 2);
    EXPECT_DOUBLE_EQ(r.TotalWs1, 3000);
    EXPECT_DOUBLE_EQ(r.TotalPolWs2, 400);  // channel 2 generates
    EXPECT_EQ(rig.factorTexts.back().Text3, "0.5");
    EXPECT_EQ(rig.factorTexts.back().Text5, "32768");
    // What was announced is what the monitor holds.
    EXPECT_EQ(rig.monitor.readings().SecondsCounter, r.SecondsCounter);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().TotalWs1, r.TotalWs1);
}

TEST(Monitor, packetsNeverDecoded_betweenTheFirstAndTheLast_areCountedAsMissing)
{
    MonitorRig rig;
    rig.openPort();
    rig.secondsPass(1);  // the first: its step from an earlier run does not count
    rig.secondsPass(1);
    rig.emulator.tick(3);  // three packets lost on the line
    rig.secondsPass(2);

    EXPECT_EQ(rig.monitor.packetsDecoded(), 4);
    EXPECT_EQ(rig.monitor.packetsMissed(), 3);
}

TEST(Monitor, restoredCounters_roundTripAndCarryIntoTheNextPacketsTotals)
{
    MonitorState state = streamingMonitor();
    state.secondsCounter = 100;
    state.absWs = {5000, 6000};
    state.polWs = {4000, 700};
    state.resetCount = 3;
    MonitorRig rig(state);
    // As the settings kept them from the last run; every field different.
    const StoredCounters kept{.PreResetVal1 = 1e6,
                              .PreResetVal2 = 2e6,
                              .PreResetValP1 = 3e6,
                              .PreResetValP2 = 4e6,
                              .PrevAbsWs1 = 5000,
                              .PrevAbsWs2 = 6000,
                              .KVOresetCount = 3,
                              .SecondsCounter = 100};

    rig.monitor.restoreCounters(kept);
    ASSERT_EQ(rig.monitor.counters(), kept);

    rig.openPort();
    rig.secondsPass(1);

    ASSERT_EQ(rig.decoded.size(), 1u);
    const LiveReadings& r = rig.decoded.back();
    EXPECT_DOUBLE_EQ(r.TotalWs1, 6500 + 1e6);
    EXPECT_DOUBLE_EQ(r.TotalWs2, 6200 + 2e6);
    EXPECT_DOUBLE_EQ(r.TotalPolWs1, 4000 + 3e6);
    EXPECT_DOUBLE_EQ(r.TotalPolWs2, 900 + 4e6);
    // Measured from the kept counters: one second since 100, 1500 Ws more.
    EXPECT_EQ(r.DeltaSeconds, 1);
    EXPECT_DOUBLE_EQ(r.Watts1, 1500);
    EXPECT_DOUBLE_EQ(r.Watts2, 200);

    StoredCounters next = kept;
    next.PrevAbsWs1 = 6500;
    next.PrevAbsWs2 = 6200;
    next.SecondsCounter = 101;
    // The first packet of the run sets where the energy bought and sold counts from.
    next.Energy1.last = ChannelCounters{6500, 4000};
    next.Energy2.last = ChannelCounters{6200, 900};
    EXPECT_EQ(rig.monitor.counters(), next);
}

// ---- The exchange queue ---------------------------------------------------------------

TEST(MonitorQueue, jobsRunOneAtATimeInOrder_aToggleQueuedDuringAStartWritesOnlyAfterIt)
{
    MonitorRig rig(MonitorState{});
    rig.monitor.startRealTime();
    rig.events.runFor(2000);  // the start is waiting for the first data
    ASSERT_EQ(rig.port.writes.back(), "PLR");

    rig.monitor.togglePolarity(1);
    rig.monitor.togglePolarity(2);
    rig.events.runFor(1000);
    EXPECT_EQ(rig.port.writes.back(), "PLR") << "nothing of the toggles before the start has ended";

    ASSERT_TRUE(rig.jobsDone());
    EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "TOG", "PLR", kAck, "SET", "NG1", kAck, "SET", "NG2"}));
    // The start's wait for data ends at 4 s; the toggles follow one after the other.
    const std::vector<std::int64_t> toggleTimes(rig.port.writeTimesMs.begin() + 3, rig.port.writeTimesMs.end());
    EXPECT_EQ(toggleTimes, (std::vector<std::int64_t>{4000, 4020, 4040, 4060, 4080, 4100}));
    EXPECT_TRUE(rig.emulator.state().polarityReversed[0]);
    EXPECT_TRUE(rig.emulator.state().polarityReversed[1]);
}

TEST(MonitorQueue, aSecondStartOrStopWhileOneRunsOrWaits_isRefusedWithAStatusLine)
{
    struct Case {
        const char* name;
        std::function<void(MonitorRig&)> before;
        std::function<void(MonitorRig&)> again;
        const char* wordSentOnce;
    };
    const Case cases[] = {
        {"start while a start runs", [](MonitorRig& rig) { rig.monitor.startRealTime(); },
         [](MonitorRig& rig) { rig.monitor.startRealTime(); }, "PLR"},
        {"start while a start waits behind a toggle",
         [](MonitorRig& rig) {
             rig.openPort();
             rig.monitor.togglePolarity(1);
             rig.monitor.startRealTime();
         },
         [](MonitorRig& rig) { rig.monitor.startRealTime(); }, "PLR"},
        {"automatic start while a start runs",
         [](MonitorRig& rig) {
             rig.openPort();
             rig.monitor.startRealTime();
             rig.monitor.armAutomaticStart();
         },
         [](MonitorRig& rig) { rig.tick("Timer3"); }, "PLR"},
        {"stop while a stop runs", [](MonitorRig& rig) { rig.monitor.stopRealTime(); },
         [](MonitorRig& rig) { rig.monitor.stopRealTime(); }, "OFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorRig rig(MonitorState{});
        c.before(rig);
        rig.events.runFor(10);

        c.again(rig);
        EXPECT_EQ(rig.linesSaying(kBusy), 1);

        ASSERT_TRUE(rig.jobsDone());
        EXPECT_EQ(rig.written(c.wordSentOnce), 1);
    }
}

TEST(MonitorQueue, stopAskedDuringAStart_waitsItsTurnAndThenSwitchesTheMonitorOff)
{
    MonitorRig rig(MonitorState{});
    rig.monitor.startRealTime();
    rig.events.runFor(2000);

    rig.monitor.stopRealTime();
    ASSERT_TRUE(rig.jobsDone());

    EXPECT_EQ(rig.linesSaying(kBusy), 0);
    EXPECT_EQ(rig.port.written, kAck + "TOGPLR" + kAck + "TOGOFF");
    EXPECT_GE(rig.port.writtenAtMs("T"), 4000);
    EXPECT_FALSE(rig.emulator.realTimeOn());
}

// Once the monitor has answered, nothing waits on: a stop answered at once takes only
// its two 140 ms pauses and the 40 ms between its commands.
TEST(MonitorQueue, promptMonitor_aStopTakesOnlyItsOwnPauses)
{
    MonitorRig rig;
    rig.openPort();
    const std::int64_t startedAt = rig.clock.elapsedMs();

    rig.monitor.stopRealTime();
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_EQ(rig.clock.elapsedMs() - startedAt, 320);
    EXPECT_EQ(rig.lines.back(), "Real Time has been disabled successfully.");
}

// The end of the run: the job under way ends at its wait, the waiting ones are dropped,
// and nothing reaches the port or the screen afterwards.
TEST(MonitorQueue, endDuringAJob_endsItAtItsWaitWithNothingWrittenOrShownAfterwards)
{
    struct Case {
        const char* name;
        std::function<void(MonitorRig&)> arrange;
        std::function<void(MonitorRig&)> job;
        std::int64_t endAtMs;
    };
    const Case cases[] = {
        {"start, in its pause after the open", [](MonitorRig&) {}, [](MonitorRig& rig) { rig.monitor.startRealTime(); },
         700},
        {"start, waiting for a silent monitor's acknowledgement",
         [](MonitorRig& rig) { rig.emulator = MonitorEmulator(MonitorState{}, ResponseMode{.silent = true}, {}); },
         [](MonitorRig& rig) { rig.monitor.startRealTime(); }, 2000},
        {"start, waiting for the first data", [](MonitorRig&) {}, [](MonitorRig& rig) { rig.monitor.startRealTime(); },
         2500},
        // The open ends at 0.5 s; TOG's acknowledgement and its 140 ms pause take the stop to 0.64 s.
        {"stop, in its 40 ms pause", [](MonitorRig& rig) { rig.openPort(); },
         [](MonitorRig& rig) { rig.monitor.stopRealTime(); }, 660},
        {"stop, waiting for a silent monitor's attention answer",
         [](MonitorRig& rig) {
             rig.openPort();
             rig.emulator = MonitorEmulator(MonitorState{}, ResponseMode{.silent = true}, {});
         },
         [](MonitorRig& rig) { rig.monitor.stopRealTime(); }, 1500},
        {"ZigBee discovery, waiting for a silent dongle",
         [](MonitorRig& rig) {
             rig.dongle = std::make_unique<ZigbeeDongle>(rig.emulator,
                                                         DongleSettings{.node = 2, .fault = DongleFault::Silent});
         },
         [](MonitorRig& rig) { rig.monitor.findZigbeeNode(2); }, 3000},
        {"start through a silent dongle, in its discovery",
         [](MonitorRig& rig) {
             rig.settings.CommMethod = comm_method::ZigbeeVersion2;
             rig.dongle = std::make_unique<ZigbeeDongle>(rig.emulator,
                                                         DongleSettings{.node = 2, .fault = DongleFault::Silent});
         },
         [](MonitorRig& rig) { rig.monitor.startRealTime(); }, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorRig rig(MonitorState{});
        c.arrange(rig);
        c.job(rig);
        rig.monitor.togglePolarity(1);  // waits its turn, and is dropped
        rig.events.runFor(c.endAtMs - rig.clock.elapsedMs());
        ASSERT_TRUE(rig.monitor.busy());
        const std::vector<std::string> writesAtEnd = rig.port.writes;
        const std::size_t linesAtEnd = rig.lines.size();

        rig.monitor.end();
        EXPECT_FALSE(rig.monitor.busy()) << "the job ends at once, not at its next call back";
        rig.events.runFor(60'000);

        EXPECT_EQ(rig.port.writes, writesAtEnd);
        EXPECT_EQ(rig.lines.size(), linesAtEnd);
        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_TRUE(rig.dialogs.questions.empty());
        EXPECT_FALSE(rig.monitor.busy());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_EQ(rig.events.pending(), 0u) << "no wait is left behind";
    }
}

// A start on a port that cannot open: its question (search for ports?) waits for a Yes.
void startWithAnOpenQuestion(MonitorRig& rig)
{
    rig.port.openSucceeds = false;
    rig.dialogs.holdAnswers = true;
    rig.dialogs.answers = {true};
    rig.monitor.startRealTime();
}

TEST(MonitorQueue, questionStillOpenWhenTheJobIsCancelled_answeredLaterDoesNothing)
{
    MonitorRig rig;
    QSignalSpy searchWanted(&rig.monitor, &Monitor::portSearchWanted);
    startWithAnOpenQuestion(rig);
    rig.events.runFor(100);
    ASSERT_EQ(rig.dialogs.open.size(), 1u) << "the start asks whether to search for ports";

    rig.monitor.end();
    EXPECT_FALSE(rig.monitor.busy()) << "the job does not wait for the answer to end";
    rig.dialogs.answerOldest();
    rig.events.runFor(60'000);

    EXPECT_EQ(searchWanted.count(), 0);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << "no start-failure box after the end";
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_FALSE(rig.monitor.busy());
}

TEST(MonitorQueue, questionAnsweredLater_letsTheJobGoOnFromWhereItWaited)
{
    MonitorRig rig;
    QSignalSpy searchWanted(&rig.monitor, &Monitor::portSearchWanted);
    startWithAnOpenQuestion(rig);
    rig.events.runFor(30'000);
    ASSERT_TRUE(rig.monitor.busy());

    rig.dialogs.answerOldest();
    ASSERT_TRUE(rig.jobsDone());

    EXPECT_EQ(searchWanted.count(), 1);
    EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{kStartFailed});
}

// ---- The packet receiver and the jobs -------------------------------------------------

TEST(MonitorReceiver, heldDuringAJob_leavesEveryByteForItAndTakesTheWaitingPacketsWhenItEnds)
{
    MonitorRig rig(MonitorState{});
    rig.openPort();
    MonitorEmulator streaming(streamingMonitor(), {}, {});
    const std::int64_t start = rig.clock.elapsedMs();
    // Two packets arrive while the toggle pauses between its writes (20 ms each).
    rig.port.feedAt(start + 5, streaming.tick(1));
    rig.port.feedAt(start + 25, streaming.tick(1));

    rig.monitor.togglePolarity(1);
    rig.events.runFor(59);
    ASSERT_TRUE(rig.monitor.busy());
    EXPECT_TRUE(rig.decoded.empty());
    EXPECT_GE(rig.port.unread(), 2 * 43u) << "the packets, behind the monitor's answers";

    rig.events.runFor(1);
    EXPECT_FALSE(rig.monitor.busy());
    EXPECT_EQ(rig.decoded.size(), 2u) << "taken as the job ends, without a new notification";
    EXPECT_EQ(rig.port.unread(), 0u);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(MonitorReceiver, afterASuccessfulStop_staysAwayUntilTheNextJob)
{
    MonitorRig rig;
    rig.openPort();
    rig.secondsPass(1);
    ASSERT_EQ(rig.decoded.size(), 1u);
    rig.monitor.stopRealTime();
    ASSERT_TRUE(rig.jobsDone());

    // Packets still on their way after the stop stay in the port.
    MonitorEmulator late(streamingMonitor(), {}, {});
    late.advance(5);
    rig.port.feed(late.tick(1));
    rig.port.notify();
    EXPECT_EQ(rig.decoded.size(), 1u);
    EXPECT_EQ(rig.port.unread(), 43u);

    // The next job (a search for the node) hands the port back when it ends.
    rig.monitor.findZigbeeNode(1);
    ASSERT_TRUE(rig.jobsDone());
    rig.port.feed(late.tick(1));
    rig.port.notify();
    EXPECT_EQ(rig.decoded.size(), 2u);
}

TEST(MonitorReceiver, startedRealTime_packetsHeldDuringTheWaitForDataAreDecodedAsTheStartEnds)
{
    MonitorRig rig(MonitorState{});
    // The packets come every second, notified, from the start of the run.
    std::function<void()> stream = [&] {
        rig.port.arrive(rig.emulator.tick(1));
        rig.events.callAfter(1000, stream);
    };
    rig.events.callAfter(500, stream);

    rig.monitor.startRealTime();
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_EQ(rig.monitor.realTimeBox().text(), "Real-Time Data Active");
    EXPECT_EQ(rig.decoded.size(), 2u) << "the packets of 2.5 s and 3.5 s";

    rig.events.runFor(3000);
    EXPECT_EQ(rig.decoded.size(), 5u);
    EXPECT_EQ(rig.decoded.back().SecondsCounter, static_cast<std::int32_t>(rig.emulator.state().secondsCounter));
}

// ---- Jobs asked for by windows and the network ----------------------------------------

// Where the toggle's failure is shown: nobody may be at the screen when the network asks.
TEST(MonitorJobs, polarityToggleFailure_goesToABoxOrFromTheNetworkToTheStatusList)
{
    const std::string failure = "Open COM port and establish communication with monitor befor using this command.";
    for (const bool portOpen : {false, true}) {
        for (const bool fromNetwork : {false, true}) {
            SCOPED_TRACE(testing::Message() << (portOpen ? "port open" : "port closed")
                                            << (fromNetwork ? ", from the network" : ", from a window"));
            MonitorRig rig(MonitorState{});
            if (portOpen)
                rig.openPort();

            int answered = 0;
            if (fromNetwork)
                rig.monitor.togglePolarityFromNetwork(1, [&answered] { ++answered; });
            else
                rig.monitor.togglePolarity(1);
            ASSERT_TRUE(rig.jobsDone());
            EXPECT_EQ(answered, fromNetwork ? 1 : 0) << "the network's request is answered once it is carried out";

            const bool boxed = !portOpen && !fromNetwork;
            const bool listed = !portOpen && fromNetwork;
            EXPECT_EQ(rig.dialogs.messages, boxed ? std::vector<std::string>{failure} : std::vector<std::string>{});
            EXPECT_EQ(rig.lines, listed ? std::vector<std::string>{failure} : std::vector<std::string>{});
            EXPECT_EQ(rig.emulator.state().polarityReversed[0], portOpen);
        }
    }
}

TEST(MonitorJobs, openPort_reportsTheOutcome_andAFailureEscapingTheOpenInItsBox)
{
    {
        SCOPED_TRACE("opened");
        MonitorRig rig;
        QObject observer;
        std::vector<bool> outcomes;
        rig.monitor.openPort(&observer, [&](bool opened) { outcomes.push_back(opened); });
        ASSERT_TRUE(rig.jobsDone());
        EXPECT_EQ(outcomes, std::vector<bool>{true});
        EXPECT_TRUE(rig.monitor.portOpen());
    }
    {
        SCOPED_TRACE("the system's call fails outright");
        MonitorRig rig;
        rig.port.portExists = [](int) -> bool { throw std::runtime_error("driver failure"); };
        rig.monitor.openPort();
        ASSERT_TRUE(rig.jobsDone());
        EXPECT_EQ(rig.dialogs.messages,
                  std::vector<std::string>{"Could not open the port. Click \"COM Port Setup\" and check settings."});
    }
}

TEST(MonitorJobs, findPorts_reportsToTheObserverOnlyWhileItLives)
{
    for (const bool observerStays : {true, false}) {
        SCOPED_TRACE(observerStays);
        MonitorRig rig;
        rig.port.portExists = [](int n) { return n == 3 || n == 7; };
        auto observer = std::make_unique<QObject>();
        std::optional<std::vector<int>> found;
        rig.monitor.findPorts(observer.get(), [&](const PortSearchResult& result) { found = result.ports; });
        // Half-way through the search (its probes take no virtual time).
        rig.events.runUntil([&rig] { return rig.port.opens.size() >= 32; });
        ASSERT_TRUE(rig.monitor.busy());
        if (!observerStays)
            observer.reset();

        ASSERT_TRUE(rig.jobsDone());
        EXPECT_EQ(found, observerStays ? std::optional(std::vector<int>{3, 7}) : std::nullopt);
        EXPECT_FALSE(rig.port.isOpen());
    }
}

// ---- ZigBee through the monitor ---------------------------------------------------------

TEST(MonitorZigbee, searchAskedForByHand_showsItsProgressApartAndDoesNotCountAsFound)
{
    MonitorRig rig(MonitorState{});
    rig.dongleInFront(2);
    std::vector<std::string> discoveryLines;
    QObject::connect(&rig.monitor.discoveryList(), &ObservableStatusList::lineAdded,
                     [&](const std::string& line) { discoveryLines.push_back(line); });

    rig.monitor.findZigbeeNode(2);
    ASSERT_TRUE(rig.jobsDone());

    ASSERT_FALSE(discoveryLines.empty());
    EXPECT_EQ(discoveryLines.back(), "Node E2 has been discovered successfully.");
    EXPECT_TRUE(rig.dongle->linked());
    EXPECT_FALSE(rig.monitor.state().ZigbeeFound) << "the next start runs its own search";
    EXPECT_TRUE(rig.lines.empty());
}

TEST(MonitorZigbee, startThroughTheDongle_searchesTheMethodsNodeFirst)
{
    struct Case {
        int node;
        bool found;
    };
    for (const Case& c : {Case{2, true}, Case{1, false}}) {
        SCOPED_TRACE(c.node);
        MonitorRig rig(MonitorState{});
        rig.settings.CommMethod = comm_method::ZigbeeVersion2;
        rig.dongleInFront(c.node);

        rig.monitor.startRealTime();
        ASSERT_TRUE(rig.jobsDone());

        EXPECT_EQ(rig.monitor.state().ZigbeeFound, c.found);
        EXPECT_EQ(rig.emulator.realTimeOn(), c.found) << "the dongle lets the monitor be reached only once linked";
        if (c.found) {
            EXPECT_TRUE(rig.dialogs.messages.empty());
        } else {
            EXPECT_EQ(rig.linesSaying("Received ERROR from Wireless Radio. Node E2 has not been detected."), 1);
            EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{kStartFailed});
        }
    }
}

TEST(MonitorZigbee, connectionMethodChanged_forgetsTheNodeFound)
{
    MonitorRig rig(MonitorState{});
    rig.settings.CommMethod = comm_method::ZigbeeVersion2;
    rig.dongleInFront(2);
    rig.monitor.startRealTime();
    ASSERT_TRUE(rig.jobsDone());
    ASSERT_TRUE(rig.monitor.state().ZigbeeFound);

    rig.monitor.connectionMethodChanged();
    EXPECT_FALSE(rig.monitor.state().ZigbeeFound);
}

// ---- Timers and the lost port -----------------------------------------------------------

TEST(MonitorTimers, beginArmAndEnd_runTheWatchdogAndTheAutomaticStartUntilTheEnd)
{
    MonitorRig rig;
    QTimer* watchdog = rig.timer("Timer2");
    QTimer* automaticStart = rig.timer("Timer3");
    ASSERT_NE(watchdog, nullptr);
    ASSERT_NE(automaticStart, nullptr);
    EXPECT_EQ(watchdog->interval(), 1000);
    EXPECT_EQ(automaticStart->interval(), 3000);
    rig.openPort();

    rig.monitor.begin();
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.monitor.portBox().text(), kPortClosed);
    EXPECT_EQ(rig.monitor.state().NoDataSeconds, 6);
    EXPECT_TRUE(watchdog->isActive());
    EXPECT_FALSE(automaticStart->isActive());

    // The automatic start keeps trying while the port is closed, and stops once it has tried.
    rig.monitor.armAutomaticStart();
    rig.tick("Timer3");
    EXPECT_TRUE(automaticStart->isActive());
    EXPECT_FALSE(rig.monitor.busy());
    rig.openPort();
    rig.tick("Timer3");
    EXPECT_FALSE(automaticStart->isActive());
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_EQ(rig.written("PLR"), 1);
    EXPECT_EQ(rig.lines.back(), "Real-Time was off. Now attempting to start real-time.");

    rig.monitor.armAutomaticStart();
    rig.monitor.end();
    EXPECT_FALSE(watchdog->isActive());
    EXPECT_FALSE(automaticStart->isActive());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.monitor.portBox().text(), kPortClosed);
}

TEST(MonitorTimers, watchdogTicks_announceEachRealTimeChange)
{
    MonitorRig rig;
    QSignalSpy changes(&rig.monitor, &Monitor::realTimeChanged);
    rig.monitor.begin();
    rig.openPort();
    struct Step {
        bool packetBefore;
        int changes;  // announced so far
        bool on;
    };
    const Step steps[] = {
        {false, 0, false},  // the start: six silent seconds, off without a word
        {true, 1, true},    // a packet: on
        {true, 1, true},
        {false, 1, true},   // the second tick since the last packet is tolerated
        {false, 2, false},  // the third: off
        {false, 2, false},
        {true, 3, true},    // on again
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        if (steps[i].packetBefore)
            rig.secondsPass(1);
        rig.tick("Timer2");
        ASSERT_EQ(changes.count(), steps[i].changes);
        EXPECT_EQ(rig.monitor.state().RealTimeOn, steps[i].on);
        if (steps[i].changes > 0) {
            EXPECT_EQ(changes.last().at(0).toBool(), steps[i].on);
        }
    }
    EXPECT_EQ(rig.monitor.realTimeBox().text(), "Real-Time Data Active");
}

TEST(MonitorPortLoss, lostDevice_isAnnouncedAndThePortShownClosed)
{
    MonitorRig rig;
    QSignalSpy lost(&rig.monitor, &Monitor::portLost);
    rig.openPort();
    ASSERT_EQ(rig.monitor.portBox().text(), "COM Port is Open");

    rig.port.loseDevice();

    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(rig.monitor.portBox().text(), kPortClosed);
    EXPECT_EQ(rig.monitor.portBox().look(), status_look::Stopped);
    EXPECT_EQ(rig.lines, std::vector<std::string>{"The COM port was lost: its device was removed or closed."});
}

TEST(MonitorPortLoss, lostDeviceClosedByTheUser_isNotReopened)
{
    MonitorRig rig;
    rig.monitor.begin();
    rig.openPort();
    rig.port.loseDevice();
    ASSERT_TRUE(rig.timer("ReconnectTimer")->isActive());

    rig.monitor.closePort();

    EXPECT_FALSE(rig.timer("ReconnectTimer")->isActive()) << "the user closed it: no more tries";
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(MonitorPortLoss, lostDevice_isReopenedEvery5sUntilBack_realTimeRestarts_andTheTotalsGoOn)
{
    MonitorRig rig;
    QTimer* reconnect = rig.timer("ReconnectTimer");
    ASSERT_NE(reconnect, nullptr);
    EXPECT_EQ(reconnect->interval(), Monitor::kReconnectMs);
    rig.monitor.begin();
    rig.openPort();
    rig.monitor.startRealTime();
    ASSERT_TRUE(rig.jobsDone());
    rig.secondsPass(2);
    rig.tick("Timer2");
    ASSERT_TRUE(rig.monitor.state().RealTimeOn);
    const double totalBeforeLoss = rig.monitor.readings().TotalWs1;
    ASSERT_GT(totalBeforeLoss, 0);
    EXPECT_FALSE(reconnect->isActive()) << "nothing to reconnect while the port is open";
    rig.lines.clear();

    rig.port.loseDevice();
    EXPECT_TRUE(reconnect->isActive());
    EXPECT_FALSE(rig.monitor.state().RealTimeOn) << "no data can come from a lost port";
    EXPECT_EQ(rig.monitor.realTimeBox().look(), status_look::Stopped);
    const std::size_t writesAtLoss = rig.port.writes.size();
    // The device is still away: the tries go on without a word or a question.
    rig.port.openSucceeds = false;
    rig.tick("ReconnectTimer");
    ASSERT_TRUE(rig.jobsDone());
    rig.tick("ReconnectTimer");
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_TRUE(reconnect->isActive());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.dialogs.questions.empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // Back: the port opens, real time is started again and the packets continue the totals.
    rig.port.openSucceeds = true;
    rig.tick("ReconnectTimer");
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_FALSE(reconnect->isActive());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.monitor.portBox().text(), "COM Port is Open");
    EXPECT_EQ(rig.lines, (std::vector<std::string>{"The COM port was lost: its device was removed or closed.",
                                                   "The COM port is back and open again.", "Real-Time is ON"}));
    EXPECT_EQ(rig.port.writes.back(), "PLR");
    EXPECT_GT(rig.port.writes.size(), writesAtLoss);
    rig.secondsPass(10);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().TotalWs1, totalBeforeLoss + 1500 * 10);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().Watts1, 1500);

    // Lost again when real time was off: the port comes back, real time is left off.
    rig.monitor.stopRealTime();
    ASSERT_TRUE(rig.jobsDone());
    for (int second = 0; second < 3; ++second)
        rig.tick("Timer2");
    ASSERT_FALSE(rig.monitor.state().RealTimeOn);
    rig.port.loseDevice();
    const std::size_t writesAtSecondLoss = rig.port.writes.size();
    rig.tick("ReconnectTimer");
    ASSERT_TRUE(rig.jobsDone());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.writes.size(), writesAtSecondLoss);
}

// ---- Announcements --------------------------------------------------------------------

// Each announcement of the link reaches the monitor's own signal.
TEST(Monitor, linkAnnouncements_arePassedOn)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QSignalSpy>(Monitor&)> spy;
        std::function<void(MonitorRig&)> cause;
    };
    const Case cases[] = {
        {"portOpened", [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::portOpened); },
         [](MonitorRig& rig) { rig.openPort(); }},
        {"portClosed", [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::portClosed); },
         [](MonitorRig& rig) {
             rig.openPort();
             rig.monitor.closePort();
         }},
        {"portSearchWanted", [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::portSearchWanted); },
         [](MonitorRig& rig) {
             rig.port.openSucceeds = false;
             rig.dialogs.answers = {true};
             rig.openPort();
         }},
        {"comPanelWanted", [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::comPanelWanted); },
         [](MonitorRig& rig) {
             rig.settings.CommMethod = comm_method::None;
             rig.monitor.startRealTime();
             rig.jobsDone();
         }},
        {"tcpServerStartWanted",
         [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::tcpServerStartWanted); },
         [](MonitorRig& rig) {
             rig.settings.StartupListen = true;
             rig.monitor.startRealTime();
             rig.jobsDone();
         }},
        {"tcpServerStartIfClosedWanted",
         [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::tcpServerStartIfClosedWanted); },
         [](MonitorRig& rig) {
             rig.settings.StartupListen = true;
             rig.openPort();
             rig.secondsPass(1);
             rig.tick("Timer2");
         }},
        {"busyChanged", [](Monitor& m) { return std::make_unique<QSignalSpy>(&m, &Monitor::busyChanged); },
         [](MonitorRig& rig) { rig.openPort(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorRig rig;
        const auto spy = c.spy(rig.monitor);
        ASSERT_TRUE(spy->isValid());

        c.cause(rig);

        EXPECT_GE(spy->count(), 1);
    }
}

} // namespace
