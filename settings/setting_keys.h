// Every persisted setting: its key, its default, and how it maps to a program value.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

struct SettingsValues;

// The settings by name; the key text each one is stored under is in the table.
enum class Setting {
    ComPort,
    TCPport,
    ZigbeeVersion,
    Rate,
    StartupComIsOn,
    StartupRTLisOn,
    StartupServerIsOn,
    StartupListen,
    PreResetVal1,
    PreResetVal2,
    PreResetValP1,
    PreResetValP2,
    E1B,
    E2B,
    E1BP,
    E2BP,
    KVOresetCount,
    KVOCounter,
    VexThresT,
    VexThres1,
    VexThres2,
    VexUser,
    VexWriteEnable,
    AutoWriteLocal,
    WebHost,
    TCPlocalOnly,
    MqttEnable,
    MqttHost,
    MqttPort,
    MqttTLS,
    MqttCAFile,
    MqttUser,
    MqttPassword,
    MqttTopic,
    MqttDiscovery,
    ShowReadingsAtStart,
    ImportWs1,
    ExportWs1,
    ImportWs2,
    ExportWs2,
    EnergyBase1,
    EnergyBase2,
    HttpEnable,
    HttpPort,
    HttpLocalOnly,
    InfluxEnable,
    InfluxUrl,
    InfluxApi,
    InfluxDatabase,
    InfluxUser,
    InfluxPassword,
    InfluxOrg,
    InfluxBucket,
    InfluxToken,
    InfluxResolution,
};

struct SettingKey {
    Setting id;
    std::string_view name;
    std::string_view defaultText;
    // Sets the program value from a stored text; false when the text does not convert.
    std::function<bool(SettingsValues&, std::string_view)> load;
    // The text stored for the program value.
    std::function<std::string(const SettingsValues&)> save;
};

// The whole table, one entry per setting.
std::span<const SettingKey> settingKeys();

const SettingKey& settingKey(Setting id);

// The three sequences in which the keys are read and written.
std::span<const Setting> startupLoadOrder();
std::span<const Setting> shutdownSaveOrder();
std::span<const Setting> periodicSaveOrder();
// The MQTT keys, written together when the options window applies them.
std::span<const Setting> mqttSettings();
// The HTTP server's keys, written together when the options window applies them.
std::span<const Setting> httpSettings();
// The InfluxDB uploader's keys, likewise.
std::span<const Setting> influxSettings();
