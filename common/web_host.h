// The web service's address as the "WebHost" setting holds it: a host name or IP
// address, optionally followed by ":port".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct WebHostAddress {
    std::string host;  // without the brackets of an IPv6 literal
    std::uint16_t port = 80;

    bool operator==(const WebHostAddress&) const = default;
};

// The host and port of a setting text, or nothing when the text is not a plain host
// name or address: it travels unchanged in the request line and the "Host: " header,
// so a blank, a control character, a path or a bad port is refused here.
std::optional<WebHostAddress> parseWebHost(std::string_view text);
