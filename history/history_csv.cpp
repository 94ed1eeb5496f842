// Numbers in their shortest form that reads back to the same double.
#include "history/history_csv.h"

#include "history/history_store.h"
#include "history/history_time.h"

#include <QSaveFile>
#include <array>
#include <charconv>

namespace {

void appendNumber(std::string& line, double value)
{
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    line += ',';
    line.append(digits.data(), end);
}

template <std::size_t N>
std::string line(EpochSeconds time, const std::array<double, N>& values, const IsoTimeText& iso)
{
    std::string text = iso(time);
    for (double value : values)
        appendNumber(text, value);
    text += '\n';
    return text;
}

constexpr std::array<std::string_view, 17> kMinuteColumns = {
    "time", "packets", "volts_avg", "watts1_avg", "watts1_min", "watts1_max", "watts2_avg", "watts2_min", "watts2_max",
    "energy1_ws", "energy2_ws", "kwh1", "kwh2", "imported1_ws", "exported1_ws", "imported2_ws", "exported2_ws"};
constexpr std::array<std::string_view, 16> kPacketColumns = {
    "time", "volts", "watts1", "watts2", "amps1", "amps2", "power_factor1", "power_factor2", "energy1_ws",
    "energy2_ws", "kwh1", "kwh2", "imported1_ws", "exported1_ws", "imported2_ws", "exported2_ws"};

template <typename Row>
void writeRows(QSaveFile& file, const std::vector<Row>& rows)
{
    const IsoTimeText iso;
    for (const Row& row : rows) {
        const std::string text = csvLine(row, iso);
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
}

} // namespace

std::span<const std::string_view> historyColumns(HistoryRows rows)
{
    if (rows == HistoryRows::Minutes)
        return kMinuteColumns;
    return kPacketColumns;
}

std::array<double, 16> rowValues(const MinuteRow& r)
{
    return {static_cast<double>(r.packets), r.averageVolts, r.channel1.averageWatts, r.channel1.minimumWatts,
            r.channel1.maximumWatts, r.channel2.averageWatts, r.channel2.minimumWatts, r.channel2.maximumWatts,
            r.energyWs1, r.energyWs2, r.kWh1, r.kWh2, r.importedWs1, r.exportedWs1, r.importedWs2, r.exportedWs2};
}

std::array<double, 15> rowValues(const PacketRow& r)
{
    return {r.volts, r.watts1, r.watts2, r.amps1, r.amps2, r.powerFactor1, r.powerFactor2, r.energyWs1,
            r.energyWs2, r.kWh1, r.kWh2, r.importedWs1, r.exportedWs1, r.importedWs2, r.exportedWs2};
}

std::string csvHeader(HistoryRows rows)
{
    std::string header;
    for (const std::string_view column : historyColumns(rows)) {
        header += header.empty() ? "" : ",";
        header += column;
    }
    return header + '\n';
}

std::string csvLine(const MinuteRow& r, const IsoTimeText& iso)
{
    return line(r.time, rowValues(r), iso);
}

std::string csvLine(const PacketRow& r, const IsoTimeText& iso)
{
    return line(r.time, rowValues(r), iso);
}

std::string exportHistoryCsv(HistoryStore& store, HistoryRows rows, EpochSeconds from, EpochSeconds to,
                             const QString& path)
{
    // The minute in progress belongs in the export too.
    store.flush();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    const std::string header = csvHeader(rows);
    file.write(header.data(), static_cast<qint64>(header.size()));
    if (rows == HistoryRows::Minutes)
        writeRows(file, store.minutes(from, to));
    else
        writeRows(file, store.packets(from, to));
    if (!file.commit())
        return file.errorString().toStdString();
    return {};
}
