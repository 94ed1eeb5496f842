// The HTTP GET request that carries the current readings to the web service.
#pragma once

#include "common/date_time.h"
#include "common/number_format.h"
#include "link/live_readings.h"

#include <string>
#include <string_view>

// What goes into a request besides the readings.
struct WebRequestContext {
    // The "WebHost" setting as it stands, ":port" included: the URL's authority and
    // the "Host: " header.
    std::string_view webHost;
    std::string_view VexUser;
    DateTime now;
    NumberSymbols symbols;
};

// The request line with the absolute URL and the twelve query pairs, the four header
// lines and the empty line; there is no body.
std::string webRequestText(const LiveReadings& readings, const WebRequestContext& context);

// A query value as it goes on the request line: the blank, "&", "#", "%", every
// control character and every byte outside ASCII percent-encoded, so that no value can
// end the request line, add a header or start another query pair; every other
// character unchanged.
std::string queryValueText(std::string_view value);
