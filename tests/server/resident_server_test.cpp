// The resident server's handlers over a scripted socket: listening only while real
// time runs, one client at a time, the status timer, the line outside the connected
// state, and the clients that misbehave.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_server_socket.h"
#include "recording_status_box.h"
#include "recording_status_list.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "server/resident_server.h"
#include "settings/settings_values.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ServerRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeServerSocket socket;
    SettingsValues settings;
    LinkState link;
    LiveReadings readings;
    ResidentServer server{socket, events, {.settings = settings, .link = link, .readings = readings}, NumberSymbols{}};
    RecordingStatusBox Text12;
    RecordingStatusList List1;
    std::vector<std::string> captions;
    std::vector<int> toggles;
    std::vector<bool> pushes;
    // Runs inside a polarity toggle, as the events during its exchange would.
    std::function<void()> duringToggle;

    ServerRig()
    {
        server.statusBox().mirrorTo(Text12, &server);
        // The mirror shows the initial state at once; only the server's own changes count.
        Text12.textChanges = 0;
        Text12.lookChanges = 0;
        server.statusList().mirrorTo(List1, &server);
        QObject::connect(&server, &ResidentServer::captionChanged, &server,
                         [this](const std::string& caption) { captions.push_back(caption); });
        QObject::connect(&server, &ResidentServer::polarityToggleRequested, &server, [this](int channel) {
            toggles.push_back(channel);
            if (duringToggle)
                duringToggle();
        });
        QObject::connect(&server, &ResidentServer::triggerPushRequested, &server,
                         [this](bool on) { pushes.push_back(on); });
        link.RealTimeOn = true;
        settings.TCPportNum = 1234;
        readings.Watts1 = 1500;
    }

    void connectClient(int requestId = 1)
    {
        server.MnuOpenSocket_Click();
        socket.requestConnection(requestId);
    }
};

TEST(ResidentServerListening, openSocket_whileRealTimeIsOff_changesNothing)
{
    ServerRig rig;
    rig.link.RealTimeOn = false;

    rig.server.MnuOpenSocket_Click();

    EXPECT_TRUE(rig.socket.listens.empty());
    EXPECT_EQ(rig.socket.closes, 0);
    EXPECT_EQ(rig.Text12.textChanges, 0);
    EXPECT_EQ(rig.Text12.lookChanges, 0);
    EXPECT_TRUE(rig.captions.empty());
}

TEST(ResidentServerListening, openSocket_closesThenListensOnTheSetPort_andSaysSo)
{
    ServerRig rig;
    rig.settings.TCPportNum = 4321;

    rig.server.MnuOpenSocket_Click();

    EXPECT_EQ(rig.socket.closes, 1);
    EXPECT_EQ(rig.socket.listens, std::vector<int>{4321});
    EXPECT_EQ(rig.socket.state(), socket_state::Listening);
    EXPECT_EQ(rig.captions, std::vector<std::string>{"TCP Server : Listening"});
    EXPECT_EQ(rig.Text12.text, "TCP Server Listening");
    EXPECT_EQ(rig.Text12.look, status_look::Listening);
}

TEST(ResidentServerListening, everyListen_takesTheSettingOfTheMoment_forWhereClientsMayComeFrom)
{
    ServerRig rig;
    rig.link.RealTimeOn = true;
    rig.server.MnuOpenSocket_Click();
    rig.settings.TCPlocalOnly = true;
    rig.server.MnuOpenSocket_Click();
    rig.socket.setState(socket_state::Closed);
    rig.server.listenIfClosed();
    EXPECT_EQ(rig.socket.listensOn,
              (std::vector<ListenOn>{ListenOn::AllInterfaces, ListenOn::ThisComputer, ListenOn::ThisComputer}));
}

