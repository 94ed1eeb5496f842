// Pattern formatting of numbers.
#include "common/number_format.h"

#include "common/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

struct Pattern {
    int decimals = 0;
    int minimumIntegerDigits = 0;
    bool grouped = false;
};

Pattern parsePattern(std::string_view pattern)
{
    Pattern parsed;
    const auto point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    parsed.minimumIntegerDigits = static_cast<int>(std::count(integerPart.begin(), integerPart.end(), '0'));
    parsed.grouped = integerPart.find(',') != std::string_view::npos;
    if (point != std::string_view::npos) {
        const std::string_view fraction = pattern.substr(point + 1);
        parsed.decimals = static_cast<int>(std::count_if(fraction.begin(), fraction.end(),
                                                         [](char c) { return c == '0' || c == '#'; }));
    }
    return parsed;
}

std::string grouped(const std::string& digits, char separator)
{
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string formatNumber(double value, std::string_view pattern, NumberSymbols symbols)
{
    const Pattern parsed = parsePattern(pattern);
    // All digits of the rounded magnitude, the last `decimals` of them after the point.
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, parsed.decimals));
    // Room for every digit of the largest double.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, scaled, std::chars_format::fixed, 0);
    std::string digits(buffer, written.ptr);
    if (static_cast<int>(digits.size()) <= parsed.decimals)
        digits.insert(0, static_cast<std::size_t>(parsed.decimals + 1) - digits.size(), '0');
    std::string integer = digits.substr(0, digits.size() - static_cast<std::size_t>(parsed.decimals));
    const std::string fraction = digits.substr(integer.size());

    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    if (static_cast<int>(integer.size()) < parsed.minimumIntegerDigits)
        integer.insert(0, static_cast<std::size_t>(parsed.minimumIntegerDigits) - integer.size(), '0');
    if (parsed.grouped)
        integer = grouped(integer, symbols.group);

    std::string text = (value < 0 && scaled != 0) ? "-" : "";
    text += integer;
    if (parsed.decimals > 0)
        text += symbols.decimal + fraction;
    return text;
}

std::string generalNumberText(double value, NumberSymbols symbols)
{
    std::string text = generalNumberText(value);
    std::replace(text.begin(), text.end(), '.', symbols.decimal);
    return text;
}
