// kvo7730d publishing over MQTT as a user runs it: on the simulated monitor, to a
// broker of the test's own; the broker's last will for it when it is killed.
#include "mosquitto_broker.h"
#include "scratch_environment.h"
#include "sim_process.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(ServiceWithBroker, publishesEachPacketsState_andTheBrokerSaysOfflineOnceTheServiceIsKilled)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start());
    QTemporaryDir config;
    {
        QSettings settings(config.filePath("DARavev/DARavev.ini"), QSettings::IniFormat);
        settings.beginGroup("startup");
        for (const auto& [key, value] : {std::pair<QString, QString>{"ComPort", "7"}, {"ZigbeeVersion", "8"},
                                         {"StartupComIsOn", "True"}, {"StartupRTLisOn", "True"},
                                         {"MqttEnable", "True"}, {"MqttHost", "127.0.0.1"},
                                         {"MqttPort", QString::number(broker.port())}})
            settings.setValue(key, value);
    }
    SimProcess monitor(KVO_SIM_PATH, config.path(), {"--com", "7", "--volts", "230", "--watts1", "1500", "--pf1", "1"});
    ASSERT_FALSE(monitor.devicePath().isEmpty());
    MqttSubscriber subscriber(broker.port(), {"kvo7730/com7/#"});

    QProcess service;
    service.setProcessEnvironment(scratchEnvironment(config.path()));
    service.start(KVO_SERVICE_PATH, {});
    EXPECT_FALSE(subscriber.waitFor("^1 kvo7730/com7/availability online$", 5000).isEmpty());
    const QString state = subscriber.waitFor(R"(^1 kvo7730/com7/state \{.*"volts":230,.*"ch1":\{"watts":1500,)", 20000);
    service.kill();
    EXPECT_FALSE(subscriber.waitFor("^1 kvo7730/com7/availability offline$", 5000).isEmpty()) << "no last will";
    service.waitForFinished(2000);
    const QString log = QString::fromLocal8Bit(service.readAllStandardError());
    EXPECT_FALSE(state.isEmpty()) << log.toStdString();
    EXPECT_TRUE(log.contains("MQTT: connected to the broker 127.0.0.1:" + QString::number(broker.port())))
        << log.toStdString();
}

} // namespace
