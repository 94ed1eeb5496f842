// Display texts of a posting log row.
#include "web/log_row.h"

namespace {

constexpr std::string_view kWattPattern = "###,##0";
constexpr std::string_view kOneDecimalPattern = "###.0";
constexpr std::string_view kEnergyPattern = "###,###.000";

} // namespace

LogRowTexts logRowTexts(const PostRow& row, const DateTime& timeOfPost, NumberSymbols symbols)
{
    return {
        row.TriggerSource,
        formatNumber(row.swing1, kWattPattern, symbols),
        formatNumber(row.swing2, kWattPattern, symbols),
        formatDateTime(timeOfPost, "hh:nn:ss"),
        formatNumber(row.Watts1, kWattPattern, symbols),
        formatNumber(row.Watts2, kWattPattern, symbols),
        formatNumber(row.Volts, kOneDecimalPattern, symbols),
        formatNumber(row.LogKWh1, kEnergyPattern, symbols),
        formatNumber(row.LogKWh2, kEnergyPattern, symbols),
        formatNumber(row.Amps1, kOneDecimalPattern, symbols),
        formatNumber(row.Amps2, kOneDecimalPattern, symbols),
    };
}
