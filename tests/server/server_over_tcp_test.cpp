// The whole program's TCP server on real loopback connections, while the emulated
// monitor's packets stream into the decoder: queries, one client at a time, the status
// timer, the menus, misbehaving clients, a port in use, and the shut-down.
#include "free_tcp_port.h"
#include "program_rig.h"

#include "platform/qt_server_socket.h"
#include "platform/system_locale.h"
#include "server/reading_lines.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

constexpr int kWaitMs = 5000;

// A client of the program's server on the same event loop: every wait runs the loop.
class LineClient {
public:
    bool connectTo(int port, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost))
    {
        socket_.connectToHost(host, static_cast<quint16>(port));
        return QTest::qWaitFor([&] { return socket_.state() != QAbstractSocket::ConnectingState
                                             && socket_.state() != QAbstractSocket::HostLookupState; },
                               kWaitMs)
            && socket_.state() == QAbstractSocket::ConnectedState;
    }

    void send(const std::string& bytes)
    {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket_.flush();
    }

    // Sends the command and returns the reply line without its CR LF ("" on no reply).
    std::string ask(const std::string& command)
    {
        send(command);
        return reply();
    }

    std::string reply()
    {
        if (!QTest::qWaitFor([&] { return socket_.canReadLine(); }, kWaitMs))
            return {};
        const std::string line = socket_.readLine().toStdString();
        return line.ends_with("\r\n") ? line.substr(0, line.size() - 2) : "no CR LF: " + line;
    }

    bool waitUntilDropped()
    {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, kWaitMs);
    }

    void leave() { socket_.disconnectFromHost(); }
    QTcpSocket& socket() { return socket_; }

private:
    QTcpSocket socket_;
};

struct ServerProgramRig : BasicProgramRig<QtServerSocket> {
    const int tcpPort = freeTcpPort();
    // Every ALL line that the program's readings have held.
    std::set<std::string> heldLines;
    QTimer stream;

    explicit ServerProgramRig(bool startupListen, bool localOnly = false)
    {
        store.values = {{"TCPport", std::to_string(tcpPort)},
                        {"TCPlocalOnly", localOnly ? "True" : "False"},
                        {"StartupListen", startupListen ? "True" : "False"},
                        {"StartupComIsOn", "True"},
                        {"ZigbeeVersion", "8"}};
        MonitorState& m = monitor.state();
        m.volts = 230;
        m.watts = {1500, 200};
        m.powerFactor = {0.5, 1};
        program.Form_Load();
        // The port's open (and the monitor's moment after it) ends before the test begins.
        events.runUntilIdle();
        // The test ticks the timers itself.
        for (const char* name : {"Timer2", "Timer4", "Timer5"})
            timer(name).stop();
        stream.setInterval(2);
        QObject::connect(&stream, &QTimer::timeout, [this] { streamPacket(); });
    }

    // One packet from the monitor, taken by the program's receiver and decoder.
    void streamPacket()
    {
        packet();
        heldLines.insert(allLine(program.monitor().readings(), systemNumberSymbols()));
    }

    // Packets arrive and the watchdog's next tick sees them: real time is on.
    void realTimeFlows()
    {
        streamPacket();
        tick("Timer2");
    }

    void tickTimer5() { tick("Timer5"); }

    QString text12() { return window.findChild<QLineEdit*>("Text12")->text(); }
    QColor text12Background() { return window.findChild<QLineEdit*>("Text12")->palette().color(QPalette::Base); }
    bool listHolds(const QString& start)
    {
        const QListWidget* list = window.findChild<QListWidget*>("List1");
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().startsWith(start))
                return true;
        }
        return false;
    }
    bool waitForSocketState(int state)
    {
        return QTest::qWaitFor([&] { return tcpserver.state() == state; }, kWaitMs);
    }
    // Connects the client and lets the status timer show it.
    bool connect(LineClient& client)
    {
        const bool connected = client.connectTo(tcpPort) && waitForSocketState(socket_state::Connected);
        tickTimer5();
        return connected;
    }
};

