#include "http/api_json.h"

#include "history/history_csv.h"
#include "history/history_time.h"
#include "mqtt/json_text.h"

namespace {

std::string optionalText(const std::optional<std::string>& text)
{
    return text ? jsonString(*text) : std::string("null");
}

template <typename Row>
std::string historyRow(const Row& row, HistoryRows kind)
{
    const auto columns = historyColumns(kind);
    const auto values = rowValues(row);
    JsonObject object;
    object.text(columns[0], isoText(row.time));
    for (std::size_t i = 0; i < values.size(); ++i)
        object.number(columns[i + 1], values[i]);
    return object.str();
}

} // namespace

std::string statusJson(const StatusFacts& f)
{
    const auto lastPacket = f.lastPacket ? std::optional(isoText(*f.lastPacket)) : std::nullopt;
    const auto historyFile = f.historyFile.empty() ? std::nullopt : std::optional(f.historyFile);
    return JsonObject()
        .text("version", f.version)
        .raw("port", JsonObject()
                         .raw("number", std::to_string(f.portNumber))
                         .raw("open", f.portOpen ? "true" : "false")
                         .str())
        .raw("real_time", f.realTimeOn ? "true" : "false")
        .raw("last_packet", optionalText(lastPacket))
        .raw("packets_decoded", std::to_string(f.packetsDecoded))
        .raw("packets_missed", std::to_string(f.packetsMissed))
        .raw("history_file", optionalText(historyFile))
        .number("rate", f.rate)
        .text("no_data", f.noData)
        .str();
}

std::string feedJson(const StatusFacts& f)
{
    return JsonObject()
        .raw("real_time", f.realTimeOn ? "true" : "false")
        .raw("port_open", f.portOpen ? "true" : "false")
        .text("no_data", f.noData)
        .str();
}

std::string chartJson(std::string_view range, EpochSeconds from, EpochSeconds to, std::span<const PowerPoint> points)
{
    std::string list = "[";
    for (const PowerPoint& p : points) {
        list += list.size() > 1 ? ",[" : "[";
        list += std::to_string(p.time) + "," + jsonNumber(p.watts1) + "," + jsonNumber(p.watts2) + "]";
    }
    list += "]";
    return JsonObject()
        .text("range", range)
        .raw("from", std::to_string(from))
        .raw("to", std::to_string(to))
        .raw("points", list)
        .str();
}

std::string errorJson(std::string_view reason)
{
    return JsonObject().text("error", reason).str();
}

std::string rowJson(const MinuteRow& row)
{
    return historyRow(row, HistoryRows::Minutes);
}

std::string rowJson(const PacketRow& row)
{
    return historyRow(row, HistoryRows::Packets);
}
