// Pattern formatting: significant digits, fixed decimals, grouping, rounding, locale.
#include "common/number_format.h"

#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

struct Case {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(FormatNumber, patternsOfTheReadingsAndTheLog)
{
    const Case cases[] = {
        {0.5, "######.000", ".500"},
        {1234.5678, "######.000", "1234.568"},
        {123456789.25, "######.000", "123456789.250"},  // the integer part is never cut
        {0.04, "###.0", ".0"},
        {120.0, "###.0", "120.0"},
        {120.5, "###.0", "120.5"},
        {0.25, "###.0", ".3"},                           // half away from zero
        {-0.25, "###.0", "-.3"},
        {0, "###", ""},                                  // a zero integer part prints nothing
        {0, "##########", ""},
        {1000, "##########", "1000"},
        {999.5, "######", "1000"},
        {0, "###,##0", "0"},
        {1234567, "###,##0", "1,234,567"},
        {-1500, "###,##0", "-1,500"},
        {999, "###,##0", "999"},
        {0.0004, "###,###.000", ".000"},
        {12345.6789, "###,###.000", "12,345.679"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
}

TEST(FormatNumber, followsTheLocalesSymbols)
{
    const NumberSymbols german{',', '.'};
    EXPECT_EQ(formatNumber(0.5, "######.000", german), ",500");
    EXPECT_EQ(formatNumber(1234567.891, "###,###.000", german), "1.234.567,891");
    EXPECT_EQ(generalNumberText(120.5, german), "120,5");
    EXPECT_EQ(generalNumberText(-12, german), "-12");
}

// The texts once came from printf and peers compare them; they must not change by a digit.
TEST(GeneralNumberText, writesWhatPrintfWrote)
{
    std::mt19937_64 random(7730);
    std::uniform_real_distribution<double> exponent(-30, 30);
    std::vector<double> values = {1e15, 1e16, 123456789012345678.0, 0.1, 1.0 / 3, -2.5e-7, DBL_MAX, DBL_MIN, 5e-324};
    for (int i = 0; i < 2000; ++i)
        values.push_back((i % 2 ? -1 : 1) * std::pow(10.0, exponent(random)));
    for (const double value : values) {
        for (const auto& [digits, text] : {std::pair{15, generalNumberText(value)},
                                           {7, generalSingleText(static_cast<float>(value))}}) {
            const double shown = digits == 7 ? static_cast<double>(static_cast<float>(value)) : value;
            char printed[64];
            std::snprintf(printed, sizeof printed, "%.*g", digits, shown);
            std::string expected = printed;
            if (const auto e = expected.find('e'); e != std::string::npos) {
                std::string exponentDigits = expected.substr(e + 2);
                while (exponentDigits.size() > 2 && exponentDigits.front() == '0')
                    exponentDigits.erase(0, 1);
                expected = expected.substr(0, e) + "E" + expected[e + 1] + exponentDigits;
            }
            ASSERT_EQ(text, expected) << digits << " digits of " << printed;
        }
    }
}

TEST(FormatNumber, fixedDigitsMatchPrintfForLargeValues)
{
    for (const double value : {1e20, 123456789012345678901.0, 9.999999999999999e22, 1e300}) {
        char printed[400];
        std::snprintf(printed, sizeof printed, "%.0f", value);
        EXPECT_EQ(formatNumber(value, "#"), printed);
    }
}

} // namespace
