// The posting decision without a window: what a settled step does (log row, push to
// the TCP client, web request, progress), the signals of every packet, the log's
// rows and the reporting-interval clock.
#include "http_listener.h"
#include "web_posting_rig.h"

#include "server/reading_lines.h"

#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// Everything a test wants to know of what the controller announced.
struct Announcements {
    int readingsArrived = 0;
    std::vector<int> progress;
    std::vector<std::string> requests;

    explicit Announcements(WebPostingController& posting)
    {
        QObject::connect(&posting, &WebPostingController::readingsArrived, &posting, [this] { ++readingsArrived; });
        QObject::connect(&posting, &WebPostingController::progressChanged, &posting,
                         [this](int percent) { progress.push_back(percent); });
        QObject::connect(&posting.webClient(), &WebClient::requestSent, &posting,
                         [this](const std::string& request) { requests.push_back(request); });
    }
};

QTcpSocket& webSocket(WebPostingController& posting)
{
    return *posting.webClient().findChild<QTcpSocket*>(QStringLiteral("Winsock"));
}

struct PostCase {
    int AutoWriteLocal;
    bool clientConnected;
    bool VexWriteEnable;
    bool pushes;
    bool postsToTheWeb;
};

void PrintTo(const PostCase& c, std::ostream* out)
{
    *out << "AutoWriteLocal " << c.AutoWriteLocal << (c.clientConnected ? ", client" : ", no client")
         << (c.VexWriteEnable ? ", web on" : ", web off");
}

class SettledStep : public ::testing::TestWithParam<PostCase> {};

TEST_P(SettledStep, postsOneRow_pushesOnlyToAClientThatAskedForIt_andPostsToTheWebOnlyWhenEnabled)
{
    const PostCase c = GetParam();
    HttpListener webService;
    ASSERT_TRUE(webService.listening());
    WebPostingRig rig;
    rig.settings.set(&SettingsValues::AutoWriteLocal, c.AutoWriteLocal);
    rig.settings.set(&SettingsValues::VexWriteEnable, c.VexWriteEnable);
    rig.settings.set(&SettingsValues::VexUser, "al");
    rig.settings.set(&SettingsValues::WebHost, webService.webHost());
    if (c.clientConnected)
        rig.connectClient();
    Announcements heard(rig.posting);
    rig.readings.Volts = 230;

    rig.stepAndSettle(1500);

    EXPECT_EQ(rig.rows(), 1);
    if (c.pushes) {
        ASSERT_EQ(rig.socket.sent.size(), 1u);
        EXPECT_EQ(rig.socket.sent[0], allLine(rig.readings, {}) + "\r\n");
        EXPECT_TRUE(rig.socket.sent[0].starts_with("1500\t0\t")) << rig.socket.sent[0];
    } else {
        EXPECT_TRUE(rig.socket.sent.empty());
    }
    EXPECT_TRUE(rig.socket.refused.empty()) << "nothing is pushed at a socket without a client";

    if (c.postsToTheWeb) {
        EXPECT_EQ(heard.progress, (std::vector<int>{0, 0, 100})) << "full once the request is on its way";
        ASSERT_TRUE(webService.waitForRequests(1));
        ASSERT_EQ(heard.requests.size(), 1u);
        const std::string& request = heard.requests[0];
        EXPECT_TRUE(request.starts_with("GET http://" + webService.webHost() + "/Monitor/sendData.php?&ch1_power=1500&"))
            << request;
        EXPECT_NE(request.find("&username=al "), std::string::npos) << request;
    } else {
        EXPECT_EQ(heard.progress, (std::vector<int>{0, 0}));
        EXPECT_EQ(webSocket(rig.posting).state(), QAbstractSocket::UnconnectedState) << "no connection was begun";
    }

    rig.packet(1500);
    EXPECT_EQ(heard.progress.back(), 0) << "the next packet empties the bar";
    EXPECT_EQ(rig.rows(), 1) << "a steady power posts nothing more";
}

INSTANTIATE_TEST_SUITE_P(WebPostingController, SettledStep,
                         ::testing::Values(PostCase{1, true, false, true, false},
                                           PostCase{1, true, true, true, true},
                                           PostCase{0, true, false, false, false},
                                           PostCase{1, false, false, false, false},
                                           PostCase{0, false, true, false, true},
                                           PostCase{2, true, false, false, false}));

