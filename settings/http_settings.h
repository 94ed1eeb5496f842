// The settings of the dashboard's HTTP server, as the program uses them.
#pragma once

#include <cstdint>

struct HttpSettings {
    bool HttpEnable = true;
    std::int32_t HttpPort = 7730;
    // Loopback only; false listens on every interface, for a board reached from the house's network.
    bool HttpLocalOnly = true;

    bool operator==(const HttpSettings&) const = default;
};
