// The messages the publisher sends, pinned by texts written by hand: the state of one
// packet, a discovery config, the topics, and the waits between reconnections.
#include "mqtt/discovery_messages.h"
#include "common/reconnect_backoff.h"
#include "mqtt/state_payload.h"

#include <limits>
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
    r.SignedWatts1 = 1500;
    r.Energy1 = {.importedWs = 7200000, .exportedWs = 360000};
    r.Watts2 = 100;
    r.SignedWatts2 = -100;
    r.Direction2 = EnergyDirection::Generating;
    r.Amps2 = std::numeric_limits<float>::infinity();
    EXPECT_EQ(statePayload(r, "2026-12-08T13:00:00.000Z"),
              "{\"time\":\"2026-12-08T13:00:00.000Z\",\"volts\":230.5,\"seconds_counter\":1234,"
              "\"ch1\":{\"watts\":1500,\"signed_watts\":1500,\"direction\":\"consuming\",\"amps\":6.52,"
              "\"power_factor\":0.75,\"kwh\":1,\"total_kwh\":2,\"total_pol_kwh\":0.1,\"imported_kwh\":2,"
              "\"exported_kwh\":0.1,\"abs_ws\":3600000,\"pol_ws\":18,\"total_ws\":7200000,\"total_pol_ws\":360000},"
              "\"ch2\":{\"watts\":100,\"signed_watts\":-100,\"direction\":\"generating\",\"amps\":null,"
              "\"power_factor\":0,\"kwh\":0,\"total_kwh\":0,\"total_pol_kwh\":0,\"imported_kwh\":0,"
              "\"exported_kwh\":0,\"abs_ws\":0,\"pol_ws\":0,\"total_ws\":0,\"total_pol_ws\":0}}");
}

// The config of one sensor under a base topic with characters that Home Assistant
// does not take in an id; empty when there is none. (That every config arrives,
// retained, on a topic of its own is seen at a broker.)
std::string configOf(const std::string& sensor)
{
    for (const MqttMessage& m : discoveryMessages(mqttTopics("house/meter 2.b", 7), "1.0"))
        if (m.topic == "homeassistant/sensor/house_meter_2_b/" + sensor + "/config")
            return m.payload;
    return {};
}

TEST(DiscoveryMessages, eachSensorHasTheClassUnitAndStateClassHomeAssistantExpects_withTheDevice)
{
    const std::pair<const char*, const char*> sensors[] = {
        {"voltage", R"("device_class":"voltage","unit_of_measurement":"V","state_class":"measurement")"},
        {"ch1_power", R"("device_class":"power","unit_of_measurement":"W","state_class":"measurement")"},
        {"ch2_current", R"("device_class":"current","unit_of_measurement":"A","state_class":"measurement")"},
        {"ch1_power_factor", R"("device_class":"power_factor","state_class":"measurement")"},
        {"ch2_power_signed", R"("device_class":"power","unit_of_measurement":"W","state_class":"measurement")"},
        {"ch1_energy_imported",
         R"("device_class":"energy","unit_of_measurement":"kWh","state_class":"total_increasing")"},
        {"ch2_energy_exported",
         R"("device_class":"energy","unit_of_measurement":"kWh","state_class":"total_increasing")"},
        // Without an energy class, the Energy dashboard does not offer a total that falls.
        {"ch1_energy_polarised", R"(total_pol_kwh }}","unit_of_measurement":"kWh","state_class":"total")"},
    };
    for (const auto& [sensor, classes] : sensors)
        EXPECT_NE(configOf(sensor).find(classes), std::string::npos) << sensor << ": " << configOf(sensor);
    EXPECT_EQ(configOf("ch2_energy_total"),
              "{\"name\":\"Channel 2 energy total\",\"unique_id\":\"house_meter_2_b_ch2_energy_total\","
              "\"state_topic\":\"house/meter 2.b/state\",\"value_template\":\"{{ value_json.ch2.total_kwh }}\","
              "\"device_class\":\"energy\",\"unit_of_measurement\":\"kWh\",\"state_class\":\"total_increasing\","
              "\"availability_topic\":\"house/meter 2.b/availability\",\"payload_available\":\"online\","
              "\"payload_not_available\":\"offline\",\"device\":{\"identifiers\":[\"house_meter_2_b\"],"
              "\"name\":\"KVO-7730 house/meter 2.b\",\"model\":\"KVO-7730\",\"sw_version\":\"1.0\"},"
              "\"origin\":{\"name\":\"kvo7730\",\"sw_version\":\"1.0\",\"support_url\":\"https://kvo7730.example.org\"}}");
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
