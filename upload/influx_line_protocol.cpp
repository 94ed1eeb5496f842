// Fields are written in the shortest text that reads back as the same double, so a value
// in InfluxDB equals the one in the history file.
#include "upload/influx_line_protocol.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

class Line {
public:
    Line(std::string& body, std::string_view port, int channel) : body_(body)
    {
        body_ += kInfluxMeasurement;
        body_ += ",channel=";
        body_ += static_cast<char>('0' + channel);
        body_ += ",port=";
        body_ += escapedTagValue(port);
    }

    // A value that is no number has no text in the protocol: the field is left out.
    Line& field(std::string_view name, double value)
    {
        if (!std::isfinite(value))
            return *this;
        startField(name);
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        body_.append(text, end);
        return *this;
    }

    Line& wholeField(std::string_view name, std::int64_t value)
    {
        startField(name);
        body_ += std::to_string(value);
        body_ += 'i';
        return *this;
    }

    void end(EpochSeconds time)
    {
        body_ += ' ';
        body_ += std::to_string(time);
        body_ += '\n';
    }

private:
    void startField(std::string_view name)
    {
        body_ += first_ ? ' ' : ',';
        first_ = false;
        body_ += name;
        body_ += '=';
    }

    std::string& body_;
    bool first_ = true;
};

} // namespace

std::string escapedTagValue(std::string_view value)
{
    std::string escaped;
    for (const char c : value) {
        if (c == ',' || c == '=' || c == ' ' || c == '\\')
            escaped += '\\';
        // A line break would end the line; it has no escape in a tag.
        escaped += (c == '\n' || c == '\r') ? ' ' : c;
    }
    return escaped;
}

void appendPacketLines(std::string& body, const PacketRow& row, std::string_view port)
{
    for (const int channel : {1, 2}) {
        const bool one = channel == 1;
        Line(body, port, channel)
            .field("volts", row.volts)
            .field("watts", one ? row.watts1 : row.watts2)
            .field("amps", one ? row.amps1 : row.amps2)
            .field("power_factor", one ? row.powerFactor1 : row.powerFactor2)
            .field("kwh", one ? row.kWh1 : row.kWh2)
            .field("energy_ws", one ? row.energyWs1 : row.energyWs2)
            .field("imported_ws", one ? row.importedWs1 : row.importedWs2)
            .field("exported_ws", one ? row.exportedWs1 : row.exportedWs2)
            .end(row.time);
    }
}

void appendMinuteLines(std::string& body, const MinuteRow& row, std::string_view port)
{
    for (const int channel : {1, 2}) {
        const bool one = channel == 1;
        const ChannelMinute& watts = one ? row.channel1 : row.channel2;
        Line(body, port, channel)
            .field("volts", row.averageVolts)
            .field("watts", watts.averageWatts)
            .field("watts_min", watts.minimumWatts)
            .field("watts_max", watts.maximumWatts)
            .field("kwh", one ? row.kWh1 : row.kWh2)
            .field("energy_ws", one ? row.energyWs1 : row.energyWs2)
            .field("imported_ws", one ? row.importedWs1 : row.importedWs2)
            .field("exported_ws", one ? row.exportedWs1 : row.exportedWs2)
            .wholeField("packets", row.packets)
            .end(row.time);
    }
}