TEST(ResidentServerListening, aPortThatCannotBeUsed_showsTheErrorAndOneLine_andTheNextTickKeepsIt)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.socket.listenSucceeds = false;

    rig.server.MnuOpenSocket_Click();
    rig.server.MnuOpenSocket_Click();

    EXPECT_EQ(rig.socket.state(), socket_state::Error);
    EXPECT_TRUE(rig.captions.empty()) << "the caption says listening only when it is";
    ASSERT_EQ(rig.List1.lines.size(), 1u) << "the same failure is told once";
    EXPECT_EQ(rig.List1.lines[0], "The TCP server cannot listen on port 1234: Address already in use.");

    rig.server.Timer5_Timer();
    EXPECT_EQ(rig.Text12.text, "TCP Server Error");
    EXPECT_EQ(rig.Text12.look, status_look::Error);
    EXPECT_EQ(rig.socket.listens.size(), 2u) << "the timer re-listens only from the closed state";

    rig.settings.TCPportNum = 1235;
    rig.server.MnuOpenSocket_Click();
    EXPECT_EQ(rig.List1.lines.size(), 2u) << "another port is another failure";
}

TEST(ResidentServerListening, theStartAskedForByRealTime_leavesAServingSocketAlone_andRetriesTheOthers)
{
    ServerRig rig;
    rig.connectClient();
    const int closesWhileConnected = rig.socket.closes;

    rig.server.listenUnlessServing();
    EXPECT_EQ(rig.socket.state(), socket_state::Connected) << "the client stays";
    EXPECT_EQ(rig.socket.closes, closesWhileConnected);

    rig.socket.setState(socket_state::Listening);
    rig.server.listenUnlessServing();
    EXPECT_EQ(rig.socket.listens.size(), 1u);

    for (const int state : {socket_state::Closed, socket_state::PeerClosed, socket_state::Error}) {
        rig.socket.setState(state);
        rig.server.listenUnlessServing();
        EXPECT_EQ(rig.socket.state(), socket_state::Listening) << state;
    }
    EXPECT_EQ(rig.socket.listens.size(), 4u);
}

TEST(ResidentServerListening, theStartAskedForByTheWatchdog_listensFromTheClosedStateOnly)
{
    for (const int state : {socket_state::Listening, socket_state::Connected, socket_state::PeerClosed,
                            socket_state::Error}) {
        ServerRig rig;
        rig.socket.setState(state);
        rig.server.listenIfClosed();
        EXPECT_TRUE(rig.socket.listens.empty()) << state;
        EXPECT_EQ(rig.socket.closes, 0) << state;
    }
    ServerRig rig;
    rig.server.listenIfClosed();
    EXPECT_EQ(rig.socket.listens, std::vector<int>{1234});

    ServerRig withoutRealTime;
    withoutRealTime.link.RealTimeOn = false;
    withoutRealTime.server.listenIfClosed();
    EXPECT_TRUE(withoutRealTime.socket.listens.empty());
}

TEST(ResidentServerConnection, aConnectionRequest_whileListening_isAccepted)
{
    ServerRig rig;
    rig.server.MnuOpenSocket_Click();
    const int closesBefore = rig.socket.closes;

    rig.socket.requestConnection(17);

    EXPECT_EQ(rig.socket.closes, closesBefore);
    EXPECT_EQ(rig.socket.accepts, std::vector<int>{17});
    EXPECT_TRUE(rig.server.clientConnected());
}

TEST(ResidentServerConnection, aRequestOnAClosedSocket_isAcceptedWithoutAClose)
{
    ServerRig rig;
    rig.socket.requestConnection(3);
    EXPECT_EQ(rig.socket.closes, 0);
    EXPECT_EQ(rig.socket.accepts, std::vector<int>{3});
}