TEST(ServerOverTcp, realTimeWithStartupListen_opensTheServer_andQueriesAreAnsweredFromTheLiveReadings)
{
    ServerProgramRig rig(true);
    ASSERT_NE(rig.tcpPort, 0);
    rig.realTimeFlows();
    ASSERT_TRUE(rig.program.monitor().state().RealTimeOn);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening) << "the watchdog asked the server to start";
    EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("TCP Server : Listening"));
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Listening"));
    EXPECT_EQ(rig.text12Background(), QColor(255, 255, 0));

    LineClient client;
    ASSERT_TRUE(rig.connect(client));
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Connected"));
    EXPECT_EQ(rig.text12Background(), QColor(0, 255, 0));

    rig.stream.start();
    EXPECT_EQ(client.ask("GETP1\r"), "1500");
    EXPECT_EQ(client.ask("getp2\r"), "200");
    EXPECT_EQ(client.ask("GETVOLT\r"), "230.0");
    int previousSeconds = -1;
    for (int i = 0; i < 20; ++i) {
        const std::string line = client.ask("GETALL\r");
        EXPECT_TRUE(rig.heldLines.contains(line)) << line;
        const int seconds = std::stoi(line.substr(line.rfind('\t') + 1));
        EXPECT_GE(seconds, previousSeconds) << "the readings move on between queries";
        previousSeconds = seconds;
    }
    const std::string allp = client.ask("GETALLP\r");
    EXPECT_EQ(std::count(allp.begin(), allp.end(), '\t'), 15);
    rig.stream.stop();
    EXPECT_GT(rig.program.monitor().readings().SecondsCounter, 20) << "packets kept streaming";
    EXPECT_EQ(client.ask("GETSEC\r"), std::to_string(rig.program.monitor().readings().SecondsCounter));
}

// An address of this computer that other hosts reach it by; null when it has none.
QHostAddress networkAddress()
{
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return {};
}

TEST(ServerOverTcp, listeningOnThisComputerOnly_takesLoopbackClientsAndNoOthers_everyInterfaceByDefault)
{
    const QHostAddress network = networkAddress();
    for (const bool localOnly : {false, true}) {
        SCOPED_TRACE(localOnly ? "TCPlocalOnly=True" : "TCPlocalOnly=False");
        ServerProgramRig rig(true, localOnly);
        rig.realTimeFlows();
        ASSERT_EQ(rig.tcpserver.state(), socket_state::Listening);

        if (!network.isNull()) {
            LineClient fromNetwork;
            EXPECT_EQ(fromNetwork.connectTo(rig.tcpPort, network), !localOnly) << network.toString().toStdString();
        }
        if (localOnly) {
            LineClient local;
            ASSERT_TRUE(rig.connect(local));
            EXPECT_EQ(local.ask("GETP1\r"), "1500");
        }
    }
    if (network.isNull())
        GTEST_SKIP() << "this computer has no network address besides loopback";
}

TEST(ServerOverTcp, aSecondClient_isTurnedAway_andTheServerListensAgainOneTickAfterTheFirstLeaves)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    LineClient first;
    ASSERT_TRUE(rig.connect(first));

    LineClient second;
    second.connectTo(rig.tcpPort);
    EXPECT_TRUE(second.waitUntilDropped());
    EXPECT_EQ(first.ask("GETP1\r"), "1500") << "the first client is still served";

    first.leave();
    ASSERT_TRUE(rig.waitForSocketState(socket_state::PeerClosed));
    rig.tickTimer5();
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening);
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Listening"));

    LineClient third;
    ASSERT_TRUE(rig.connect(third));
    EXPECT_EQ(third.ask("GETP2\r"), "200");
}

TEST(ServerOverTcp, aClientQuietForFiveMinutes_givesWayToANewcomer)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    LineClient quiet;
    ASSERT_TRUE(rig.connect(quiet));
    ASSERT_EQ(quiet.ask("GETP1\r"), "1500");

    for (int tick = 0; tick < ResidentServer::kIdleTicksBeforeReplace; ++tick)
        rig.tickTimer5();
    LineClient newcomer;
    ASSERT_TRUE(newcomer.connectTo(rig.tcpPort));

    EXPECT_EQ(newcomer.ask("GETP2\r"), "200");
    EXPECT_TRUE(quiet.waitUntilDropped());
}

