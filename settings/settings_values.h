// The values of the persisted settings and counters, as the program uses them.
// The settings owner (PersistedSettings) alone writes them.
#pragma once

#include "link/link_settings.h"
#include "link/live_readings.h"
#include "settings/http_settings.h"
#include "settings/influx_settings.h"
#include "settings/mqtt_settings.h"

#include <cstdint>
#include <string>

struct SettingsValues : LinkSettings, MqttSettings, HttpSettings, InfluxSettings {
    // 1 to 65535: wider than the 16-bit signed number the store once held.
    std::int32_t TCPportNum = 1234;
    // The TCP server takes clients from this computer only (its next listen on).
    bool TCPlocalOnly = false;

    bool StartupComIsOn = false;
    bool StartupRTLisOn = false;
    bool StartupServerIsOn = false;
    // The live readings window opens with the main window.
    bool ShowReadingsAtStart = false;

    // The trigger push box's state: 1 (ticked) pushes the ALL line to the TCP client on
    // each post; 0 (clear) and 2 (grey) do not.
    std::uint8_t AutoWriteLocal = 0;
    // The price of one kWh.
    double Rate = 0.126;

    std::string VexUser = "****";
    std::int16_t VexThresT = 60;
    std::int16_t VexThres1 = 60;
    std::int16_t VexThres2 = 60;
    bool VexWriteEnable = false;
    // The web service's host name, with ":port" for a service on another port than 80.
    std::string WebHost = "www.kvo7730.com";

    // The monitor's counters as last handed over for keeping.
    StoredCounters counters;
    // The polarised counters' previous values, kept in the store and carried through.
    double PrevPolWs1 = 0;
    double PrevPolWs2 = 0;
};
