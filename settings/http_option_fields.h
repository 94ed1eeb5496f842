// The check of the options window's dashboard tab.
#pragma once

#include "settings/http_settings.h"

#include <cstdint>
#include <optional>
#include <string>

// The tab's boxes as the user left them.
struct HttpEntries {
    bool enable = true;
    std::string port;
    bool localOnly = true;
};

// What "Apply" does: the settings to save, or the message to show; nothing is saved then.
struct HttpVerdict {
    std::optional<HttpSettings> settings;
    std::string message;
};

// The TCP server's port is another listener of the same program, so the two may not share one.
HttpVerdict checkHttpEntries(const HttpEntries& entries, std::int32_t tcpServerPort);