TEST(ServerOverTcp, theStatusTimer_runsEvery800ms_andReListensOnItsOwn)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    LineClient client;
    ASSERT_TRUE(rig.connect(client));
    EXPECT_EQ(rig.timer("Timer5").interval(), 800);

    client.leave();
    rig.timer("Timer5").start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.text12() == "TCP Server Listening"; }, kWaitMs));
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening);
}

TEST(ServerOverTcp, openSocket_whileRealTimeIsStopped_changesNothing)
{
    ServerProgramRig rig(true);
    ASSERT_FALSE(rig.program.monitor().state().RealTimeOn);
    const QString title = rig.window.windowTitle();

    rig.window.menuAction("MnuOpenSocket").trigger();

    EXPECT_EQ(rig.tcpserver.state(), socket_state::Closed);
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Closed"));
    EXPECT_EQ(rig.text12Background(), QColor(255, 0, 0));
    EXPECT_EQ(rig.window.windowTitle(), title);
    LineClient client;
    EXPECT_FALSE(client.connectTo(rig.tcpPort));
}

TEST(ServerOverTcp, theMenus_openAndCloseTheServer_andCloseRestartsItAfterASecond)
{
    ServerProgramRig rig(false);
    rig.realTimeFlows();
    ASSERT_EQ(rig.tcpserver.state(), socket_state::Closed) << "without StartupListen nothing starts by itself";

    rig.window.menuAction("MnuOpenSocket").trigger();
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening);

    rig.window.menuAction("MnuCloseSocket").trigger();
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Closed);
    rig.events.runFor(1000);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Closed);
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Closed"));

    rig.program.companion().settings().set(&SettingsValues::StartupListen, true);
    rig.window.menuAction("MnuCloseSocket").trigger();
    rig.events.runFor(999);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Closed);
    rig.events.runFor(1);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening) << "closing restarts the listener after a second";
}

TEST(ServerOverTcp, aClientThatNeverEndsALine_isDropped_andTheNextClientIsServed)
{
    ServerProgramRig rig(false);
    rig.realTimeFlows();
    rig.window.menuAction("MnuOpenSocket").trigger();
    LineClient flooder;
    ASSERT_TRUE(rig.connect(flooder));

    flooder.send(std::string(ResidentServer::kMaxPendingBytes + 4096, 'A'));
    EXPECT_TRUE(flooder.waitUntilDropped());
    EXPECT_TRUE(rig.listHolds("A TCP client sent "));
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening) << "at once, without the status timer";

    LineClient next;
    ASSERT_TRUE(rig.connect(next));
    EXPECT_EQ(next.ask("GETP1\r"), "1500");
}

TEST(ServerOverTcp, aPortInUse_showsTheServerError_andTheProgramKeepsRunning)
{
    ServerProgramRig rig(true);
    auto occupant = std::make_unique<QTcpServer>();
    ASSERT_TRUE(occupant->listen(QHostAddress::Any, static_cast<quint16>(rig.tcpPort)));

    rig.realTimeFlows();
    rig.tickTimer5();

    EXPECT_EQ(rig.tcpserver.state(), socket_state::Error);
    EXPECT_EQ(rig.text12(), QStringLiteral("TCP Server Error"));
    EXPECT_EQ(rig.text12Background(), QColor(0, 0, 0));
    EXPECT_TRUE(rig.listHolds(QStringLiteral("The TCP server cannot listen on port %1: ").arg(rig.tcpPort)));
    const std::int32_t seconds = rig.program.monitor().readings().SecondsCounter;
    rig.streamPacket();
    EXPECT_GT(rig.program.monitor().readings().SecondsCounter, seconds) << "the readings still flow";

    occupant.reset();
    rig.window.menuAction("MnuCloseSocket").trigger();
    rig.events.runFor(1000);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Listening);
    LineClient client;
    ASSERT_TRUE(rig.connect(client));
    EXPECT_EQ(client.ask("GETP1\r"), "1500");
}

