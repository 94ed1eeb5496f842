// The settings of the InfluxDB uploader, as the program uses them.
#pragma once

#include <cstdint>
#include <string>

// Which of the history's rows go to InfluxDB.
enum class UploadResolution { Packet, Minute };

struct InfluxSettings {
    bool InfluxEnable = false;
    // http:// or https://, the host, the port and any path in front of the API.
    std::string InfluxUrl;
    // 1: /write into a database, with an optional user and password; 2: /api/v2/write into
    // an organisation's bucket, with a token.
    std::int32_t InfluxApi = 1;
    std::string InfluxDatabase = "kvo7730";
    std::string InfluxUser;
    std::string InfluxPassword;
    std::string InfluxOrg;
    std::string InfluxBucket;
    std::string InfluxToken;
    // Every packet (minutes where the packets are no longer kept), or the minutes alone.
    UploadResolution InfluxResolution = UploadResolution::Packet;

    bool operator==(const InfluxSettings&) const = default;
};
