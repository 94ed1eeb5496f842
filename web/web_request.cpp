// Building the web post request from the readings, the settings and the clock.
#include "web/web_request.h"

#include "common/number_text.h"

#include <cmath>
#include <utility>

namespace {

// Powers from this value up are not sent: the monitor's range ends below it.
constexpr double kPowerLimit = 35000;
constexpr double kWattSecondsPerWattHour = 3600;

std::string powerText(double watts, NumberSymbols symbols)
{
    return watts >= kPowerLimit ? std::string() : generalNumberText(watts, symbols);
}

// A whole-number pattern prints nothing for zero; a value without a finite number
// prints nothing as well.
std::string wholeText(double value, std::string_view pattern)
{
    return std::isfinite(value) ? formatNumber(value, pattern) : std::string();
}

std::string energyText(double totalWattSeconds)
{
    return wholeText(totalWattSeconds / kWattSecondsPerWattHour, "##########");
}

std::string ampsText(float amps)
{
    return wholeText(roundHalfEven(amps), "###");
}

// Apparent power is power over power factor; while the channel has had no valid
// factor yet (0) there is no apparent power to send, as for a zero quotient.
std::string apparentPowerText(double watts, float powerFactor)
{
    return powerFactor == 0.0f ? std::string() : wholeText(std::floor(watts / powerFactor), "######");
}

char hexDigit(unsigned value)
{
    return "0123456789ABCDEF"[value & 0xF];
}

bool needsEncoding(unsigned char c)
{
    // A service reads '+' in a query as a blank.
    return c <= 0x20 || c >= 0x7F || c == '&' || c == '#' || c == '%' || c == '+';
}

} // namespace

std::string queryValueText(std::string_view value)
{
    std::string text;
    text.reserve(value.size());
    for (const char character : value) {
        const auto c = static_cast<unsigned char>(character);
        if (needsEncoding(c)) {
            text += '%';
            text += hexDigit(c >> 4);
            text += hexDigit(c);
        } else {
            text += character;
        }
    }
    return text;
}

std::string webRequestText(const LiveReadings& r, const WebRequestContext& context)
{
    const NumberSymbols symbols = context.symbols;
    const std::pair<std::string_view, std::string> query[] = {
        {"&ch1_power=", powerText(r.Watts1, symbols)},
        {"&ch2_power=", powerText(r.Watts2, symbols)},
        {"&ch1_kwh=", energyText(r.TotalWs1)},
        {"&ch2_kwh=", energyText(r.TotalWs2)},
        {"&ch1_amps=", ampsText(r.Amps1)},
        {"&ch2_amps=", ampsText(r.Amps2)},
        {"&ch1_extra=", apparentPowerText(r.Watts1, r.PowerFactor1)},
        {"&ch2_extra=", apparentPowerText(r.Watts2, r.PowerFactor2)},
        {"&date=", formatDateTime(context.now, "yyyy/mm/dd")},
        {"&time=", formatDateTime(context.now, "hh:nn:ss")},
        {"&voltage=", generalNumberText(r.Volts, symbols)},
        {"&username=", std::string(context.VexUser)},
    };

    std::string text = "GET http://";
    text += context.webHost;
    text += "/Monitor/sendData.php?";
    for (const auto& [key, value] : query) {
        text += key;
        text += queryValueText(value);
    }
    text += " HTTP/1.1\r\n";
    text += "Host: ";
    text += context.webHost;
    text += "\r\n";
    text += "Content-Type: application/x-www-form-urlencoded\r\n";
    text += "Content-Length: 0\r\n";
    text += "Connection: Keep-Alive\r\n";
    text += "\r\n";
    return text;
}
