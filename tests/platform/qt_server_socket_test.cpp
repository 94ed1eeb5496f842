// The Qt server socket on real connections over the loopback interface: its states,
// one client at a time, buffered bytes, clients that leave, and arrivals during a
// handler that yields.
#include "free_tcp_port.h"

#include "platform/qt_server_socket.h"

#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/socket.h>

namespace {

constexpr int kWaitMs = 5000;

struct SocketRig {
    QtServerSocket socket;
    int port = freeTcpPort();
    bool acceptRequests = true;
    std::vector<int> requests;
    int arrivals = 0;
    // Runs on each data arrival with the number of arrival calls now running.
    std::function<void(int depth)> onArrival;
    int depth = 0;

    SocketRig()
    {
        socket.setConnectionRequestHandler([this](int requestId) {
            requests.push_back(requestId);
            if (acceptRequests)
                socket.accept(requestId);
        });
        socket.setDataArrivalHandler([this] {
            ++arrivals;
            ++depth;
            if (onArrival)
                onArrival(depth);
            --depth;
        });
    }

    // Listens, connects the client and waits until the socket holds it.
    bool connect(QTcpSocket& client)
    {
        socket.listen(port, ListenOn::AllInterfaces);
        client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        return QTest::qWaitFor(
            [&] {
                return socket.state() == socket_state::Connected
                    && client.state() == QAbstractSocket::ConnectedState;
            },
            kWaitMs);
    }

    bool waitForState(int state) { return QTest::qWaitFor([&] { return socket.state() == state; }, kWaitMs); }
};

void send(QTcpSocket& client, const char* text)
{
    client.write(text);
    client.flush();
}

// The client's end closed with a reset rather than an orderly close.
void resetConnection(QTcpSocket& client)
{
    const linger abortive{1, 0};
    ::setsockopt(static_cast<int>(client.socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    client.abort();
}

TEST(QtServerSocketListening, listensOnAFreePort_andCloseEndsIt)
{
    SocketRig rig;
    ASSERT_NE(rig.port, 0);
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);

    rig.socket.listen(rig.port, ListenOn::AllInterfaces);
    EXPECT_EQ(rig.socket.state(), socket_state::Listening);

    rig.socket.close();
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    rig.socket.close();
    EXPECT_EQ(rig.socket.state(), socket_state::Closed) << "closing a closed socket is no failure";
}

TEST(QtServerSocketListening, aPortInUse_isTheErrorState_withTheSystemsReason_untilClosed)
{
    SocketRig rig;
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::Any, static_cast<quint16>(rig.port)));

    rig.socket.listen(rig.port, ListenOn::AllInterfaces);

    EXPECT_EQ(rig.socket.state(), socket_state::Error);
    EXPECT_FALSE(rig.socket.errorText().empty());
    rig.socket.close();
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
}

TEST(QtServerSocketListening, numbersThatAreNoPort_areTheErrorState)
{
    for (const int port : {0, -1, 65536}) {
        SocketRig rig;
        rig.socket.listen(port, ListenOn::AllInterfaces);
        EXPECT_EQ(rig.socket.state(), socket_state::Error) << port;
        EXPECT_EQ(rig.socket.errorText(), std::to_string(port) + " is not a port number");
    }
}

