// Entry checks of the options window's boxes.
#include "settings/option_fields.h"

#include "common/number_text.h"
#include "common/web_host.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr double kPriceNeedingConfirmation = 1.0;
constexpr std::string_view kAccountPagePath = "/Monitor/monitor.php?user=";

std::string_view withoutBlanks(std::string_view text)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<double> fieldNumber(std::string_view text, NumberSymbols symbols)
{
    std::string number(withoutBlanks(text));
    std::replace(number.begin(), number.end(), symbols.decimal, '.');
    const bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (negative || number.front() == '+'))
        number.erase(0, 1);
    // A second sign would be read by from_chars; the user typed one at most.
    if (number.empty() || number.front() == '-' || number.front() == '+')
        return std::nullopt;

    double value = 0;
    const char* last = number.data() + number.size();
    const auto [end, error] = std::from_chars(number.data(), last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

FieldVerdict checkThreshold(std::string_view text, const ThresholdField& field, NumberSymbols symbols)
{
    const auto number = fieldNumber(text, symbols);
    if (!number)
        return {std::nullopt, std::string(field.notANumberMessage), std::nullopt, true};
    if (*number < field.minimum) {
        const std::string minimum = std::to_string(field.minimum);
        return {field.minimum, "Must be set above " + minimum + " " + std::string(field.unit) + ".", minimum, false};
    }
    const double whole = roundHalfEven(*number);
    constexpr auto largest = std::numeric_limits<std::int16_t>::max();
    if (whole > largest) {
        return {std::nullopt,
                "Must not be set above " + std::to_string(largest) + " " + std::string(field.unit) + ".",
                std::nullopt, true};
    }
    return {static_cast<std::int16_t>(whole), {}, std::nullopt, false};
}

RateVerdict checkRate(std::string_view text, NumberSymbols symbols)
{
    const auto number = fieldNumber(text, symbols);
    if (!number)
        return {RateVerdict::Kind::NotANumber};
    if (*number < kLowestRate)
        return {RateVerdict::Kind::BelowLowest, *number};
    if (*number > kPriceNeedingConfirmation)
        return {RateVerdict::Kind::Confirm, *number};
    return {RateVerdict::Kind::Accept, *number};
}

std::string rateQuestion(double value, NumberSymbols symbols)
{
    return "You have entered a value greater than one Dollar. Are you sure your rate is this high? "
           "You can find this value on your electric bill. Would you like to keep the value of "
        + generalNumberText(value, symbols) + "?";
}

std::string rateText(double rate, NumberSymbols symbols)
{
    return formatNumber(rate, "0.0000", symbols);
}

std::optional<std::string> acceptedUserName(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return std::string(text);
}

std::optional<std::string> acceptedHost(std::string_view text)
{
    const std::string_view host = withoutBlanks(text);
    if (!parseWebHost(host))
        return std::nullopt;
    return std::string(host);
}

std::string accountPageAddress(std::string_view host, std::string_view user)
{
    return std::string(host) + std::string(kAccountPagePath) + std::string(user);
}

std::string_view trimmedEntry(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