// A newcomer is turned away while the client is in use, and replaces one that has
// neither sent a command nor been sent a line for five minutes of status ticks.
TEST(ResidentServerConnection, aNewcomerReplacesOnlyAClientQuietForFiveMinutes)
{
    struct QuietCase {
        const char* name;
        // Runs once a minute of ticks; what the client does meanwhile.
        std::function<void(ServerRig&)> meanwhile;
        bool replaced;
    };
    const QuietCase cases[] = {
        {"silent client", [](ServerRig&) {}, true},
        {"client asking every minute", [](ServerRig& rig) { rig.socket.arrive("GETP1\r"); }, false},
        {"client sent a pushed line every minute", [](ServerRig& rig) { rig.server.sendToClient("x\r\n"); },
         false},
    };
    for (const QuietCase& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        rig.connectClient(1);
        rig.socket.requestConnection(2);
        EXPECT_EQ(rig.socket.accepts, std::vector<int>{1}) << "turned away at once";

        constexpr int kTicksPerMinute = 60 * 1000 / 800;
        for (int minute = 0; minute < 5; ++minute) {
            for (int tick = 0; tick < kTicksPerMinute; ++tick)
                rig.server.Timer5_Timer();
            c.meanwhile(rig);
        }
        rig.socket.requestConnection(3);

        EXPECT_EQ(rig.socket.accepts, (c.replaced ? std::vector<int>{1, 3} : std::vector<int>{1}));
        EXPECT_TRUE(rig.server.clientConnected());
    }
}

TEST(ResidentServerStatusTimer, showsEachKnownStateInText12_andLeavesTheOthers)
{
    struct Row {
        int state;
        std::string text;
        StatusLook look;
    };
    const std::vector<Row> rows = {
        {socket_state::Closed, "TCP Server Closed", status_look::Stopped},
        {socket_state::Listening, "TCP Server Listening", status_look::Listening},
        {socket_state::Connected, "TCP Server Connected", status_look::Good},
        {socket_state::Error, "TCP Server Error", status_look::Error},
    };
    for (const Row& row : rows) {
        ServerRig rig;
        rig.socket.setState(row.state);
        rig.server.Timer5_Timer();
        EXPECT_EQ(rig.Text12.text, row.text) << row.state;
        EXPECT_EQ(rig.Text12.look, row.look) << row.state;
    }
    ServerRig rig;
    rig.socket.setState(3);  // connection pending: not acted upon
    rig.server.Timer5_Timer();
    EXPECT_EQ(rig.Text12.textChanges, 0);
}

TEST(ResidentServerStatusTimer, isTheServersChildTimer5_every800ms_fromItsStartToTheShutdown)
{
    ServerRig rig;
    auto* timer = rig.server.findChild<QTimer*>("Timer5");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 800);
    EXPECT_FALSE(timer->isActive()) << "it runs once the program has begun";

    rig.server.startStatusTimer();
    EXPECT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(rig.Text12.text, "TCP Server Closed") << "a tick is the status refresh";

    rig.server.closeAtShutdown([] {});
    EXPECT_FALSE(timer->isActive()) << "a tick after the shut-down could listen again";
}

TEST(ResidentServerStatusTimer, oneTickAfterTheClientLeft_closesAndListensAgain_withStartupListen)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.connectClient();
    rig.socket.peerCloses();

    rig.server.Timer5_Timer();

    EXPECT_EQ(rig.socket.state(), socket_state::Listening);
    EXPECT_EQ(rig.socket.listens.size(), 2u);
    EXPECT_EQ(rig.Text12.text, "TCP Server Listening");
    EXPECT_EQ(rig.Text12.textChanges, 3) << "listening, then closed and listening again in the one tick";
}

TEST(ResidentServerStatusTimer, withoutStartupListen_aServerWhoseClientLeft_staysClosed)
{
    ServerRig rig;
    rig.connectClient();
    rig.socket.peerCloses();

    rig.server.Timer5_Timer();
    rig.server.Timer5_Timer();

    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    EXPECT_EQ(rig.socket.listens.size(), 1u);
    EXPECT_EQ(rig.Text12.text, "TCP Server Closed");
    EXPECT_EQ(rig.Text12.look, status_look::Stopped);
}

TEST(ResidentServerStatusTimer, withStartupListenButRealTimeOff_aClosedServerStaysClosed)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.link.RealTimeOn = false;
    rig.server.Timer5_Timer();
    EXPECT_TRUE(rig.socket.listens.empty());
    EXPECT_EQ(rig.Text12.text, "TCP Server Closed");
}

