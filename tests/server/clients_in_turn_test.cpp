// The resident server on the Qt socket over loopback, without the rest of the program:
// clients that come one right after another.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "free_tcp_port.h"

#include "link/link_state.h"
#include "link/live_readings.h"
#include "platform/qt_server_socket.h"
#include "server/resident_server.h"
#include "settings/settings_values.h"

#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kWaitMs = 5000;

struct LoopbackServerRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    QtServerSocket socket;
    SettingsValues settings;
    LinkState link;
    LiveReadings readings;
    ResidentServer server{socket, events, {.settings = settings, .link = link, .readings = readings}, NumberSymbols{}};

    LoopbackServerRig()
    {
        settings.TCPportNum = freeTcpPort();
        link.RealTimeOn = true;
        readings.Watts1 = 1500;
        server.MnuOpenSocket_Click();
    }
};

// Connects, asks, and returns the reply without CR LF; "" when turned away.
std::string askOnce(QTcpSocket& client, int port, const char* command)
{
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!client.waitForConnected(kWaitMs))
        return {};
    client.write(command);
    client.flush();
    if (!QTest::qWaitFor([&] { return client.canReadLine() || client.state() != QAbstractSocket::ConnectedState; },
                         kWaitMs)
        || !client.canReadLine())
        return {};
    const std::string line = client.readLine().toStdString();
    return line.substr(0, line.size() - 2);
}

TEST(ClientsInTurn, aClientThatComesJustAsThePreviousOneLeaves_isServed)
{
    LoopbackServerRig rig;
    ASSERT_EQ(rig.socket.state(), socket_state::Listening);
    constexpr int kClients = 60;
    int served = 0;
    for (int i = 0; i < kClients; ++i) {
        QTcpSocket client;
        if (askOnce(client, rig.settings.TCPportNum, "GETP1\r") == "1500")
            ++served;
        // Gone at once: the next one connects before the server has heard of it.
        client.disconnectFromHost();
    }
    EXPECT_EQ(served, kClients);
}

} // namespace