TEST(QtServerSocketClient, whileAClientIsServed_requestsReachTheHandler_andOneAcceptedReplacesIt)
{
    SocketRig rig;
    QTcpSocket first;
    ASSERT_TRUE(rig.connect(first));
    EXPECT_EQ(rig.requests, std::vector<int>{1});

    // Left by the handler: dropped, and the first client stays.
    rig.acceptRequests = false;
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(rig.port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(rig.requests.size(), 2u);
    EXPECT_EQ(rig.socket.state(), socket_state::Connected);
    EXPECT_EQ(first.state(), QAbstractSocket::ConnectedState);

    // Accepted: it takes the first one's place.
    rig.acceptRequests = true;
    QTcpSocket third;
    third.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(rig.port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(third.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(rig.socket.state(), socket_state::Connected);
    third.write("x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.socket.peekData() == "x"; }, kWaitMs));
}

TEST(QtServerSocketClient, aRequestThatIsNotAccepted_isDropped_andListeningGoesOn)
{
    SocketRig rig;
    rig.acceptRequests = false;
    rig.socket.listen(rig.port, ListenOn::AllInterfaces);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(rig.port));

    EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, kWaitMs));
    EXPECT_EQ(rig.requests.size(), 1u);
    EXPECT_EQ(rig.socket.state(), socket_state::Listening);
}

TEST(QtServerSocketClient, peekLeavesTheBytes_getTakesThem_andSendReachesTheClient)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));

    send(client, "GETP1\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.socket.peekData() == "GETP1\r"; }, kWaitMs));
    EXPECT_GE(rig.arrivals, 1);
    EXPECT_EQ(rig.socket.peekData(), "GETP1\r");
    EXPECT_EQ(rig.socket.getData(), "GETP1\r");
    EXPECT_EQ(rig.socket.peekData(), "");

    EXPECT_TRUE(rig.socket.sendData("1500\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.bytesAvailable() >= 6; }, kWaitMs));
    EXPECT_EQ(client.readAll(), QByteArray("1500\r\n"));
}

TEST(QtServerSocketClient, aClientThatCloses_isPeerClosed_withWhatItSentStillBuffered)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));

    send(client, "GETP1\r");
    client.disconnectFromHost();

    ASSERT_TRUE(rig.waitForState(socket_state::PeerClosed));
    EXPECT_EQ(rig.socket.peekData(), "GETP1\r");
    EXPECT_FALSE(rig.socket.sendData("myname")) << "nobody takes it";
    rig.socket.close();
    EXPECT_EQ(rig.socket.state(), socket_state::Closed);
    EXPECT_EQ(rig.socket.peekData(), "");
}

TEST(QtServerSocketClient, aClientThatResets_hasGone_andIsNoError)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));

    resetConnection(client);

    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.socket.state() != socket_state::Connected; }, kWaitMs));
    EXPECT_EQ(rig.socket.state(), socket_state::PeerClosed);
    EXPECT_FALSE(rig.socket.sendData("1500\r\n"));
}

TEST(QtServerSocketClient, aClientThatResetsBeforeTheReply_hasTheReplyRefused)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));
    bool sent = true;
    rig.onArrival = [&](int) {
        rig.socket.getData();
        resetConnection(client);
        QTest::qWait(100);
        sent = rig.socket.sendData("1500\r\n");
    };

    send(client, "GETALL\r");

    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.arrivals > 0 && rig.depth == 0; }, kWaitMs));
    EXPECT_FALSE(sent);
    EXPECT_EQ(rig.socket.state(), socket_state::PeerClosed);
}

TEST(QtServerSocketArrivals, bytesArrivingWhileTheHandlerYields_areHandedOverAtOnce)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));
    int deepest = 0;
    rig.onArrival = [&](int depth) {
        deepest = std::max(deepest, depth);
        if (depth == 1) {
            rig.socket.getData();
            send(client, "GETP2\r");
            EXPECT_TRUE(QTest::qWaitFor([&] { return deepest == 2; }, kWaitMs));
        }
    };

    send(client, "SETPOL1\r");

    ASSERT_TRUE(QTest::qWaitFor([&] { return deepest == 2; }, kWaitMs));
    EXPECT_EQ(rig.socket.peekData(), "GETP2\r");
}

TEST(QtServerSocketArrivals, closingDuringANestedArrival_leavesTheOuterArrivalSafe)
{
    SocketRig rig;
    QTcpSocket client;
    ASSERT_TRUE(rig.connect(client));
    std::string outerSeesAfterClose = "unset";
    rig.onArrival = [&](int depth) {
        if (depth == 1) {
            rig.socket.getData();
            send(client, "MORE\r");
            EXPECT_TRUE(QTest::qWaitFor([&] { return rig.socket.state() == socket_state::Closed; }, kWaitMs));
            // Further events while the outer call still runs on the closed client.
            QTest::qWait(50);
            outerSeesAfterClose = rig.socket.peekData();
        } else {
            rig.socket.close();
        }
    };

    send(client, "FIRST\r");

    ASSERT_TRUE(QTest::qWaitFor([&] { return outerSeesAfterClose != "unset"; }, kWaitMs));
    EXPECT_EQ(outerSeesAfterClose, "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, kWaitMs))
        << "the client was dropped";
    rig.socket.listen(rig.port, ListenOn::AllInterfaces);
    EXPECT_EQ(rig.socket.state(), socket_state::Listening) << "and the socket serves again";
}

} // namespace