TEST(ResidentServerClose, aLostMonitorPort_disconnectsTheClient_soNoStaleReadingIsServed)
{
    struct Case {
        const char* name;
        std::function<void(ServerRig&)> setUp;
        int closes;
        std::size_t lines;
    };
    const std::vector<Case> cases = {
        {"connected", [](ServerRig& rig) { rig.connectClient(); }, 1, 1},
        {"listening", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); }, 1, 0},
        {"closed", [](ServerRig&) {}, 0, 0},
    };
    for (const Case& c : cases) {
        ServerRig rig;
        c.setUp(rig);
        const int closesBefore = rig.socket.closes;
        const std::size_t linesBefore = rig.List1.lines.size();

        rig.server.stopServingStaleReadings();

        EXPECT_EQ(rig.socket.state(), socket_state::Closed) << c.name;
        EXPECT_EQ(rig.socket.closes - closesBefore, c.closes) << c.name;
        EXPECT_EQ(rig.List1.lines.size() - linesBefore, c.lines) << c.name;
    }
}

// Without StartupListen nothing else would open the server again once the port is back.
TEST(ResidentServerClose, aServerInUseWhenThePortWasLost_listensAgainAtTheFirstTickWithRealTime)
{
    struct Case {
        const char* name;
        std::function<void(ServerRig&)> before;
        // What happens while the port is away.
        std::function<void(ServerRig&)> meanwhile;
        bool listensAgain;
    };
    const std::vector<Case> cases = {
        {"connected", [](ServerRig& rig) { rig.connectClient(); }, [](ServerRig&) {}, true},
        {"listening", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); }, [](ServerRig&) {}, true},
        {"closed", [](ServerRig&) {}, [](ServerRig&) {}, false},
        {"closed by the user meanwhile", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); },
         [](ServerRig& rig) {
             rig.server.MnuCloseSocket_Click();
             rig.events.runUntilIdle();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        c.before(rig);
        rig.server.stopServingStaleReadings();
        rig.link.RealTimeOn = false;
        c.meanwhile(rig);
        const std::size_t listensBefore = rig.socket.listens.size();

        rig.server.Timer5_Timer();
        EXPECT_EQ(rig.socket.listens.size(), listensBefore) << "not while real time is off";

        rig.link.RealTimeOn = true;
        rig.server.Timer5_Timer();
        EXPECT_EQ(rig.socket.state(), c.listensAgain ? socket_state::Listening : socket_state::Closed);

        // Once back, a client that leaves closes the server as before.
        rig.socket.requestConnection(9);
        rig.socket.peerCloses();
        rig.server.Timer5_Timer();
        rig.server.Timer5_Timer();
        EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    }
}

TEST(ResidentServerClose, closeSocket_closesAtOnce_andRefreshesTheStatusASecondLater)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.connectClient();

    rig.server.MnuCloseSocket_Click();
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    rig.events.runFor(999);
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    EXPECT_EQ(rig.socket.listens.size(), 1u);

    rig.events.runFor(1);
    EXPECT_EQ(rig.socket.state(), socket_state::Listening) << "the refresh re-opens with StartupListen";
    EXPECT_EQ(rig.Text12.text, "TCP Server Listening");
    EXPECT_EQ(rig.events.pending(), 0u);
}

TEST(ResidentServerClose, aCloseSocketPendingAtTheShutdown_neverListensAgain)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.server.MnuOpenSocket_Click();
    rig.server.MnuCloseSocket_Click();
    rig.server.closeAtShutdown([] {});

    rig.events.runUntilIdle();
    rig.server.Timer5_Timer();
    rig.server.MnuOpenSocket_Click();
    rig.server.listenUnlessServing();
    EXPECT_FALSE(rig.server.listenAgain().has_value());

    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    EXPECT_EQ(rig.socket.listens.size(), 1u);
}