TEST(ServerOverTcp, setCommands_reachTheMonitorAndTheTriggerPushOption)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    LineClient client;
    ASSERT_TRUE(rig.connect(client));
    rig.port.written.clear();

    client.send("SETPOL1\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.port.written.empty(); }, kWaitMs)) << "the toggle began";
    EXPECT_FALSE(client.socket().canReadLine()) << "no reply before the toggle is done";
    rig.events.runUntilIdle();
    EXPECT_EQ(client.reply(), "Toggled CH1 Polarity");
    EXPECT_EQ(rig.port.written, "\xFCSETNG1") << "the toggle went to the monitor first";

    rig.store.writes.clear();
    EXPECT_EQ(client.ask("SETTRIGON\r"), "Auto Triggering has been Enabled");
    EXPECT_EQ(client.ask("SETTRIGON\r"), "Auto Triggering has been Enabled");
    EXPECT_EQ(rig.program.settings().AutoWriteLocal, 1);
    // Loading the options window also saves the start-up switches that are on.
    auto pushSaves = [&] { return std::count(rig.store.writes.begin(), rig.store.writes.end(), "AutoWriteLocal"); };
    EXPECT_EQ(pushSaves(), 1) << "saved once, on the change";
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "1");
    QWidget* options = ServerProgramRig::topLevel("OptionsFrm");
    ASSERT_NE(options, nullptr) << "the options window was created to take the click";
    auto* check5 = options->findChild<QCheckBox*>("Check5");
    ASSERT_NE(check5, nullptr);
    EXPECT_TRUE(check5->isChecked());
    EXPECT_FALSE(check5->window()->isVisible()) << "created hidden";

    EXPECT_EQ(client.ask("SETTRIGOFF\r"), "Auto Triggering has been Disabled");
    EXPECT_EQ(client.ask("SETTRIGOFF\r"), "Auto Triggering has been Disabled");
    EXPECT_EQ(rig.program.settings().AutoWriteLocal, 0);
    EXPECT_FALSE(check5->isChecked());
    EXPECT_EQ(pushSaves(), 2);
    EXPECT_EQ(rig.store.values["AutoWriteLocal"], "0");
}

TEST(ServerOverTcp, aClientConnectedWhenRealTimeStarts_staysConnected)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    LineClient client;
    ASSERT_TRUE(rig.connect(client));
    rig.port.peer = [&rig](std::string_view bytes) { return rig.monitor.receive(bytes); };
    rig.monitor.state().realTimeOn = false;
    // The first packet comes in the middle of the start's wait for data, which asks
    // the server to start on every look at the port.
    rig.port.feedAt(rig.clock.elapsedMs() + 3000, rig.monitor.packet());

    rig.window.menuAction("MnuStartRTL").trigger();

    ASSERT_TRUE(rig.program.monitor().state().RealTimeOn);
    EXPECT_EQ(rig.tcpserver.state(), socket_state::Connected);
    EXPECT_EQ(client.ask("GETP1\r"), "1500");
}

TEST(ServerOverTcp, exitWhileListening_closesTheServerAtOnce_andSavesOnly800msLater)
{
    ServerProgramRig rig(true);
    rig.realTimeFlows();
    ASSERT_EQ(rig.tcpserver.state(), socket_state::Listening);
    rig.timer("Timer5").start();
    rig.store.writes.clear();

    rig.window.menuAction("MnuExit").trigger();

    EXPECT_EQ(rig.tcpserver.state(), socket_state::Closed);
    EXPECT_FALSE(rig.timer("Timer5").isActive()) << "it would listen again";
    rig.events.runFor(799);
    EXPECT_TRUE(rig.store.writes.empty()) << "nothing is saved during the pause";
    rig.events.runFor(1);
    EXPECT_FALSE(rig.store.writes.empty()) << "the settings were saved after the pause";
    LineClient late;
    EXPECT_FALSE(late.connectTo(rig.tcpPort));
}

} // namespace
