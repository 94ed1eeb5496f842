// Pattern formatting: significant digits, fixed decimals, grouping, rounding, locale.
#include "common/number_format.h"

#include <gtest/gtest.h>

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

} // namespace