TEST(ResidentServerClose, shutdown_closesAnOpenSocketAtOnce_andReportsTheEndOfIts800msPause)
{
    struct Case {
        const char* name;
        std::function<void(ServerRig&)> setUp;
        int pauseMs;
    };
    const std::vector<Case> cases = {
        {"closed", [](ServerRig&) {}, 0},
        {"listening", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); }, 800},
        {"connected", [](ServerRig& rig) { rig.connectClient(); }, 800},
        {"in error", [](ServerRig& rig) { rig.socket.setState(socket_state::Error); }, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        c.setUp(rig);
        const std::int64_t start = rig.clock.elapsedMs();
        std::vector<std::int64_t> pausedAt;

        rig.server.closeAtShutdown([&] { pausedAt.push_back(rig.clock.elapsedMs() - start); });

        EXPECT_EQ(rig.socket.state(), socket_state::Closed);
        rig.events.runUntilIdle();
        EXPECT_EQ(pausedAt, std::vector<std::int64_t>{c.pauseMs});
    }
}

TEST(ResidentServerClose, aServerGoneDuringTheShutdownPause_neverReportsItsEnd)
{
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeServerSocket socket;
    SettingsValues settings;
    LinkState link;
    LiveReadings readings;
    link.RealTimeOn = true;
    auto server = std::make_unique<ResidentServer>(
        socket, events, ServerSources{.settings = settings, .link = link, .readings = readings}, NumberSymbols{});
    server->MnuOpenSocket_Click();
    bool paused = false;
    server->closeAtShutdown([&] { paused = true; });

    server.reset();
    events.runUntilIdle();

    EXPECT_FALSE(paused);
}

