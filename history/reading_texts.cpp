#include "history/reading_texts.h"

#include "link/live_readings.h"

namespace {

ChannelTexts channelTexts(double watts, double amps, double powerFactor, double totalWs, double rate,
                          NumberSymbols symbols)
{
    const double kWh = totalWs / kWsPerKWh;
    return {.watts = formatNumber(watts, "###,##0", symbols),
            .amps = formatNumber(amps, "##0.00", symbols),
            .powerFactor = formatNumber(powerFactor, "0.00", symbols),
            .kWh = formatNumber(kWh, "###,##0.000", symbols),
            .cost = formatNumber(kWh * rate, "###,##0.00", symbols)};
}

} // namespace

ReadingTexts readingTexts(const LiveReadings& r, double rate, NumberSymbols symbols)
{
    return {.volts = formatNumber(r.Volts, "##0.0", symbols),
            .channels = {channelTexts(r.Watts1, r.Amps1, r.PowerFactor1, r.TotalWs1, rate, symbols),
                         channelTexts(r.Watts2, r.Amps2, r.PowerFactor2, r.TotalWs2, rate, symbols)}};
}

std::string noDataText(const FeedState& state)
{
    if (!state.portOpen)
        return "No data: the COM port is closed.";
    // Packets that arrive are data, whatever the flag says (it follows them a little later).
    if (state.silentSeconds && *state.silentSeconds < kStaleAfterSeconds)
        return {};
    if (!state.realTimeOn)
        return "No data: real-time data is stopped.";
    if (!state.silentSeconds)
        return "No data yet: waiting for the first packet.";
    return "No data: no packet for " + std::to_string(*state.silentSeconds) + " seconds.";
}
