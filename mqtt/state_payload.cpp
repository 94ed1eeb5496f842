// The state message: the readings as numbers, without rounding, so nothing is lost.
#include "mqtt/state_payload.h"

#include "link/live_readings.h"
#include "mqtt/json_text.h"

namespace {

struct ChannelReadings {
    double watts;
    double signedWatts;
    EnergyDirection direction;
    const EnergyTotals& energy;
    float amps;
    float powerFactor;
    double kwh;
    double absWs;
    double polWs;
    double totalWs;
    double totalPolWs;
};

std::string channel(const ChannelReadings& c)
{
    return JsonObject()
        .number("watts", c.watts)
        .number("signed_watts", c.signedWatts)
        .text("direction", c.direction == EnergyDirection::Generating ? "generating" : "consuming")
        .number("amps", c.amps)
        .number("power_factor", c.powerFactor)
        .number("kwh", c.kwh)
        .number("total_kwh", c.totalWs / kWsPerKWh)
        .number("total_pol_kwh", c.totalPolWs / kWsPerKWh)
        .number("imported_kwh", c.energy.importedWs / kWsPerKWh)
        .number("exported_kwh", c.energy.exportedWs / kWsPerKWh)
        .number("abs_ws", c.absWs)
        .number("pol_ws", c.polWs)
        .number("total_ws", c.totalWs)
        .number("total_pol_ws", c.totalPolWs)
        .str();
}

} // namespace

std::string statePayload(const LiveReadings& r, std::string_view isoTime)
{
    return JsonObject()
        .text("time", isoTime)
        .number("volts", r.Volts)
        .raw("seconds_counter", std::to_string(r.SecondsCounter))
        .raw("ch1", channel({r.Watts1, r.SignedWatts1, r.Direction1, r.Energy1, r.Amps1, r.PowerFactor1, r.KWh1,
                             r.AbsWs1, r.PolWs1, r.TotalWs1, r.TotalPolWs1}))
        .raw("ch2", channel({r.Watts2, r.SignedWatts2, r.Direction2, r.Energy2, r.Amps2, r.PowerFactor2, r.KWh2,
                             r.AbsWs2, r.PolWs2, r.TotalWs2, r.TotalPolWs2}))
        .str();
}
