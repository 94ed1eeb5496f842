// The messages the publisher sends, pinned by texts written by hand: the state of one
// packet, a discovery config, the topics, and the waits between reconnections.
#include "mqtt/discovery_messages.h"
#include "mqtt/reconnect_backoff.h"
#include "mqtt/state_payload.h"

#include <algorithm>
#include <limits>
#include <set>
#include <gtest/gtest.h>

namespace {

TEST(StatePayload, holdsEveryReadingAsAnExactNumber_andAnUnknownCurrentAsNull)
{
    LiveReadings r;
    r.Volts = 230.5;
    r.SecondsCounter = 1234;
    r.Watts1 = 1500;
    r.Amps1 = 6.52f;
    r.PowerFactor1 = 0.75f;
    r.KWh1 = 1;
    r.AbsWs1 = 3600000;
    r.PolWs1 = 18;
    r.TotalWs1 = 7200000;
    r.TotalPolWs1 = 360000;
    r.Watts2 = -1;
    r.Amps2 = std::numeric_limits<float>::infinity();
    EXPECT_EQ(statePayload(r, "2026-12-08T13:00:00.000Z"),
              "{\"time\":\"2026-12-08T13:00:00.000Z\",\"volts\":230.5,\"seconds_counter\":1234,"
              "\"ch1\":{\"watts\":1500,\"amps\":6.52,\"power_factor\":0.75,\"kwh\":1,\"total_kwh\":2,"
              "\"total_pol_kwh\":0.1,\"abs_ws\":3600000,\"pol_ws\":18,\"total_ws\":7200000,\"total_pol_ws\":360000},"
              "\"ch2\":{\"watts\":-1,\"amps\":null,\"power_factor\":0,\"kwh\":0,\"total_kwh\":0,"
              "\"total_pol_kwh\":0,\"abs_ws\":0,\"pol_ws\":0,\"total_ws\":0,\"total_pol_ws\":0}}");
}

TEST(MqttTopics, defaultToTheComPort_andGiveANodeIdOfTheCharactersHomeAssistantTakes)
{
    EXPECT_EQ(mqttTopics("", 7).state(), "kvo7730/com7/state");
    EXPECT_EQ(mqttTopics("", 7).availability(), "kvo7730/com7/availability");
    EXPECT_EQ(mqttTopics("house/meter 2", 7).state(), "house/meter 2/state");
    EXPECT_EQ(mqttTopics("house/meter 2.b", 7).nodeId(), "house_meter_2_b");
    EXPECT_EQ(mqttTopics("", 12).nodeId(), "kvo7730_com12");
}

TEST(DiscoveryMessages, oneRetainedConfigPerSensor_withUniqueIdsAndTopics)
{
    const auto messages = discoveryMessages(mqttTopics("", 7), "1.0");
    ASSERT_EQ(messages.size(), 13u) << "the voltage and six sensors per channel";
    std::set<std::string> topics;
    for (const MqttMessage& m : messages) {
        EXPECT_TRUE(m.retain) << m.topic;
        EXPECT_TRUE(m.topic.starts_with("homeassistant/sensor/kvo7730_com7/") && m.topic.ends_with("/config")) << m.topic;
        EXPECT_NE(m.payload.find("\"unique_id\":\"kvo7730_com7_"), std::string::npos) << m.payload;
        topics.insert(m.topic);
    }
    EXPECT_EQ(topics.size(), messages.size()) << "two sensors share a topic";
}

TEST(DiscoveryMessages, energyIsTotalIncreasingInKWh_withTheDeviceAndAvailability)
{
    const auto messages = discoveryMessages(mqttTopics("", 7), "1.0");
    const auto energy = std::find_if(messages.begin(), messages.end(), [](const MqttMessage& m) {
        return m.topic == "homeassistant/sensor/kvo7730_com7/ch2_energy_total/config";
    });
    ASSERT_NE(energy, messages.end());
    EXPECT_EQ(energy->payload,
              "{\"name\":\"Channel 2 energy total\",\"unique_id\":\"kvo7730_com7_ch2_energy_total\","
              "\"state_topic\":\"kvo7730/com7/state\",\"value_template\":\"{{ value_json.ch2.total_kwh }}\","
              "\"device_class\":\"energy\",\"unit_of_measurement\":\"kWh\",\"state_class\":\"total_increasing\","
              "\"availability_topic\":\"kvo7730/com7/availability\",\"payload_available\":\"online\","
              "\"payload_not_available\":\"offline\",\"device\":{\"identifiers\":[\"kvo7730_com7\"],"
              "\"name\":\"KVO-7730 kvo7730/com7\",\"model\":\"KVO-7730\",\"sw_version\":\"1.0\"}}");
}

TEST(DiscoveryMessages, eachSensorHasTheClassUnitAndStateClassHomeAssistantExpects)
{
    const std::pair<const char*, const char*> sensors[] = {
        {"voltage", R"("device_class":"voltage","unit_of_measurement":"V","state_class":"measurement")"},
        {"ch1_power", R"("device_class":"power","unit_of_measurement":"W","state_class":"measurement")"},
        {"ch2_current", R"("device_class":"current","unit_of_measurement":"A","state_class":"measurement")"},
        {"ch1_power_factor", R"("device_class":"power_factor","state_class":"measurement")"},
        {"ch2_energy", R"("device_class":"energy","unit_of_measurement":"kWh","state_class":"total_increasing")"},
        {"ch1_energy_polarised", R"("device_class":"energy","unit_of_measurement":"kWh","state_class":"total")"},
    };
    const auto messages = discoveryMessages(mqttTopics("", 7), "1.0");
    for (const auto& [sensor, classes] : sensors) {
        const std::string topic = "homeassistant/sensor/kvo7730_com7/" + std::string(sensor) + "/config";
        const auto found = std::find_if(messages.begin(), messages.end(), [&](const MqttMessage& m) { return m.topic == topic; });
        ASSERT_NE(found, messages.end()) << topic;
        EXPECT_NE(found->payload.find(classes), std::string::npos) << found->payload;
    }
}

TEST(ReconnectBackoff, doublesUpToTheLimit_andStartsShortAgainAfterAReset)
{
    ReconnectBackoff backoff(1000, 60000);
    std::vector<int> waits;
    for (int i = 0; i < 9; ++i)
        waits.push_back(backoff.next());
    EXPECT_EQ(waits, (std::vector<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    backoff.reset();
    EXPECT_EQ(backoff.next(), 1000);
}

} // namespace
