// Web posting end to end: the simulated monitor steps channel 1's power, and the
// whole program logs the post, pushes the ALL line to its TCP client and sends the
// request to the test's own HTTP listener.
#include "fake_tray_icon.h"
#include "http_listener.h"
#include "memory_settings_store.h"
#include "scripted_dialogs.h"
#include "sim_process.h"

#include "app/program.h"
#include "mainwindow/main_window.h"
#include "platform/qt_clock.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_serial_port.h"
#include "platform/qt_server_socket.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

constexpr int kComPort = 12;

// A free port the 16-bit "TCPport" setting can hold (ephemeral ports lie above it).
quint16 freeServerPort()
{
    constexpr int kFirst = 20000;
    constexpr int kCount = 12000;
    const int offset = static_cast<int>(QCoreApplication::applicationPid() % kCount);
    for (int i = 0; i < kCount; ++i) {
        const auto port = static_cast<quint16>(kFirst + (offset + i) % kCount);
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, port))
            return port;
    }
    return 0;
}

// A client of the program's TCP server; connects once the server listens.
class ServerClient {
public:
    bool connectTo(quint16 port)
    {
        return QTest::qWaitFor(
            [&] {
                if (socket_.state() == QAbstractSocket::ConnectedState)
                    return true;
                socket_.abort();
                socket_.connectToHost(QHostAddress::LocalHost, port);
                return socket_.waitForConnected(200);
            },
            10000);
    }

    // The first pushed line that begins with the text, without its "\r\n"; empty
    // when none came in time.
    QByteArray waitForLine(const QByteArray& start, int timeoutMs)
    {
        QByteArray found;
        const bool arrived = QTest::qWaitFor(
            [&] {
                received_ += socket_.readAll();
                for (const QByteArray& line : received_.split('\n')) {
                    if (line.startsWith(start) && line.endsWith('\r'))
                        found = line.chopped(1);
                }
                return !found.isEmpty();
            },
            timeoutMs);
        return arrived ? found : QByteArray();
    }

    const QByteArray& received() const { return received_; }

private:
    QTcpSocket socket_;
    QByteArray received_;
};

TEST(WebPostingWithSimulator, aPowerStep_isLoggedPushedToTheTcpClientAndPostedToTheWebService)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    HttpListener webService;
    ASSERT_TRUE(webService.listening());
    const quint16 tcpPort = freeServerPort();
    ASSERT_NE(tcpPort, 0);
    // Packets 1 to 8 at 500 W, from packet 9 on 1500 W.
    SimProcess monitor(KVO_SIM_PATH, config.path(),
                       {"--com", QString::number(kComPort), "--realtime-on", "--volts", "230", "--watts1", "500",
                        "--pf1", "0.5", "--watts2", "0", "--step-watts1", "1500", "--step-after", "8"});
    ASSERT_FALSE(monitor.devicePath().isEmpty());

    FakeTrayIcon tray;
    MainWindow window(tray);
    QtClock clock;
    QtEventLoop events;
    QtSerialPort port(config.path().toStdString());
    MemorySettingsStore store;
    store.values = {{"ComPort", std::to_string(kComPort)}, {"ZigbeeVersion", "8"}, {"StartupComIsOn", "True"},
                    {"StartupListen", "True"}, {"TCPport", std::to_string(tcpPort)}, {"AutoWriteLocal", "1"},
                    {"VexWriteEnable", "True"}, {"VexUser", "meter user"}, {"WebHost", webService.webHost()}};
    ScriptedDialogs dialogs;
    QtServerSocket tcpserver;
    Program program(window, Platform{.companion = {.clock = clock,
                                                   .events = events,
                                                   .port = port,
                                                   .store = store,
                                                   .dialogs = dialogs,
                                                   .tcpserver = tcpserver},
                                     .tray = tray});
    program.Form_Load();

    ServerClient client;
    ASSERT_TRUE(client.connectTo(tcpPort)) << "the server listens once real-time data arrives";

    // The step posts at the first packet of the new power that changes by less than the threshold.
    const QByteArray pushed = client.waitForLine("1500\t0\t", 20000);
    ASSERT_FALSE(pushed.isEmpty()) << client.received().toStdString();
    const QList<QByteArray> fields = pushed.split('\t');
    EXPECT_EQ(fields.size(), 12) << "the ALL line";
    EXPECT_EQ(fields.value(4), QByteArray("230"));
    EXPECT_EQ(fields.value(5), QByteArray("13.0")) << "1500 W / 0.5 / 230 V";

    WebFrm& webFrm = program.webWindow().load();
    EXPECT_FALSE(webFrm.isVisible()) << "created hidden by the first packet";
    QAbstractItemModel& log = *webFrm.findChild<QTreeView*>("ListView1")->model();
    ASSERT_GE(log.rowCount(), 2) << "the first settled reading, then the step";
    EXPECT_EQ(log.index(0, 0).data().toString(), QStringLiteral("CH1 / "));
    EXPECT_EQ(log.index(0, 1).data().toString(), QStringLiteral("1,000"));
    EXPECT_EQ(log.index(0, 4).data().toString(), QStringLiteral("1,500"));
    EXPECT_EQ(log.index(0, 6).data().toString(), QStringLiteral("230.0"));

    const std::size_t posts = static_cast<std::size_t>(log.rowCount());
    ASSERT_TRUE(webService.waitForRequests(posts));
    const std::string request = webService.requests()[posts - 1].toStdString();
    EXPECT_TRUE(request.starts_with("GET http://" + webService.webHost()
                                    + "/Monitor/sendData.php?&ch1_power=1500&ch2_power=0&"))
        << request;
    EXPECT_NE(request.find("&ch1_extra=3000&ch2_extra=&date="), std::string::npos) << request;
    EXPECT_NE(request.find("&voltage=230&username=meter%20user HTTP/1.1\r\nHost: " + webService.webHost()),
              std::string::npos)
        << request;
    EXPECT_EQ(window.diagnosticText(11).text().toStdString(), request) << "the last request is kept in Text11";
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
