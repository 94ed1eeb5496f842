// The monitor core against the emulated KVO-7730 on a fake port: decoded packets
// announced with their readings, the counters kept from run to run, the timers,
// a lost device, and the link's announcements passed on.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "scripted_dialogs.h"

#include "link/link_settings.h"
#include "monitor/monitor.h"
#include "simulator/monitor_emulator.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kPortClosed = "COM Port is Closed";

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

struct MonitorRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    ScriptedDialogs dialogs;
    LinkSettings settings{.CommMethod = comm_method::UsbCable};
    MonitorEmulator emulator;
    Monitor monitor{{.port = port, .clock = clock, .events = events, .dialogs = dialogs}, settings};

    // Copies of what readingsDecoded and powerFactorsDecoded carried.
    std::vector<LiveReadings> decoded;
    std::vector<PowerFactorTexts> factorTexts;

    explicit MonitorRig(const MonitorState& state = streamingMonitor())
        : emulator(state, ResponseMode{}, StreamFaults{})
    {
        port.peer = [this](std::string_view bytes) { return emulator.receive(bytes); };
        QObject::connect(&monitor, &Monitor::readingsDecoded,
                         [this](const LiveReadings& readings) { decoded.push_back(readings); });
        QObject::connect(&monitor, &Monitor::powerFactorsDecoded,
                         [this](const PowerFactorTexts& texts) { factorTexts.push_back(texts); });
    }

    // Seconds pass; the monitor's packets for them arrive together.
    void secondsPass(int seconds)
    {
        clock.advanceMs(1000 * seconds);
        port.feed(emulator.tick(seconds));
        port.notify();
    }

    QTimer* timer(const char* name) { return monitor.findChild<QTimer*>(name); }
    void tick(const char* name) { QMetaObject::invokeMethod(timer(name), "timeout"); }
};

TEST(Monitor, decodedPacket_isAnnouncedOnceWithItsReadings)
{
    MonitorRig rig;
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());

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
    EXPECT_DOUBLE_EQ(r.TotalPolWs2, 0);
    EXPECT_EQ(rig.factorTexts.back().Text3, "0.5");
    EXPECT_EQ(rig.factorTexts.back().Text5, "32768");
    // What was announced is what the monitor holds.
    EXPECT_EQ(rig.monitor.readings().SecondsCounter, r.SecondsCounter);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().TotalWs1, r.TotalWs1);
}

TEST(Monitor, packetsNeverDecoded_betweenTheFirstAndTheLast_areCountedAsMissing)
{
    MonitorRig rig;
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
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

    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
    rig.secondsPass(1);

    ASSERT_EQ(rig.decoded.size(), 1u);
    const LiveReadings& r = rig.decoded.back();
    EXPECT_DOUBLE_EQ(r.TotalWs1, 6500 + 1e6);
    EXPECT_DOUBLE_EQ(r.TotalWs2, 6200 + 2e6);
    EXPECT_DOUBLE_EQ(r.TotalPolWs1, 5500 + 3e6);
    EXPECT_DOUBLE_EQ(r.TotalPolWs2, 500 + 4e6);
    // Measured from the kept counters: one second since 100, 1500 Ws more.
    EXPECT_EQ(r.DeltaSeconds, 1);
    EXPECT_DOUBLE_EQ(r.Watts1, 1500);
    EXPECT_DOUBLE_EQ(r.Watts2, 200);

    StoredCounters next = kept;
    next.PrevAbsWs1 = 6500;
    next.PrevAbsWs2 = 6200;
    next.SecondsCounter = 101;
    EXPECT_EQ(rig.monitor.counters(), next);
}

TEST(Monitor, timers_areStartedByBeginAndArmAndStoppedByEnd)
{
    MonitorRig rig;
    QTimer* watchdog = rig.timer("Timer2");
    QTimer* automaticStart = rig.timer("Timer3");
    ASSERT_NE(watchdog, nullptr);
    ASSERT_NE(automaticStart, nullptr);
    EXPECT_EQ(watchdog->interval(), 1000);
    EXPECT_EQ(automaticStart->interval(), 3000);
    EXPECT_FALSE(watchdog->isActive());
    EXPECT_FALSE(automaticStart->isActive());
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());

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
    EXPECT_TRUE(rig.port.written.empty());
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
    rig.tick("Timer3");
    EXPECT_FALSE(automaticStart->isActive());
    EXPECT_NE(rig.port.written.find("PLR"), std::string::npos);

    rig.monitor.armAutomaticStart();
    rig.monitor.end();
    EXPECT_FALSE(watchdog->isActive());
    EXPECT_FALSE(automaticStart->isActive());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.monitor.portBox().text(), kPortClosed);
}

TEST(Monitor, lostDevice_isAnnouncedAndThePortShownClosed)
{
    MonitorRig rig;
    QSignalSpy lost(&rig.monitor, &Monitor::portLost);
    QSignalSpy lines(&rig.monitor.statusList(), &ObservableStatusList::lineAdded);
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
    ASSERT_EQ(rig.monitor.portBox().text(), "COM Port is Open");

    rig.port.loseDevice();

    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(rig.monitor.portBox().text(), kPortClosed);
    EXPECT_EQ(rig.monitor.portBox().look(), status_look::Stopped);
    EXPECT_EQ(lines.count(), 1);
}