TEST(WebPostingController, everyPacketIsAnnounced_whetherItPostsOrNot)
{
    WebPostingRig rig;
    Announcements heard(rig.posting);
    for (const double watts : {0.0, 500.0, 500.0, 500.0, 2000.0})
        rig.packet(watts);

    EXPECT_EQ(heard.readingsArrived, 5);
    EXPECT_EQ(heard.progress, (std::vector<int>(5, 0))) << "web posting is off: the bar only resets";
    EXPECT_EQ(rig.rows(), 1);
}

TEST(WebPostingController, firstPacket_startsTheIntervalClock_andShowsDataStarted)
{
    WebPostingRig rig;
    auto* timer = rig.posting.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_FALSE(timer->isActive());

    rig.packet(0);

    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(rig.posting.realTimeBox().text(), "Real-Time Data Started");
    EXPECT_EQ(rig.posting.realTimeBox().look(), status_look::Good);
    EXPECT_EQ(rig.rows(), 0) << "no power against an empty history: nothing to post";
    EXPECT_TRUE(rig.store.writes.empty());
}

TEST(WebPostingController, theRealTimeStateShown_followsTheLink)
{
    WebPostingRig rig;
    rig.posting.showRealTimeState();
    EXPECT_EQ(rig.posting.realTimeBox().text(), "Real-Time Data Stopped");
    EXPECT_EQ(rig.posting.realTimeBox().look(), status_look::Stopped);

    rig.link.RealTimeOn = true;
    rig.posting.showRealTimeState();
    EXPECT_EQ(rig.posting.realTimeBox().text(), "Real-Time Data Started");
    EXPECT_EQ(rig.posting.realTimeBox().look(), status_look::Good);
}

TEST(WebPostingController, settledSteps_addRowsWithTheReadings_newestAtTheTop)
{
    WebPostingRig rig;
    LiveReadings& r = rig.readings;
    r.Volts = 120;
    r.Amps1 = 4.17f;
    r.TotalWs1 = 3600000;
    r.TotalWs2 = 1800;
    rig.stepAndSettle(500);
    ASSERT_EQ(rig.rows(), 1);
    rig.packet(500);
    rig.packet(900);
    rig.clock.advanceMs(5000);
    rig.packet(905);

    ASSERT_EQ(rig.rows(), 2);
    const QStringList expected = {"CH1 / ", "400",   "0",     "10:15:35", "905", "0",
                                  "120.0",  "1.000", ".001",  "4.2",      ".0"};
    for (int column = 0; column < 11; ++column)
        EXPECT_EQ(rig.cell(0, column), expected[column]) << column;
    EXPECT_EQ(rig.cell(1, 3), QStringLiteral("10:15:30"));
    EXPECT_EQ(rig.cell(1, 4), QStringLiteral("500"));
}

TEST(WebPostingController, theLogKeeps1000Rows_newestFirst)
{
    WebPostingRig rig;
    for (int post = 1; post <= 1002; ++post)
        rig.stepAndSettle(post * 100.0);

    ASSERT_EQ(rig.rows(), 1000);
    EXPECT_EQ(rig.cell(0, 4), QStringLiteral("100,200"));
    EXPECT_EQ(rig.cell(999, 4), QStringLiteral("300")) << "posts 1 and 2 have gone";
}

TEST(WebPostingController, intervalClock_postsTimeOutAfterVexThresTTicks_andStopsOnceRealTimeHasStopped)
{
    WebPostingRig rig;
    rig.settings.set(&SettingsValues::VexThresT, 3);
    rig.link.RealTimeOn = true;
    rig.stepAndSettle(500);
    QTimer& timer = *rig.posting.findChild<QTimer*>(QStringLiteral("Timer1"));
    for (int tick = 0; tick < 3; ++tick)
        QMetaObject::invokeMethod(&timer, "timeout");
    rig.packet(500);
    ASSERT_EQ(rig.rows(), 2);
    EXPECT_EQ(rig.cell(0, 0), QStringLiteral(" Time out"));

    rig.link.RealTimeOn = false;
    QMetaObject::invokeMethod(&timer, "timeout");
    EXPECT_FALSE(timer.isActive());
    rig.packet(500);
    EXPECT_TRUE(timer.isActive()) << "the next packet starts it again";
}

} // namespace
