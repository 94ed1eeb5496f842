#include "http/api_query.h"

#include "history/history_time.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr EpochSeconds kDay = 24 * 3600;

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
EpochSeconds daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<EpochSeconds>(era) * 146097 + dayOfEra - 719468;
}

bool validDate(int year, int month, int day)
{
    constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > kDays[static_cast<std::size_t>(month - 1)])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// "Z", "+hh:mm", "+hhmm" or "+hh" (or "-"): the offset from UTC in seconds.
std::optional<EpochSeconds> utcOffset(std::string_view zone)
{
    if (zone == "Z")
        return 0;
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-'))
        return std::nullopt;
    const auto hours = digits(zone, 1, 2);
    std::optional<int> minutes = 0;
    if (zone.size() == 6 && zone[3] == ':')
        minutes = digits(zone, 4, 2);
    else if (zone.size() == 5)
        minutes = digits(zone, 3, 2);
    else if (zone.size() != 3)
        return std::nullopt;
    if (!hours || !minutes || *hours > 14 || *minutes > 59)
        return std::nullopt;
    const EpochSeconds seconds = *hours * 3600 + *minutes * 60;
    return zone[0] == '-' ? -seconds : seconds;
}

std::optional<EpochSeconds> parseDateTime(std::string_view text)
{
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !year || !month || !day
        || !validDate(*year, *month, *day))
        return std::nullopt;
    DateTime when{.year = *year, .month = *month, .day = *day};
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        const auto hour = digits(rest, 1, 2);
        const auto minute = digits(rest, 4, 2);
        if (rest.size() < 6 || (rest[0] != 'T' && rest[0] != ' ') || rest[3] != ':' || !hour || !minute
            || *hour > 23 || *minute > 59)
            return std::nullopt;
        when.hour = *hour;
        when.minute = *minute;
        rest.remove_prefix(6);
        if (!rest.empty() && rest[0] == ':') {
            const auto second = digits(rest, 1, 2);
            if (!second || *second > 59)
                return std::nullopt;
            when.second = *second;
            rest.remove_prefix(3);
        }
    }
    if (rest.empty())
        return epochOf(when);
    const auto offset = utcOffset(rest);
    if (!offset)
        return std::nullopt;
    return daysFromCivil(when.year, when.month, when.day) * kDay + when.hour * 3600 + when.minute * 60 + when.second
        - *offset;
}

template <typename Request>
Checked<Request> refused(std::string reason)
{
    return {.request = std::nullopt, .reason = std::move(reason)};
}

} // namespace

std::optional<EpochSeconds> parseTime(std::string_view text)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
        EpochSeconds seconds = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return seconds;
    }
    return parseDateTime(text);
}

Checked<HistoryRequest> checkHistoryRequest(const QueryItems& items, EpochSeconds now)
{
    HistoryRequest request;
    std::optional<EpochSeconds> from;
    std::optional<EpochSeconds> to;
    for (const auto& [name, value] : items) {
        if (name == "from" || name == "to") {
            const auto time = parseTime(value);
            if (!time)
                return refused<HistoryRequest>("\"" + name + "\" must be a date such as 2026-12-01, a time such as "
                                               "2026-12-01T10:00 or seconds since 1970, not \"" + value + "\".");
            (name == "from" ? from : to) = time;
        } else if (name == "resolution" && (value == "minute" || value == "packet")) {
            request.rows = value == "minute" ? HistoryRows::Minutes : HistoryRows::Packets;
        } else if (name == "resolution") {
            return refused<HistoryRequest>("\"resolution\" must be minute or packet, not \"" + value + "\".");
        } else if (name == "format" && (value == "json" || value == "csv")) {
            request.csv = value == "csv";
        } else if (name == "format") {
            return refused<HistoryRequest>("\"format\" must be json or csv, not \"" + value + "\".");
        } else {
            return refused<HistoryRequest>("Unknown parameter \"" + name
                                           + "\": the history takes from, to, resolution and format.");
        }
    }
    request.to = to.value_or(now);
    request.from = from.value_or(request.to - kDay);
    if (request.from >= request.to)
        return refused<HistoryRequest>("\"from\" must come before \"to\".");
    return {.request = request};
}

Checked<ChartRequest> checkChartRequest(const QueryItems& items)
{
    struct Range {
        std::string_view name;
        EpochSeconds seconds;
    };
    constexpr std::array<Range, 4> kRanges = {{{"1h", 3600}, {"24h", kDay}, {"7d", 7 * kDay}, {"30d", 30 * kDay}}};
    ChartRequest request{.range = "1h"};
    for (const auto& [name, value] : items) {
        if (name == "range") {
            const std::string_view wanted = value;
            const auto* range =
                std::find_if(kRanges.begin(), kRanges.end(), [wanted](const Range& r) { return r.name == wanted; });
            if (range == kRanges.end())
                return refused<ChartRequest>("\"range\" must be 1h, 24h, 7d or 30d, not \"" + value + "\".");
            request.range = value;
            request.seconds = range->seconds;
        } else if (name == "points") {
            int points = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), points);
            if (error != std::errc() || end != value.data() + value.size() || points < kMinChartPoints
                || points > kMaxChartPoints)
                return refused<ChartRequest>("\"points\" must be a whole number from " + std::to_string(kMinChartPoints)
                                             + " to " + std::to_string(kMaxChartPoints) + ", not \"" + value + "\".");
            request.points = points;
        } else {
            return refused<ChartRequest>("Unknown parameter \"" + name + "\": the chart takes range and points.");
        }
    }
    return {.request = request};
}

std::string unexpectedParameters(const QueryItems& items)
{
    if (items.empty())
        return {};
    return "Unknown parameter \"" + items.front().first + "\": this address takes none.";
}