TEST(Monitor, lostDevice_closedByTheUser_isNotReopened)
{
    MonitorRig rig;
    rig.monitor.begin();
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
    rig.port.loseDevice();
    ASSERT_TRUE(rig.timer("ReconnectTimer")->isActive());

    rig.monitor.ports().MnuClosePort_Click();

    EXPECT_FALSE(rig.timer("ReconnectTimer")->isActive()) << "the user closed it: no more tries";
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(Monitor, lostDevice_isReopenedEvery5sUntilBack_realTimeRestarts_andTheTotalsGoOn)
{
    MonitorRig rig;
    QTimer* reconnect = rig.timer("ReconnectTimer");
    ASSERT_NE(reconnect, nullptr);
    EXPECT_EQ(reconnect->interval(), Monitor::kReconnectMs);
    rig.monitor.begin();
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
    rig.monitor.realTime().MnuStartRTL_Click();
    rig.secondsPass(2);
    rig.tick("Timer2");
    ASSERT_TRUE(rig.monitor.state().RealTimeOn);
    const double totalBeforeLoss = rig.monitor.readings().TotalWs1;
    ASSERT_GT(totalBeforeLoss, 0);
    EXPECT_FALSE(reconnect->isActive()) << "nothing to reconnect while the port is open";
    std::vector<std::string> lines;
    QObject::connect(&rig.monitor.statusList(), &ObservableStatusList::lineAdded,
                     [&](const std::string& line) { lines.push_back(line); });

    rig.port.loseDevice();
    EXPECT_TRUE(reconnect->isActive());
    EXPECT_FALSE(rig.monitor.state().RealTimeOn) << "no data can come from a lost port";
    EXPECT_EQ(rig.monitor.realTimeBox().look(), status_look::Stopped);
    const std::size_t writesAtLoss = rig.port.writes.size();
    // The device is still away: the tries go on without a word or a question.
    rig.port.openSucceeds = false;
    rig.tick("ReconnectTimer");
    rig.tick("ReconnectTimer");
    EXPECT_TRUE(reconnect->isActive());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.dialogs.questions.empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());

    // Back: the port opens, real time is started again and the packets continue the totals.
    rig.port.openSucceeds = true;
    rig.tick("ReconnectTimer");
    EXPECT_FALSE(reconnect->isActive());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.monitor.portBox().text(), "COM Port is Open");
    EXPECT_EQ(lines, (std::vector<std::string>{"The COM port was lost: its device was removed or closed.",
                                               "The COM port is back and open again.", "Real-Time is ON"}));
    EXPECT_EQ(rig.port.writes.back(), "PLR");
    EXPECT_GT(rig.port.writes.size(), writesAtLoss);
    rig.secondsPass(10);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().TotalWs1, totalBeforeLoss + 1500 * 10);
    EXPECT_DOUBLE_EQ(rig.monitor.readings().Watts1, 1500);

    // Lost again when real time was off: the port comes back, real time is left off.
    rig.monitor.realTime().MnuStopRTL_Click();
    for (int second = 0; second < 3; ++second)
        rig.tick("Timer2");
    ASSERT_FALSE(rig.monitor.state().RealTimeOn);
    rig.port.loseDevice();
    const std::size_t writesAtSecondLoss = rig.port.writes.size();
    rig.tick("ReconnectTimer");
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.writes.size(), writesAtSecondLoss);
}

TEST(Monitor, watchdogTicks_announceEachRealTimeChange)
{
    MonitorRig rig;
    QSignalSpy changes(&rig.monitor, &Monitor::realTimeChanged);
    rig.monitor.begin();
    ASSERT_TRUE(rig.monitor.ports().OpenComPort());
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

// Each announcement of the link reaches the monitor's own signal.
TEST(Monitor, linkAnnouncements_arePassedOn)
{
    struct Case {
        const char* signal;
        std::function<void(MonitorRig&)> cause;
    };
    const Case cases[] = {
        {SIGNAL(portOpened()), [](MonitorRig& rig) { rig.monitor.ports().OpenComPort(); }},
        {SIGNAL(portClosed()),
         [](MonitorRig& rig) {
             rig.monitor.ports().OpenComPort();
             rig.monitor.ports().CloseComPort();
         }},
        {SIGNAL(portSearchWanted()),
         [](MonitorRig& rig) {
             rig.port.openSucceeds = false;
             rig.dialogs.answers = {true};
             rig.monitor.ports().OpenComPort();
         }},
        {SIGNAL(comPanelWanted()),
         [](MonitorRig& rig) {
             rig.settings.CommMethod = comm_method::None;
             rig.monitor.realTime().MnuStartRTL_Click();
         }},
        {SIGNAL(zigbeeNodeSearchWanted(int)),
         [](MonitorRig& rig) {
             rig.settings.CommMethod = comm_method::ZigbeeVersion2;
             rig.monitor.realTime().MnuStartRTL_Click();
         }},
        {SIGNAL(tcpServerStartWanted()),
         [](MonitorRig& rig) {
             rig.settings.StartupListen = true;
             rig.monitor.realTime().MnuStartRTL_Click();
         }},
        {SIGNAL(tcpServerStartIfClosedWanted()),
         [](MonitorRig& rig) {
             rig.settings.StartupListen = true;
             rig.monitor.ports().OpenComPort();
             rig.secondsPass(1);
             rig.tick("Timer2");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signal);
        MonitorRig rig;
        QSignalSpy spy(&rig.monitor, c.signal);
        ASSERT_TRUE(spy.isValid());

        c.cause(rig);

        EXPECT_GE(spy.count(), 1);
    }
}

} // namespace
