#include "http/prometheus_metrics.h"

#include "link/live_readings.h"
#include "mqtt/json_text.h"

#include <cmath>
#include <string_view>

namespace {

class Exposition {
public:
    // The help and type lines that every sample of a metric comes after.
    Exposition& metric(std::string_view name, std::string_view type, std::string_view help)
    {
        name_ = name;
        text_ += "# HELP " + std::string(name) + " " + std::string(help) + "\n# TYPE " + std::string(name) + " "
            + std::string(type) + "\n";
        return *this;
    }

    Exposition& sample(double value) { return line("", value); }
    Exposition& channels(double channel1, double channel2)
    {
        return line("{channel=\"1\"}", channel1).line("{channel=\"2\"}", channel2);
    }

    const std::string& text() const { return text_; }

private:
    Exposition& line(std::string_view labels, double value)
    {
        text_ += name_;
        text_ += labels;
        text_ += ' ';
        // The format's own spelling of what is not finite (a current not yet known).
        if (std::isfinite(value))
            text_ += jsonNumber(value);
        else
            text_ += std::isnan(value) ? "NaN" : value > 0 ? "+Inf" : "-Inf";
        text_ += '\n';
        return *this;
    }

    std::string text_;
    std::string name_;
};

} // namespace

std::string prometheusMetrics(const MetricFacts& f)
{
    Exposition out;
    out.metric("kvo7730_up", "gauge", "1 while packets arrive from the monitor, else 0.").sample(f.up ? 1 : 0);
    out.metric("kvo7730_packets_decoded_total", "counter", "Packets decoded since the program started.")
        .sample(static_cast<double>(f.packetsDecoded));
    out.metric("kvo7730_packets_missed_total", "counter",
               "Packets missing between the first and the last decoded, by the monitor's seconds counter.")
        .sample(static_cast<double>(f.packetsMissed));
    if (!f.readings || !f.lastPacket)
        return out.text();
    const LiveReadings& r = *f.readings;
    out.metric("kvo7730_last_packet_timestamp_seconds", "gauge", "When the last packet was decoded, in seconds since 1970.")
        .sample(static_cast<double>(*f.lastPacket));
    out.metric("kvo7730_voltage_volts", "gauge", "Mains voltage.").sample(r.Volts);
    out.metric("kvo7730_power_watts", "gauge", "Power of the channel.").channels(r.Watts1, r.Watts2);
    out.metric("kvo7730_power_signed_watts", "gauge", "Power of the channel, negative while it generates.")
        .channels(r.SignedWatts1, r.SignedWatts2);
    out.metric("kvo7730_current_amperes", "gauge", "Current of the channel.").channels(r.Amps1, r.Amps2);
    out.metric("kvo7730_power_factor", "gauge", "Power factor of the channel.").channels(r.PowerFactor1, r.PowerFactor2);
    out.metric("kvo7730_energy_joules_total", "counter", "Energy of the channel, carried across monitor resets.")
        .channels(r.TotalWs1, r.TotalWs2);
    out.metric("kvo7730_energy_imported_joules_total", "counter", "Energy the channel bought from the grid.")
        .channels(r.Energy1.importedWs, r.Energy2.importedWs);
    out.metric("kvo7730_energy_exported_joules_total", "counter", "Energy the channel sold to the grid.")
        .channels(r.Energy1.exportedWs, r.Energy2.exportedWs);
    return out.text();
}
