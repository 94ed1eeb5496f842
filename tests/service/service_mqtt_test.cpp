// kvo7730d publishing over MQTT as a user runs it: on the simulated monitor, to a
// broker of the test's own; energy sold by a generating channel, discovered for the
// Energy dashboard; the broker's last will for it when it is killed.
#include "mosquitto_broker.h"
#include "scratch_environment.h"
#include "sim_process.h"

#include <QRegularExpression>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

// A channel's exported (or imported) kWh in a state message; -1 when missing.
double channelKWh(const QString& state, const QString& channel, const QString& member)
{
    const QRegularExpression number("\"" + channel + "\":\\{[^}]*\"" + member + "\":([0-9.eE+-]+)");
    const QRegularExpressionMatch match = number.match(state);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

TEST(ServiceWithBroker, publishesEachPacketsStateWithTheEnergySold_andTheBrokerSaysOfflineOnceTheServiceIsKilled)
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
    SimProcess monitor(KVO_SIM_PATH, config.path(),
                       {"--com", "7", "--rate", "4", "--volts", "230", "--watts1", "1500", "--pf1", "1", "--generate",
                        "2=1800"});
    ASSERT_FALSE(monitor.devicePath().isEmpty());
    MqttSubscriber subscriber(broker.port(), {"kvo7730/com7/#", "homeassistant/sensor/kvo7730_com7/+/config"});

    QProcess service;
    service.setProcessEnvironment(scratchEnvironment(config.path()));
    service.start(KVO_SERVICE_PATH, {});
    EXPECT_FALSE(subscriber.waitFor("^1 kvo7730/com7/availability online$", 5000).isEmpty());
    const QString state = subscriber.waitFor(R"(^1 kvo7730/com7/state \{.*"volts":230,.*"ch1":\{"watts":1500,)", 20000);
    for (const char* sensor : {"ch2_energy_exported", "ch2_energy_imported"})
        EXPECT_FALSE(subscriber.waitFor(QString(R"(^1 homeassistant/.*/%1/config .*"state_class":"total_increasing")")
                                            .arg(sensor), 5000)
                         .isEmpty())
            << sensor;
    // Channel 2 sells a packet's worth or more each time; what it bought stays nothing.
    const QString later = subscriber.waitFor(R"(^1 kvo7730/com7/state .*"ch2":\{[^}]*"exported_kwh":(?!0,))", 10000);
    const QString latest = subscriber.waitFor(R"(^1 kvo7730/com7/state )", 5000);
    EXPECT_GT(channelKWh(latest, "ch2", "exported_kwh"), channelKWh(later, "ch2", "exported_kwh"));
    EXPECT_EQ(channelKWh(latest, "ch2", "imported_kwh"), 0);
    EXPECT_GT(channelKWh(latest, "ch1", "imported_kwh"), 0);
    EXPECT_EQ(channelKWh(latest, "ch1", "exported_kwh"), 0);
    service.kill();
    EXPECT_FALSE(subscriber.waitFor("^1 kvo7730/com7/availability offline$", 5000).isEmpty()) << "no last will";
    service.waitForFinished(2000);
    const QString log = QString::fromLocal8Bit(service.readAllStandardError());
    EXPECT_FALSE(state.isEmpty()) << log.toStdString();
    EXPECT_TRUE(log.contains("MQTT: connected to the broker 127.0.0.1:" + QString::number(broker.port())))
        << log.toStdString();
}

} // namespace
