// The real serial port on the simulator's pseudo-terminal, reached as a COM number, on
// Qt's own event loop and clock: the command protocol on the wire, the start job of the
// link, and packets decoded into the live readings.
#include "recording_status_list.h"
#include "scripted_dialogs.h"
#include "sim_process.h"

#include "link/link_settings.h"
#include "link/link_state.h"
#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "monitor/monitor.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kLoopGuardMs = 10000;
const std::string kAck = "\xFC";

// Runs Qt's event loop until done() holds or timeoutMs pass; done() at the end. The test
// drives the loop here as the program's own exec() would.
bool runLoopUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// The simulator as COM port n, opened through the program's own serial port.
struct SimulatedPort {
    QTemporaryDir config;
    SimProcess sim;
    QtSerialPort port{config.path().toStdString()};
    bool opened = false;

    SimulatedPort(int comPort, QStringList arguments)
        : sim(KVO_SIM_PATH, config.path(), arguments << "--com" << QString::number(comPort))
    {
        SerialPortConfig settings;
        settings.portNumber = comPort;
        opened = !sim.devicePath().isEmpty() && port.open(settings);
    }

    // The next byte from the monitor as text ("" when none comes within two seconds).
    std::string nextReply()
    {
        runLoopUntil([this] { return port.bytesWaiting() > 0; }, 2000);
        const auto byte = port.readByte();
        return byte ? std::string(1, static_cast<char>(*byte)) : std::string();
    }
};

// The packet receiver and decoder on the real port, clock and event loop.
struct LiveDecoding {
    QtEventLoop events;
    QtClock clock;
    LinkState state;
    RecordingStatusList statusList;
    int decoded = 0;
    PacketDecoder decoder{statusList, clock};
    PacketReceiver receiver;

    explicit LiveDecoding(SerialPort& port) : receiver(port, clock, events, state, statusList, decoder)
    {
        QObject::connect(&receiver, &PacketReceiver::packetDecoded, [this] { ++decoded; });
        port.setReceiveHandler([this] { receiver.onBytesArrived(); });
    }

    void runUntilDecoded(int packets)
    {
        runLoopUntil([this, packets] { return decoded >= packets; }, kLoopGuardMs);
    }
};

TEST(SimulatorLink, packetsOfARunningMonitor_decodeToTheValuesItWasGiven)
{
    SimulatedPort line(7, {"--realtime-on", "--volts", "230", "--watts1", "1500", "--pf1", "0.5", "--watts2",
                           "-200", "--pf2", "0.8"});
    ASSERT_TRUE(line.opened) << "sim at '" << line.sim.devicePath().toStdString() << "'";
    LiveDecoding live(line.port);

    live.runUntilDecoded(2);

    ASSERT_GE(live.decoded, 2);
    const LiveReadings& r = live.decoder.readings();
    EXPECT_DOUBLE_EQ(r.Volts, 230.0);
    EXPECT_DOUBLE_EQ(r.Watts1, 1500);
    EXPECT_DOUBLE_EQ(r.Watts2, 200);
    EXPECT_FLOAT_EQ(r.PowerFactor1, 0.5f);
    EXPECT_NEAR(r.PowerFactor2, 0.8, 1e-4);
    EXPECT_GT(r.SecondsCounter, 1);
    EXPECT_EQ(r.DeltaSeconds, 1);
    // The monitor started from zero, so its counter holds 1500 Ws for each of its seconds.
    EXPECT_DOUBLE_EQ(r.KWh1, 1500.0 * r.SecondsCounter / 3600 * 0.001);
    EXPECT_TRUE(live.statusList.lines.empty());
}

TEST(SimulatorLink, attentionAndTogPlrAreAcknowledged_thenPacketsFlow)
{
    SimulatedPort line(5, {});
    ASSERT_TRUE(line.opened);

    ASSERT_TRUE(line.port.write(kAck));
    EXPECT_EQ(line.nextReply(), kAck);
    for (const char c : std::string("TOG"))
        ASSERT_TRUE(line.port.write(std::string(1, c)));
    EXPECT_EQ(line.nextReply(), kAck);
    ASSERT_TRUE(line.port.write("PLR"));
    EXPECT_EQ(line.nextReply(), kAck);
    EXPECT_EQ(line.port.bytesWaiting(), 0) << "one reply per accepted word";

    LiveDecoding live(line.port);
    live.runUntilDecoded(1);
    EXPECT_EQ(live.decoded, 1);
}

struct ModeCase {
    QStringList arguments;
    std::string written;
    std::string reply;
};

TEST(SimulatorLink, responseModesFromTheCommandLine_shapeTheRepliesOnTheWire)
{
    const ModeCase cases[] = {
        {{"--silent"}, kAck, ""},
        {{"--answer", "253"}, kAck, "\xFD"},
        {{"--ack-only", "252"}, kAck, kAck},
        {{"--ack-only", "252"}, "TOG", ""},
    };
    int comPort = 10;
    for (const ModeCase& c : cases) {
        SimulatedPort line(comPort++, c.arguments);
        ASSERT_TRUE(line.opened);
        ASSERT_TRUE(line.port.write(c.written));
        EXPECT_EQ(line.nextReply(), c.reply) << c.arguments.join(' ').toStdString() << " / " << c.written;
    }
}

// The monitor's start as a job on Qt's loop, over the pseudo-terminal: the handshake is
// answered, the receiver is held while the start waits for data and takes the packets
// once it is over.
TEST(SimulatorLink, startJobOnTheRealPort_switchesTheMonitorOnAndItsPacketsDecode)
{
    SimulatedPort line(6, {"--volts", "231"});
    ASSERT_FALSE(line.sim.devicePath().isEmpty());
    line.port.close();  // the start opens it itself

    QtEventLoop events;
    QtClock clock;
    ScriptedDialogs dialogs;
    const LinkSettings settings{.CommMethod = comm_method::UsbCable, .ComPortNum = 6};
    Monitor monitor({.port = line.port, .clock = clock, .events = events, .dialogs = dialogs}, settings);
    RecordingStatusList List1;
    QObject context;
    monitor.statusList().mirrorTo(List1, &context);
    int decoded = 0;
    QObject::connect(&monitor, &Monitor::readingsDecoded, [&] { ++decoded; });

    monitor.startRealTime();
    ASSERT_TRUE(runLoopUntil([&] { return !monitor.busy(); }, kLoopGuardMs));

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(List1.lines, std::vector<std::string>{"Real-Time is ON"});
    EXPECT_TRUE(monitor.state().RealTimeOn);
    EXPECT_EQ(monitor.realTimeBox().text(), "Real-Time Data Active");
    runLoopUntil([&] { return decoded >= 2; }, kLoopGuardMs);
    EXPECT_GE(decoded, 2);
    EXPECT_DOUBLE_EQ(monitor.readings().Volts, 231.0);
}

} // namespace
