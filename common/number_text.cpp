// General number text and tolerant parsing of numbers and booleans.
#include "common/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

// printf's %g with the given precision, then the exponent tidied to "E+16" form.
// to_chars writes what printf would, at a fraction of its cost: the TCP server formats
// a dozen numbers for every GETALL.
std::string generalText(double value, int significantDigits)
{
    if (value == 0.0)
        return "0";
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                       significantDigits);
    std::string text(buffer, written.ptr);
    const auto e = text.find('e');
    if (e == std::string::npos)
        return text;
    std::string mantissa = text.substr(0, e);
    const char sign = text[e + 1];
    std::string digits = text.substr(e + 2);
    while (digits.size() > 2 && digits.front() == '0')
        digits.erase(0, 1);
    return mantissa + "E" + sign + digits;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

std::string generalNumberText(double value)
{
    return generalText(value, 15);
}

std::string generalSingleText(float value)
{
    return generalText(static_cast<double>(value), 7);
}

std::string booleanText(bool value)
{
    return value ? "True" : "False";
}

std::optional<double> parseNumber(std::string_view text)
{
    std::string normal(trimmed(text));
    if (normal.empty())
        return std::nullopt;
    for (char& c : normal) {
        if (c == ',')
            c = '.';
    }
    std::size_t start = normal.front() == '+' ? 1 : 0;
    double value = 0.0;
    const char* first = normal.data() + start;
    const char* last = normal.data() + normal.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> parseBoolean(std::string_view text)
{
    const std::string_view word = trimmed(text);
    if (equalsIgnoringCase(word, "True"))
        return true;
    if (equalsIgnoringCase(word, "False"))
        return false;
    if (const auto number = parseNumber(word))
        return *number != 0.0;
    return std::nullopt;
}

std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t minimum,
                                             std::int64_t maximum)
{
    const auto number = parseNumber(text);
    if (!number)
        return std::nullopt;
    const double whole = roundHalfEven(*number);
    if (whole < static_cast<double>(minimum) || whole > static_cast<double>(maximum))
        return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

double leadingNumber(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    std::string number;
    std::size_t i = start;
    auto takeDigits = [&] {
        const std::size_t before = number.size();
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            number += text[i++];
        return number.size() > before;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    bool digits = takeDigits();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        digits = takeDigits() || digits;
    }
    if (!digits)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        const std::size_t firstDigit = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            exponent += text[j++];
        if (j > firstDigit)
            number += exponent;
    }
    // from_chars does not take a leading '+', and reads '.' whatever the locale says.
    const char* first = number.data() + (number.front() == '+' ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(first, number.data() + number.size(), value);
    return error == std::errc() && std::isfinite(value) ? value : 0;
}
