#include "settings/http_option_fields.h"

#include "common/number_text.h"

#include "settings/option_fields.h"

#include <string_view>

HttpVerdict checkHttpEntries(const HttpEntries& entries, std::int32_t tcpServerPort)
{
    const std::string_view portText = trimmedEntry(entries.port);
    const auto port = parseWholeNumber(portText, 1, 65535);
    if (!port || portText.find_first_of(".,eE") != std::string_view::npos)
        return {.message = "The dashboard's port must be a whole number from 1 to 65535."};
    if (*port == tcpServerPort)
        return {.message = "The dashboard's port must differ from the TCP server's port ("
                           + std::to_string(tcpServerPort) + ")."};
    return {.settings = HttpSettings{.HttpEnable = entries.enable,
                                     .HttpPort = static_cast<std::int32_t>(*port),
                                     .HttpLocalOnly = entries.localOnly}};
}
