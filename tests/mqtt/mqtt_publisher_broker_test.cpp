// The publisher against a real Mosquitto broker: what arrives, with which retain flag;
// a broker that goes away and comes back; a login refused. Each change of the
// connection is said once.
#include "mosquitto_broker.h"
#include "recording_status_list.h"

#include "link/live_readings.h"
#include "mqtt/mqtt_publisher.h"
#include "settings/settings_values.h"

#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Short waits, so that a test sees several attempts within a second.
constexpr MqttTiming kQuickRetries{.firstRetryMs = 100, .retryLimitMs = 400, .connectTimeoutMs = 2000};

struct PublisherRig {
    explicit PublisherRig(int port)
    {
        settings.ComPortNum = 7;
        settings.MqttEnable = true;
        settings.MqttHost = "127.0.0.1";
        settings.MqttPort = port;
        publisher.statusList().mirrorTo(status, &publisher);
    }

    // Lines that hold the text, once the event loop has run for withinMs or one came.
    long said(const std::string& text, int withinMs = 0)
    {
        const auto count = [&] {
            return std::count_if(status.lines.begin(), status.lines.end(),
                                 [&](const std::string& line) { return line.find(text) != std::string::npos; });
        };
        const QDeadlineTimer deadline(withinMs);
        while (count() == 0 && !deadline.hasExpired())
            QTest::qWait(10);
        return count();
    }

    void publishWatts(double watts1)
    {
        LiveReadings readings;
        readings.Volts = 230;
        readings.Watts1 = watts1;
        publisher.publishReadings(readings);
    }

    SettingsValues settings;
    MqttPublisher publisher{settings, kQuickRetries};
    RecordingStatusList status;
};

TEST(MqttPublisherWithBroker, availabilityDiscoveryAndState_areKeptByTheBrokerForALateSubscriber)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start());
    PublisherRig rig(broker.port());
    rig.publisher.start();
    ASSERT_EQ(rig.said("MQTT: connected to the broker 127.0.0.1:", 3000), 1) << testing::PrintToString(rig.status.lines);
    rig.publishWatts(1500);

    MqttSubscriber late(broker.port(), {"kvo7730/#", "homeassistant/#"});
    EXPECT_FALSE(late.waitFor("^1 kvo7730/com7/availability online$", 3000).isEmpty());
    EXPECT_FALSE(late.waitFor(R"(^1 kvo7730/com7/state \{"time":"\d{4}-\d\d-\d\dT[0-9:.]+Z","volts":230,.*"ch1":\{"watts":1500,)", 3000)
                     .isEmpty());
    const auto allConfigsArrive = [&] {
        for (int sensor = 0; sensor < 19; ++sensor)
            ASSERT_FALSE(late.waitFor(R"(^1 homeassistant/sensor/kvo7730_com7/\w+/config \{"name":)", 3000).isEmpty())
                << "only " << sensor << " discovery messages";
        EXPECT_TRUE(late.waitFor("homeassistant/sensor", 200).isEmpty()) << "more than 19 discovery messages";
    };
    allConfigsArrive();

    // Home Assistant starting again gets the configs again.
    QProcess::execute("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(broker.port()), "-t",
                                        "homeassistant/status", "-m", "online"});
    allConfigsArrive();
}

TEST(MqttPublisherWithBroker, aBrokerThatRestarts_isReconnected_andOnlyTheLastStateHeldIsSent)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start());
    PublisherRig rig(broker.port());
    rig.publisher.start();
    ASSERT_EQ(rig.said("connected to the broker", 3000), 1);

    broker.stop();
    ASSERT_EQ(rig.said("was lost", 3000), 1) << testing::PrintToString(rig.status.lines);
    rig.publishWatts(100);
    rig.publishWatts(200);
    QTest::qWait(500);
    EXPECT_EQ(rig.said("cannot be reached (Connection refused)"), 1) << "one line however many attempts";

    ASSERT_TRUE(broker.start());
    MqttSubscriber subscriber(broker.port(), {"kvo7730/com7/state"});
    EXPECT_FALSE(subscriber.waitFor(R"(^1 kvo7730/com7/state .*"watts":200,)", 3000).isEmpty());
    EXPECT_EQ(rig.said("connected to the broker"), 2) << testing::PrintToString(rig.status.lines);
    EXPECT_TRUE(subscriber.waitFor(R"("watts":100,)", 100).isEmpty()) << "a stale state was sent";
}

TEST(MqttPublisherWithBroker, aWrongPassword_isSaidOnce_whileTheLoginIsTriedAgain)
{
    MosquittoBroker broker("meter", "right");
    ASSERT_TRUE(broker.start());
    PublisherRig rig(broker.port());
    rig.settings.MqttUser = "meter";
    rig.settings.MqttPassword = "wrong";
    rig.publisher.start();
    ASSERT_EQ(rig.said("refused the login (Connection Refused: not authorised)", 3000), 1)
        << testing::PrintToString(rig.status.lines);
    QTest::qWait(700);
    EXPECT_EQ(rig.status.lines.size(), 1u) << testing::PrintToString(rig.status.lines);
}

TEST(MqttPublisherWithBroker, overTls_theBrokerIsTrustedThroughTheCaFileAlone_andARefusalIsToldAtOnce)
{
    MosquittoBroker broker({}, {}, true);
    ASSERT_TRUE(broker.start());
    const std::string caFile = broker.caFile().toStdString();
    const struct {
        int port;
        std::string caFile;
        const char* said;
    } cases[] = {
        {broker.port(), caFile, "MQTT: connected to the broker localhost:"},
        // The system's authorities do not know the test's.
        {broker.port(), "", "cannot be reached (A TLS error occurred)"},
        // Refused while TLS starts: said with its reason, not after the time-out.
        {freeTcpPort(), caFile, "cannot be reached (Connection refused)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        PublisherRig rig(c.port);
        rig.settings.MqttHost = "localhost";
        rig.settings.MqttTLS = true;
        rig.settings.MqttCAFile = c.caFile;
        rig.publisher.start();
        ASSERT_EQ(rig.said("MQTT: ", 5000), 1);
        EXPECT_NE(rig.status.lines[0].find(c.said), std::string::npos) << rig.status.lines[0];
    }
}

} // namespace
