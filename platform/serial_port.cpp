// Parsing of serial line settings texts.
#include "platform/serial_port.h"

#include <charconv>
#include <vector>

std::optional<SerialLineSettings> SerialLineSettings::parse(std::string_view text)
{
    std::vector<std::string_view> fields;
    while (true) {
        const auto comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() != 4 || fields[1].size() != 1)
        return std::nullopt;

    auto whole = [](std::string_view field, int& value) {
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        return error == std::errc() && end == field.data() + field.size() && value > 0;
    };
    SerialLineSettings settings;
    settings.parity = fields[1][0];
    const bool parityKnown = std::string_view("NEOMS").find(settings.parity) != std::string_view::npos;
    if (!parityKnown || !whole(fields[0], settings.baud) || !whole(fields[2], settings.dataBits)
        || !whole(fields[3], settings.stopBits))
        return std::nullopt;
    return settings;
}
