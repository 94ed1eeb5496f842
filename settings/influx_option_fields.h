// The check of the options window's InfluxDB tab: every box together, since an address,
// an API and its credentials only make sense as a whole.
#pragma once

#include "settings/influx_settings.h"

#include <optional>
#include <string>
#include <string_view>

// The tab's boxes as the user left them.
struct InfluxEntries {
    bool enable = false;
    std::string url;
    std::int32_t api = 1;
    std::string database;
    std::string user;
    std::string password;
    std::string org;
    std::string bucket;
    std::string token;
    UploadResolution resolution = UploadResolution::Packet;
};

// What "Apply" does: the settings to save, or the message to show and the box to put
// the focus in; nothing is saved then.
struct InfluxVerdict {
    enum class Box { None, Url, Database, User, Org, Bucket, Token };
    std::optional<InfluxSettings> settings;
    std::string message;
    Box box = Box::None;
};

InfluxVerdict checkInfluxEntries(const InfluxEntries& entries);

// Why an address cannot be InfluxDB's, or nothing when it can (an empty one can: it is unset).
std::optional<std::string> influxUrlProblem(std::string_view url);

// "packet" and "minute", as stored.
std::string_view resolutionText(UploadResolution resolution);
std::optional<UploadResolution> parseResolution(std::string_view text);
