// The web client against an HTTP listener of the test's own on 127.0.0.1: the
// request arrives whole, once per connection, and the service's answer is dropped.
#include "http_listener.h"

#include "web/web_client.h"
#include "web/web_request.h"

#include <gtest/gtest.h>

namespace {

struct ClientRig {
    LiveReadings readings;
    std::string user = "John Smith & Co\r\nX-Injected: 1";
    std::vector<std::string> sent;
    WebClient client{[this](const std::string& webHost) {
        return webRequestText(readings, {webHost, user, DateTime{2026, 12, 8, 10, 15, 30}, {}});
    }};

    ClientRig()
    {
        QObject::connect(&client, &WebClient::requestSent, &client,
                         [this](const std::string& request) { sent.push_back(request); });
    }

    QTcpSocket& socket() { return *client.findChild<QTcpSocket*>(QStringLiteral("Winsock")); }
};

TEST(WebClient, aPost_deliversTheWholeRequestWithTheReadings_toTheListener)
{
    HttpListener listener;
    ASSERT_TRUE(listener.listening());
    ClientRig rig;
    rig.readings.Watts1 = 1500;
    rig.readings.Watts2 = 35000;
    rig.readings.TotalWs1 = 3600000;
    rig.readings.Amps1 = 3.5f;
    rig.readings.PowerFactor1 = 0.5f;
    rig.readings.Volts = 230.4;

    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(1));

    const std::string host = listener.webHost();
    const std::string expected = "GET http://" + host
        + "/Monitor/sendData.php?&ch1_power=1500&ch2_power=&ch1_kwh=1000&ch2_kwh=&ch1_amps=4&ch2_amps="
          "&ch1_extra=3000&ch2_extra=&date=2026/12/08&time=10:15:30&voltage=230.4"
          "&username=John%20Smith%20%26%20Co%0D%0AX-Injected:%201 HTTP/1.1\r\n"
          "Host: " + host + "\r\n"
          "Content-Type: application/x-www-form-urlencoded\r\n"
          "Content-Length: 0\r\n"
          "Connection: Keep-Alive\r\n"
          "\r\n";
    EXPECT_EQ(listener.requests()[0].toStdString(), expected);
    EXPECT_EQ(rig.sent, std::vector<std::string>{expected});
}

TEST(WebClient, eachPost_closesTheEarlierConnectionAndSendsOnceOnANewOne)
{
    HttpListener listener;
    ASSERT_TRUE(listener.listening());
    ClientRig rig;
    rig.readings.Watts1 = 100;
    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(1));

    rig.readings.Watts1 = 200;  // the values of the moment of the connection are sent
    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(2));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return listener.connection(0).state() == QAbstractSocket::UnconnectedState; }, 5000))
        << "the first connection was closed";

    QTest::qWait(100);
    ASSERT_EQ(listener.requests().size(), 2u);
    EXPECT_TRUE(listener.requests()[0].contains("&ch1_power=100&"));
    EXPECT_TRUE(listener.requests()[1].contains("&ch1_power=200&"));
    EXPECT_EQ(listener.requests()[1].count("GET "), 1);
    EXPECT_EQ(rig.sent.size(), 2u);
}

TEST(WebClient, theServicesAnswer_isReadAndDropped)
{
    HttpListener listener;
    ASSERT_TRUE(listener.listening());
    ClientRig rig;
    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(1));

    const QByteArray body(WebClient::kAnswerLimitBytes / 2, 'x');
    listener.connection(0).write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                                 + "\r\n\r\n" + body);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.connection(0).bytesToWrite() == 0; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(rig.socket().bytesAvailable(), 0);
    EXPECT_EQ(rig.sent.size(), 1u) << "an answer makes no second request";
}

TEST(WebClient, anAnswerWithoutEnd_isCutOffAfterTheLimit)
{
    HttpListener listener;
    ASSERT_TRUE(listener.listening());
    ClientRig rig;
    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(1));
    QTcpSocket& service = listener.connection(0);
    const QByteArray chunk(4096, 'x');
    QObject::connect(&service, &QTcpSocket::bytesWritten, &service, [&] {
        if (service.bytesToWrite() < 64 * 1024)
            service.write(chunk);
    });
    service.write("HTTP/1.1 200 OK\r\n\r\n" + chunk);

    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.socket().state() == QAbstractSocket::UnconnectedState; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.state() == QAbstractSocket::UnconnectedState; }, 5000));
    EXPECT_EQ(rig.sent.size(), 1u);
}

TEST(WebClient, aServiceThatKeepsTheConnectionOpen_isLeftAfterTheTimeOut)
{
    HttpListener listener;
    ASSERT_TRUE(listener.listening());
    ClientRig rig;
    auto* timeout = rig.client.findChild<QTimer*>(QStringLiteral("AnswerTimeout"));
    ASSERT_NE(timeout, nullptr);
    EXPECT_EQ(timeout->interval(), 10000);
    // The test does not wait ten seconds.
    timeout->setInterval(50);

    rig.client.connectTo(listener.webHost());
    ASSERT_TRUE(listener.waitForRequests(1));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return listener.connection(0).state() == QAbstractSocket::UnconnectedState; }, 5000));
}

TEST(WebClient, aRefusedConnectionOrAnUnreadableHost_sendsNothing)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    ClientRig rig;
    rig.client.connectTo("127.0.0.1:" + std::to_string(closedPort));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.socket().state() == QAbstractSocket::UnconnectedState; }, 5000));

    rig.client.connectTo("bad host\r\n");
    EXPECT_EQ(rig.socket().state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(100);
    EXPECT_TRUE(rig.sent.empty());
}

} // namespace
