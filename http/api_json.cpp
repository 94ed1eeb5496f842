#include "http/api_json.h"

#include "history/history_csv.h"
#include "history/history_time.h"
#include "mqtt/json_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

std::string optionalText(const std::optional<std::string>& text)
{
    return text ? jsonString(*text) : std::string("null");
}

// A row as an array in the columns' order, built in one buffer and appended once: a
// month of minutes is some 43,000 rows, and the bytes of repeated names would double it.
template <std::size_t N>
void appendHistoryRow(std::string& text, EpochSeconds time, const std::array<double, N>& values,
                      const IsoTimeText& iso)
{
    std::array<char, 64 + N * 32> buffer;
    char* out = buffer.data();
    const auto put = [&out](std::string_view part) { out = std::copy(part.begin(), part.end(), out); };
    put("[\"");
    put(iso(time));
    put("\"");
    for (const double value : values) {
        *out++ = ',';
        if (!std::isfinite(value))
            put("null");
        // Counts and whole watt-seconds are many of the values, and quicker written as integers.
        else if (std::abs(value) < 1e15 && value == std::trunc(value))
            out = std::to_chars(out, out + 32, static_cast<std::int64_t>(value)).ptr;
        else
            out = std::to_chars(out, out + 32, value).ptr;
    }
    *out++ = ']';
    text.append(buffer.data(), out);
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

void appendRowJson(std::string& text, const MinuteRow& row, const IsoTimeText& iso)
{
    appendHistoryRow(text, row.time, rowValues(row), iso);
}

void appendRowJson(std::string& text, const PacketRow& row, const IsoTimeText& iso)
{
    appendHistoryRow(text, row.time, rowValues(row), iso);
}

std::string columnsJson(HistoryRows rows)
{
    std::string list = "[";
    for (const std::string_view column : historyColumns(rows))
        list += (list.size() > 1 ? "," : "") + jsonString(column);
    return list + "]";
}