TEST(ResidentServerPortBox, leavingItUnchanged_keepsTheClientAndTheListeningPort)
{
    struct Case {
        const char* name;
        std::function<void(ServerRig&)> setUp;
    };
    const std::vector<Case> cases = {
        {"connected", [](ServerRig& rig) { rig.connectClient(); }},
        {"listening", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        c.setUp(rig);
        const int stateBefore = rig.socket.state();
        const int closesBefore = rig.socket.closes;

        EXPECT_FALSE(rig.server.listenAgain().has_value());

        EXPECT_EQ(rig.socket.state(), stateBefore);
        EXPECT_EQ(rig.socket.closes, closesBefore);
    }
}

TEST(ResidentServerPortBox, aNewPortOrAServerNotInUse_listensOnTheSetPort_whateverRealTimeDoes)
{
    struct Case {
        const char* name;
        std::function<void(ServerRig&)> setUp;
        int port;
    };
    const std::vector<Case> cases = {
        {"connected, new port", [](ServerRig& rig) { rig.connectClient(); }, 4321},
        {"listening, new port", [](ServerRig& rig) { rig.server.MnuOpenSocket_Click(); }, 4321},
        {"closed, same port", [](ServerRig&) {}, 1234},
        {"client gone, same port",
         [](ServerRig& rig) {
             rig.connectClient();
             rig.socket.peerCloses();
         },
         1234},
        {"error, same port",
         [](ServerRig& rig) {
             rig.socket.listenSucceeds = false;
             rig.server.MnuOpenSocket_Click();
             rig.socket.listenSucceeds = true;
         },
         1234},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        c.setUp(rig);
        rig.link.RealTimeOn = false;
        rig.settings.TCPportNum = c.port;

        EXPECT_FALSE(rig.server.listenAgain().has_value());

        EXPECT_EQ(rig.socket.state(), socket_state::Listening);
        EXPECT_EQ(rig.socket.listens.back(), c.port);
        EXPECT_EQ(rig.Text12.text, "TCP Server Listening");
    }
}

TEST(ResidentServerCommands, aLineIsAnsweredOnlyWhenTheBufferEndsInCarriageReturn)
{
    ServerRig rig;
    rig.connectClient();

    rig.socket.arrive("GETP");
    rig.socket.arrive("1\r\n");
    EXPECT_TRUE(rig.socket.sent.empty());
    EXPECT_EQ(rig.socket.buffered(), "GETP1\r\n") << "nothing is taken or discarded";

    rig.socket.arrive("GETP1\r");
    EXPECT_EQ(rig.socket.sent, std::vector<std::string>{"Error! Improper command\r\n"})
        << "everything buffered is one line";
    EXPECT_TRUE(rig.socket.buffered().empty());

    rig.socket.arrive("GETP1\r");
    EXPECT_EQ(rig.socket.sent.back(), "1500\r\n");
}

TEST(ResidentServerCommands, setPol_asksForTheToggleOfItsChannel_andIsAnsweredOnceItIsDone)
{
    struct Case {
        const char* line;
        int channel;
        const char* reply;
    };
    for (const Case& c : {Case{"SETPOL1\r", 1, "Toggled CH1 Polarity\r\n"}, Case{"SETPOL2\r", 2, "Toggled CH2 Polarity\r\n"}}) {
        ServerRig rig;
        rig.connectClient();

        rig.socket.arrive(c.line);
        EXPECT_EQ(rig.toggles, std::vector<int>{c.channel}) << c.line;
        EXPECT_TRUE(rig.socket.sent.empty()) << c.line << ": the reply went out before the toggle was done";
        rig.socket.arrive("GETP1\r");
        EXPECT_EQ(rig.socket.sent.size(), 1u) << c.line << ": other commands are answered meanwhile";

        rig.server.polarityToggleDone();
        ASSERT_EQ(rig.socket.sent.size(), 2u) << c.line;
        EXPECT_EQ(rig.socket.sent.back(), c.reply) << c.line;
        EXPECT_TRUE(rig.pushes.empty()) << c.line;
    }
}

TEST(ResidentServerCommands, setTrig_asksForThePushToBeSwitched_andSaysWhichWay)
{
    ServerRig rig;
    rig.connectClient();

    rig.socket.arrive("SETTRIGON\r");
    EXPECT_EQ(rig.pushes, std::vector<bool>{true});
    rig.socket.arrive("settrigoff\r");

    EXPECT_EQ(rig.pushes, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.socket.sent, (std::vector<std::string>{"Auto Triggering has been Enabled\r\n",
                                                         "Auto Triggering has been Disabled\r\n"}));
    EXPECT_TRUE(rig.toggles.empty());
}

TEST(ResidentServerCommands, aClientThatLeavesDuringAToggle_harmsNothing_andItsReplyGoesToNobodyElse)
{
    ServerRig rig;
    rig.settings.StartupListen = true;
    rig.connectClient(1);
    rig.duringToggle = [&] {
        rig.socket.peerCloses();
        rig.server.Timer5_Timer();
        rig.socket.requestConnection(2);
    };

    rig.socket.arrive("SETPOL1\r");
    rig.server.polarityToggleDone();

    EXPECT_TRUE(rig.socket.sent.empty()) << "the newcomer did not ask";
    EXPECT_TRUE(rig.server.clientConnected());
    rig.socket.arrive("GETP1\r");
    EXPECT_EQ(rig.socket.sent, std::vector<std::string>{"1500\r\n"});
}

TEST(ResidentServerCommands, aClientThatLeavesDuringAToggle_withNobodyAfterIt_hasItsReplyRefusedQuietly)
{
    ServerRig rig;
    rig.connectClient();
    rig.duringToggle = [&] { rig.socket.peerCloses(); };

    rig.socket.arrive("SETPOL1\r");
    rig.server.polarityToggleDone();

    EXPECT_TRUE(rig.socket.sent.empty());
    EXPECT_TRUE(rig.List1.lines.empty());
    rig.server.Timer5_Timer();
    EXPECT_EQ(rig.Text12.text, "TCP Server Closed");
}

TEST(ResidentServerCommands, aLineOutsideTheConnectedState_isDiscarded_andOnlyMynameAnswers)
{
    ServerRig rig;
    rig.connectClient();
    rig.socket.arrive("SETPOL1");
    rig.socket.setState(socket_state::PeerClosed);
    rig.socket.arrive("\r");

    EXPECT_TRUE(rig.toggles.empty()) << "no command is interpreted";
    EXPECT_TRUE(rig.socket.buffered().empty());
    EXPECT_EQ(rig.captions.back(), "TCP Server : Chatting with ");
    EXPECT_EQ(rig.socket.refused, std::vector<std::string>{"myname"}) << "a closing socket refuses it";
    EXPECT_TRUE(rig.List1.lines.empty()) << "the refusal is ignored";

    rig.server.Timer5_Timer();
    EXPECT_EQ(rig.Text12.text, "TCP Server Closed");
}

TEST(ResidentServerCommands, aClientThatNeverEndsALine_isDroppedPastTheCap_andTheServerListensAgainAtOnce)
{
    ServerRig rig;
    rig.connectClient();

    rig.socket.arrive(std::string(ResidentServer::kMaxPendingBytes, 'A'));
    EXPECT_TRUE(rig.server.clientConnected()) << "up to the cap the line may still end";

    rig.socket.arrive("A");
    EXPECT_TRUE(rig.socket.buffered().empty());
    ASSERT_EQ(rig.List1.lines.size(), 1u);
    EXPECT_EQ(rig.List1.lines[0], "A TCP client sent 65537 bytes without ending a command and was disconnected.");
    EXPECT_EQ(rig.socket.state(), socket_state::Listening) << "without StartupListen too";
    EXPECT_EQ(rig.socket.listens, (std::vector<int>{1234, 1234}));
    EXPECT_EQ(rig.Text12.text, "TCP Server Listening");

    rig.socket.requestConnection(2);
    rig.socket.arrive("GETP1\r");
    EXPECT_EQ(rig.socket.sent, std::vector<std::string>{"1500\r\n"});
}

TEST(ResidentServerCommands, aClientThatLeavesTooMuchUnread_isDroppedWithALine_forRepliesAndPushes)
{
    struct UnreadCase {
        const char* name;
        std::function<void(ServerRig&)> send;
    };
    const UnreadCase cases[] = {
        {"a reply", [](ServerRig& rig) { rig.socket.arrive("GETP1\r"); }},
        {"a pushed line", [](ServerRig& rig) { rig.server.sendToClient("1500\r\n"); }},
    };
    for (const UnreadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ServerRig rig;
        rig.connectClient();
        // Up to the cap, what the client leaves unread is its own business.
        rig.socket.unsent = ResidentServer::kMaxUnsentBytes - 6;
        c.send(rig);
        ASSERT_EQ(rig.socket.sent, std::vector<std::string>{"1500\r\n"});

        rig.socket.unsent = ResidentServer::kMaxUnsentBytes - 5;
        c.send(rig);

        EXPECT_EQ(rig.socket.sent.size(), 1u);
        EXPECT_EQ(rig.socket.accepts.size(), 1u);
        EXPECT_EQ(rig.socket.state(), socket_state::Listening) << "the client is gone and the port listens";
        ASSERT_EQ(rig.List1.lines.size(), 1u);
        EXPECT_EQ(rig.List1.lines[0], "A TCP client left 1048571 bytes unread and was disconnected.");
    }
}

TEST(ResidentServerCommands, aLongLineThatEnds_isAnsweredNotDropped)
{
    ServerRig rig;
    rig.connectClient();
    rig.socket.arrive(std::string(ResidentServer::kMaxPendingBytes + 10, 'A') + "GETP1\r");
    EXPECT_EQ(rig.socket.sent, std::vector<std::string>{"1500\r\n"});
    EXPECT_TRUE(rig.server.clientConnected());
}

TEST(ResidentServerPush, textGoesToAConnectedClientOnly_asItStands)
{
    ServerRig rig;
    rig.server.sendToClient("not sent\r\n");
    rig.server.MnuOpenSocket_Click();
    EXPECT_FALSE(rig.server.clientConnected());
    rig.server.sendToClient("not sent\r\n");

    rig.socket.requestConnection(1);
    ASSERT_TRUE(rig.server.clientConnected());
    rig.server.sendToClient("1\t2\r\n");

    EXPECT_EQ(rig.socket.sent, std::vector<std::string>{"1\t2\r\n"});
    EXPECT_TRUE(rig.socket.refused.empty());
}

} // namespace
