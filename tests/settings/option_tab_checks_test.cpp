// The checks of the MQTT and dashboard tabs: each kind of wrong entry is refused with its
// message (and box), and a right one gives the settings to save, tidied.
#include "settings/http_option_fields.h"
#include "settings/mqtt_option_fields.h"

#include <gtest/gtest.h>

namespace {

MqttEntries goodEntries()
{
    return {.enable = true, .host = "broker.lan", .port = "1883", .user = "meter", .password = "pw", .topic = "house/kvo"};
}

TEST(MqttOptionCheck, eachWrongEntry_isRefusedWithItsMessageAndBox)
{
    using Box = MqttVerdict::Box;
    struct Case {
        void (*spoil)(MqttEntries&);
        Box box;
        const char* message;
    };
    const Case cases[] = {
        {[](MqttEntries& e) { e.host = "  "; }, Box::Host, "Enter the host name or address of the MQTT broker."},
        {[](MqttEntries& e) { e.host = "mqtt://broker"; }, Box::Host, "The broker's host is a name or an address"},
        {[](MqttEntries& e) { e.port = "0"; }, Box::Port, "The broker's port must be a whole number from 1 to 65535."},
        {[](MqttEntries& e) { e.port = "65536"; }, Box::Port, "from 1 to 65535"},
        {[](MqttEntries& e) { e.port = "1883.5"; }, Box::Port, "from 1 to 65535"},
        {[](MqttEntries& e) { e.port = "abc"; }, Box::Port, "from 1 to 65535"},
        {[](MqttEntries& e) { e.caFile = "/nonexistent/ca.crt"; }, Box::CAFile,
         "The CA file \"/nonexistent/ca.crt\" cannot be read: No such file or directory."},
        {[](MqttEntries& e) { e.user = ""; }, Box::User, "A password needs a user name."},
        {[](MqttEntries& e) { e.topic = "house/#"; }, Box::Topic, "may not hold \"+\" or \"#\""},
        {[](MqttEntries& e) { e.topic = "/house"; }, Box::Topic, "nor begin with \"/\""},
    };
    for (const Case& c : cases) {
        MqttEntries entries = goodEntries();
        c.spoil(entries);
        const MqttVerdict verdict = checkMqttEntries(entries);
        SCOPED_TRACE(c.message);
        EXPECT_FALSE(verdict.settings.has_value());
        EXPECT_EQ(verdict.box, c.box);
        EXPECT_NE(verdict.message.find(c.message), std::string::npos) << verdict.message;
    }
}

TEST(MqttOptionCheck, rightEntries_giveTheSettingsTrimmed_andNoHostIsFineWhilePublishingIsOff)
{
    const MqttVerdict verdict = checkMqttEntries(
        {.enable = true, .host = " broker.lan ", .port = " 8883", .user = "meter", .password = "pw", .topic = "house/kvo/"});
    EXPECT_EQ(verdict.settings, (MqttSettings{.MqttEnable = true, .MqttHost = "broker.lan", .MqttPort = 8883,
                                              .MqttUser = "meter", .MqttPassword = "pw", .MqttTopic = "house/kvo"}))
        << verdict.message;
    EXPECT_TRUE(checkMqttEntries({.port = "1883"}).settings.has_value());
}

TEST(HttpOptionCheck, thePortMustBeWholeInRangeAndNotTheTcpServers)
{
    const struct {
        const char* port;
        std::optional<std::int32_t> saved;
    } cases[] = {{"7730", 7730}, {" 80 ", 80}, {"65535", 65535}, {"0", std::nullopt}, {"65536", std::nullopt},
                 {"80.0", std::nullopt}, {"8e3", std::nullopt}, {"", std::nullopt}, {"1234", std::nullopt}};
    for (const auto& c : cases) {
        const HttpVerdict verdict = checkHttpEntries({.enable = true, .port = c.port, .localOnly = false}, 1234);
        EXPECT_EQ(verdict.settings ? std::optional(verdict.settings->HttpPort) : std::nullopt, c.saved) << c.port;
        EXPECT_EQ(verdict.message.empty(), c.saved.has_value()) << c.port;
        if (verdict.settings)
            EXPECT_FALSE(verdict.settings->HttpLocalOnly);
    }
}

} // namespace
