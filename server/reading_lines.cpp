// Number texts of the served readings.
#include "server/reading_lines.h"

#include <initializer_list>

namespace {

constexpr std::string_view kEnergyPattern = "######.000";
constexpr std::string_view kOneDecimalPattern = "###.0";

std::string joined(std::initializer_list<std::string> fields)
{
    std::string line;
    for (const std::string& field : fields) {
        if (!line.empty())
            line += '\t';
        line += field;
    }
    return line;
}

// The fields both lines begin with; VOLT is in general text here, unlike GETVOLT.
std::string commonFields(const LiveReadings& r, NumberSymbols s)
{
    return joined({generalNumberText(r.Watts1, s), generalNumberText(r.Watts2, s),
                   formatNumber(r.KWh1, kEnergyPattern, s), formatNumber(r.KWh2, kEnergyPattern, s),
                   generalNumberText(r.Volts, s), formatNumber(r.Amps1, kOneDecimalPattern, s),
                   formatNumber(r.Amps2, kOneDecimalPattern, s), generalNumberText(r.AbsWs1, s),
                   generalNumberText(r.AbsWs2, s), generalNumberText(r.TotalWs1, s),
                   generalNumberText(r.TotalWs2, s)});
}

} // namespace

std::string allLine(const LiveReadings& r, NumberSymbols s)
{
    return joined({commonFields(r, s), std::to_string(r.SecondsCounter)});
}

std::string allpLine(const LiveReadings& r, NumberSymbols s)
{
    return joined({commonFields(r, s), generalNumberText(r.PolWs1, s), generalNumberText(r.PolWs2, s),
                   generalNumberText(r.TotalPolWs1, s), generalNumberText(r.TotalPolWs2, s),
                   std::to_string(r.SecondsCounter)});
}

std::optional<std::string> readingText(std::string_view word, const LiveReadings& r, NumberSymbols s)
{
    struct Served {
        std::string_view word;
        std::string (*text)(const LiveReadings&, NumberSymbols);
    };
    static constexpr Served kServed[] = {
        {"ALL", [](const LiveReadings& r, NumberSymbols s) { return allLine(r, s); }},
        {"ALLP", [](const LiveReadings& r, NumberSymbols s) { return allpLine(r, s); }},
        {"P1", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.Watts1, s); }},
        {"P2", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.Watts2, s); }},
        {"KWH1", [](const LiveReadings& r, NumberSymbols s) { return formatNumber(r.KWh1, kEnergyPattern, s); }},
        {"KWH2", [](const LiveReadings& r, NumberSymbols s) { return formatNumber(r.KWh2, kEnergyPattern, s); }},
        {"AMP1", [](const LiveReadings& r, NumberSymbols s) { return formatNumber(r.Amps1, kOneDecimalPattern, s); }},
        {"AMP2", [](const LiveReadings& r, NumberSymbols s) { return formatNumber(r.Amps2, kOneDecimalPattern, s); }},
        {"VOLT", [](const LiveReadings& r, NumberSymbols s) { return formatNumber(r.Volts, kOneDecimalPattern, s); }},
        {"WS1", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.AbsWs1, s); }},
        {"WS1P", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.PolWs1, s); }},
        {"WS1STATIC", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.TotalWs1, s); }},
        {"WS1PSTATIC", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.TotalPolWs1, s); }},
        {"WS2", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.AbsWs2, s); }},
        {"WS2P", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.PolWs2, s); }},
        {"WS2STATIC", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.TotalWs2, s); }},
        {"WS2PSTATIC", [](const LiveReadings& r, NumberSymbols s) { return generalNumberText(r.TotalPolWs2, s); }},
        {"SEC", [](const LiveReadings& r, NumberSymbols) { return std::to_string(r.SecondsCounter); }},
    };
    for (const Served& served : kServed) {
        if (served.word == word)
            return served.text(r, s);
    }
    return std::nullopt;
}
