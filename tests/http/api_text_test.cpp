// The API's texts without a server: the checks of the parameters, the history rows as
// JSON, and the Prometheus exposition.
#include "history/history_csv.h"
#include "http/api_json.h"
#include "http/api_query.h"
#include "http/prometheus_metrics.h"
#include "link/live_readings.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

EpochSeconds localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime).toSecsSinceEpoch();
}

TEST(ApiQuery, timesInEveryAcceptedFormAndTheFormsRefused)
{
    const struct {
        const char* text;
        std::optional<EpochSeconds> seconds;
    } cases[] = {
        {"1765238400", 1765238400},
        {"2026-12-01", localTime(2026, 12, 1)},
        {"2026-12-01T10:05", localTime(2026, 12, 1, 10, 5)},
        {"2026-12-01 10:05:30", localTime(2026, 12, 1, 10, 5, 30)},
        {"2026-12-01T10:05:30Z", 1796119530},
        {"2026-12-01T11:05:30+01:00", 1796119530},
        {"2026-12-01T05:05:30-0500", 1796119530},
        {"2024-02-29", localTime(2024, 2, 29)},
        {"2026-02-29", std::nullopt},
        {"2026-13-01", std::nullopt},
        {"2026-12-01T24:00", std::nullopt},
        {"2026-12-01T10:60", std::nullopt},
        {"2026-12-01T10:05+1:00", std::nullopt},
        {"2026-12-01X", std::nullopt},
        {"-5", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"yesterday", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseTime(c.text), c.seconds) << c.text;
}

TEST(ApiQuery, historyParameters_defaultsAndRefusals)
{
    const EpochSeconds now = 1796119530;
    const auto defaults = checkHistoryRequest({}, now);
    ASSERT_TRUE(defaults.request);
    EXPECT_EQ(defaults.request->to, now);
    EXPECT_EQ(defaults.request->from, now - 86400);
    EXPECT_EQ(defaults.request->rows, HistoryRows::Minutes);
    EXPECT_FALSE(defaults.request->csv);

    const auto chosen = checkHistoryRequest(
        {{"from", "1000"}, {"to", "2000"}, {"resolution", "packet"}, {"format", "csv"}}, now);
    ASSERT_TRUE(chosen.request);
    EXPECT_EQ(chosen.request->from, 1000);
    EXPECT_EQ(chosen.request->to, 2000);
    EXPECT_EQ(chosen.request->rows, HistoryRows::Packets);
    EXPECT_TRUE(chosen.request->csv);

    const struct {
        QueryItems items;
        const char* reason;
    } refused[] = {
        {{{"from", "soon"}}, R"("from" must be a date such as 2026-12-01, a time such as 2026-12-01T10:00 or seconds since 1970, not "soon".)"},
        {{{"from", "2000"}, {"to", "2000"}}, R"("from" must come before "to".)"},
        {{{"resolution", "hour"}}, R"("resolution" must be minute or packet, not "hour".)"},
        {{{"format", "xml"}}, R"("format" must be json or csv, not "xml".)"},
        {{{"limit", "5"}}, R"(Unknown parameter "limit": the history takes from, to, resolution and format.)"},
    };
    for (const auto& c : refused) {
        const auto checked = checkHistoryRequest(c.items, now);
        EXPECT_FALSE(checked.request) << c.reason;
        EXPECT_EQ(checked.reason, c.reason);
    }
}

TEST(ApiQuery, chartParameters)
{
    const auto defaults = checkChartRequest({});
    ASSERT_TRUE(defaults.request);
    EXPECT_EQ(defaults.request->seconds, 3600);
    EXPECT_EQ(defaults.request->points, 300);
    const auto month = checkChartRequest({{"range", "30d"}, {"points", "2000"}});
    ASSERT_TRUE(month.request);
    EXPECT_EQ(month.request->seconds, 30 * 86400);
    EXPECT_EQ(month.request->points, 2000);
    for (const QueryItems& bad : {QueryItems{{"range", "2h"}}, QueryItems{{"points", "9"}},
                                  QueryItems{{"points", "2001"}}, QueryItems{{"points", "12x"}},
                                  QueryItems{{"from", "1"}}})
        EXPECT_FALSE(checkChartRequest(bad).request) << bad.front().first << "=" << bad.front().second;
    EXPECT_EQ(unexpectedParameters({{"x", "1"}}), R"(Unknown parameter "x": this address takes none.)");
}

TEST(ApiJson, historyRowsCarryTheirValuesInTheColumnsOrder)
{
    const MinuteRow minute{.time = 1796119500, .packets = 60, .averageVolts = 230.5,
                           .channel1 = {.averageWatts = 1000.0 / 3, .minimumWatts = -1, .maximumWatts = 2},
                           .channel2 = {.averageWatts = 4, .minimumWatts = 5, .maximumWatts = 6},
                           .energyWs1 = 1099511627775, .energyWs2 = 8, .kWh1 = 9, .kWh2 = 10,
                           .importedWs1 = 11, .exportedWs1 = 12, .importedWs2 = 13,
                           .exportedWs2 = std::numeric_limits<double>::infinity()};
    std::string text = "[";
    appendRowJson(text, minute, IsoTimeText());
    text += "]";
    const QJsonArray row = QJsonDocument::fromJson(QByteArray::fromStdString(text)).array().at(0).toArray();
    const QJsonArray columns = QJsonDocument::fromJson(QByteArray::fromStdString(columnsJson(HistoryRows::Minutes))).array();
    ASSERT_EQ(row.size(), columns.size());
    EXPECT_EQ(columns.at(0).toString(), "time");
    EXPECT_EQ(QDateTime::fromString(row.at(0).toString(), Qt::ISODate).toSecsSinceEpoch(), minute.time);
    const auto values = rowValues(minute);
    for (std::size_t i = 0; i + 1 < values.size(); ++i)
        EXPECT_EQ(row.at(static_cast<qsizetype>(i + 1)).toDouble(), values[i]) << columns.at(static_cast<qsizetype>(i + 1)).toString().toStdString();
    EXPECT_EQ(row.at(3).toDouble(), 1000.0 / 3) << "no digit lost";
    EXPECT_TRUE(row.last().isNull()) << "what is not finite is null";
}

TEST(ApiJson, statusTellsWhatIsNotKnownAsNull)
{
    const QJsonObject none = QJsonDocument::fromJson(QByteArray::fromStdString(statusJson({.version = "1.0"}))).object();
    EXPECT_TRUE(none["last_packet"].isNull());
    EXPECT_TRUE(none["history_file"].isNull());
    const QJsonObject some = QJsonDocument::fromJson(QByteArray::fromStdString(statusJson(
        {.version = "1.0", .portNumber = 3, .portOpen = true, .lastPacket = 1796119530, .packetsDecoded = 7,
         .historyFile = "/data/h \"1\".sqlite", .noData = "No data: the COM port is closed."}))).object();
    EXPECT_EQ(some["port"].toObject()["number"].toInt(), 3);
    EXPECT_EQ(some["packets_decoded"].toInt(), 7);
    EXPECT_EQ(some["history_file"].toString(), "/data/h \"1\".sqlite");
    EXPECT_EQ(some["no_data"].toString(), "No data: the COM port is closed.");
}

TEST(PrometheusMetrics, everyMetricHasHelpAndTypeAndTheChannelAsLabel)
{
    LiveReadings r;
    r.Volts = 231.5;
    r.Watts1 = 1500;
    r.Watts2 = 350;
    r.SignedWatts2 = -350;
    r.Amps1 = 6.5f;
    r.Amps2 = std::numeric_limits<float>::quiet_NaN();
    r.TotalWs1 = 3.6e6;
    r.Energy2.exportedWs = 7200;
    const std::string text =
        prometheusMetrics({.readings = &r, .lastPacket = 1796119530, .up = true, .packetsDecoded = 12, .packetsMissed = 1});
    for (const char* line : {"kvo7730_up 1\n", "kvo7730_packets_decoded_total 12\n", "kvo7730_packets_missed_total 1\n",
                             "kvo7730_last_packet_timestamp_seconds 1796119530\n", "kvo7730_voltage_volts 231.5\n",
                             "kvo7730_power_watts{channel=\"1\"} 1500\n", "kvo7730_power_watts{channel=\"2\"} 350\n",
                             "kvo7730_power_signed_watts{channel=\"2\"} -350\n",
                             "kvo7730_current_amperes{channel=\"1\"} 6.5\n",
                             "kvo7730_current_amperes{channel=\"2\"} NaN\n",
                             "kvo7730_energy_joules_total{channel=\"1\"} 3600000\n",
                             "kvo7730_energy_exported_joules_total{channel=\"2\"} 7200\n",
                             "# TYPE kvo7730_energy_imported_joules_total counter\n",
                             "# TYPE kvo7730_power_factor gauge\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // Each metric's samples follow its own help and type lines.
    std::string metric;
    std::size_t samples = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.starts_with("# HELP ")) {
            metric = line.substr(7, line.find(' ', 7) - 7);
            continue;
        }
        if (line.starts_with("# TYPE "))
            continue;
        ++samples;
        EXPECT_TRUE(line.starts_with(metric + " ") || line.starts_with(metric + "{")) << line;
    }
    EXPECT_EQ(samples, 3u + 2 + 7 * 2);

    const std::string before = prometheusMetrics({.packetsDecoded = 0});
    EXPECT_NE(before.find("kvo7730_up 0\n"), std::string::npos);
    EXPECT_EQ(before.find("kvo7730_power_watts"), std::string::npos) << "no reading before the first packet";
}

} // namespace
