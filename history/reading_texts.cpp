#include "history/reading_texts.h"

#include "link/live_readings.h"

namespace {

struct ChannelValues {
    double watts;
    double amps;
    double powerFactor;
    double totalWs;
    const EnergyTotals& energy;
    EnergyDirection direction;
};

ChannelTexts channelTexts(const ChannelValues& c, double rate, NumberSymbols symbols)
{
    const auto energyText = [symbols](double kWh) { return formatNumber(kWh, "###,##0.000", symbols); };
    const auto costText = [symbols, rate](double kWh) { return formatNumber(kWh * rate, "###,##0.00", symbols); };
    const double kWh = c.totalWs / kWsPerKWh;
    const double boughtKWh = c.energy.importedWs / kWsPerKWh;
    return {.watts = formatNumber(c.watts, "###,##0", symbols),
            .amps = formatNumber(c.amps, "##0.00", symbols),
            .powerFactor = formatNumber(c.powerFactor, "0.00", symbols),
            .kWh = energyText(kWh),
            .cost = costText(kWh),
            .boughtKWh = energyText(boughtKWh),
            .soldKWh = energyText(c.energy.exportedWs / kWsPerKWh),
            .boughtCost = costText(boughtKWh),
            .direction = c.direction == EnergyDirection::Generating ? "Generating" : "Consuming"};
}

} // namespace

ReadingTexts readingTexts(const LiveReadings& r, double rate, NumberSymbols symbols)
{
    return {.volts = formatNumber(r.Volts, "##0.0", symbols),
            .channels = {channelTexts({r.Watts1, r.Amps1, r.PowerFactor1, r.TotalWs1, r.Energy1, r.Direction1}, rate,
                                      symbols),
                         channelTexts({r.Watts2, r.Amps2, r.PowerFactor2, r.TotalWs2, r.Energy2, r.Direction2}, rate,
                                      symbols)}};
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
