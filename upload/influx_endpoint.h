// Where and how the uploader writes: the write address of InfluxDB's API version 1 or 2
// with its credentials, and how the server's answer is taken.
#pragma once

#include "settings/influx_settings.h"

#include <QByteArray>
#include <QUrl>
#include <optional>
#include <string>
#include <string_view>

struct InfluxEndpoint {
    // /write?db=… or /api/v2/write?org=…&bucket=…, in seconds' precision.
    QUrl writeUrl;
    // The Authorization header's value; empty for none.
    QByteArray authorization;
    // What names the series' home, for the cursor: the address, the API and the database
    // or bucket, never a secret. Another home is sent the whole history.
    std::string destination;
    // How status lines name the server.
    std::string displayName;
};

InfluxEndpoint influxEndpoint(const InfluxSettings& settings);

// What a write's answer means for the rows sent.
struct InfluxAnswer {
    enum class Kind {
        Accepted,
        // A wrong address, database, bucket or credentials: trying again cannot help.
        Refused,
        // Too busy, failing or out of reach for now.
        RetryLater,
    };
    Kind kind;
    // The server's message or the system's reason, for a line; empty when accepted.
    std::string message;
};

// An HTTP status of 0 means no answer came; the reason then says why.
InfluxAnswer influxAnswer(int httpStatus, std::string_view body, std::string_view reason);
